#pragma once

#include <QIcon>

namespace floater {

// Tray icons: 0 no single patient for the number, 1 one patient found,
// 2 Q7 shows no patient.
QIcon trayIcon(int index);
// The glyph of the "Gå till Orvana" button.
QIcon orvanaGlyph();

} // namespace floater
