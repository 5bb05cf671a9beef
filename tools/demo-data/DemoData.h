#pragma once
// A demo site: a journal database with patients, locks, unlock rows and
// pictures, Q7's database with the same people (and some the journal lacks),
// a data-provider file and an ODBC data source for Q7. The same arguments
// always give the same data.

#include <QImage>
#include <QString>

namespace demo {

struct DemoOptions {
    int patients = 300;
    QString odbcDriver = QStringLiteral("SQLite3"); // the SQLite ODBC driver's registered name
    QString dsn = QStringLiteral("BorvikQ7");
};

// Writes into dir: journal.sqlite, q7.sqlite, bilder/ (picture files),
// Journal.udl (UTF-16) and odbc.ini (point ODBCINI at it). False with the
// reason when dir already holds a database or something cannot be written.
bool MakeDemoData(const QString& dir, const DemoOptions& options, QString* error);

// Settings of a floater started in the working directory that uses the demo
// site in dir: its data-provider file, the stored Q7 login, and the window
// shown at start rather than minimised to the tray.
void WriteDemoSettings(const QString& dir);

// A 4000 x 3000 picture with the look of a camera's: shading, soft edges and
// sensor noise, so that it decodes and compresses like a real photograph.
QImage CameraPicture();
// A ruler at 0.1 mm per pixel (254 dpi, also stored in the file): a tick every
// millimetre, longer ones every 5 and 10 mm, 2400 x 500 pixels. No text: the
// tool runs without a display.
inline constexpr int kRulerPixelsPerMm = 10;
QImage RulerPicture();

// A valid 12-digit personal number for a birth date and a three-digit serial.
QString PersonalNumber(int year, int month, int day, int serial);

} // namespace demo
