#pragma once
// A category tile's popup menu: one item per stored picture of the patient.

#include "app/database/JournalQueries.h"

#include <functional>

class QMenu;

namespace floater {

// The picture file of a row: its folder with a trailing separator, then its name.
QString PictureFilePath(const app::PictureRow& row);

// Fills the menu with one item per row (caption: the date in the user's short
// date format, hint: the file path, data: BILDFLIK); a click calls open.
// Empty when pictures may not be read from the floater.
void FillCategoryMenu(QMenu* menu, const std::vector<app::PictureRow>& rows, bool allowReadPics,
                      const std::function<void(const QString& path, int bildflik)>& open);

} // namespace floater
