#pragma once
// A category tile's popup menu: one item per stored picture of the patient.

#include "app/database/JournalQueries.h"

#include <QIcon>

#include <functional>

class QMenu;

namespace floater {

// The picture file of a row: its folder with a trailing separator, then its name.
QString PictureFilePath(const app::PictureRow& row);

// The thumbnail file beside a picture: the same name with extension ".tmb".
QString ThumbnailFilePath(const QString& picturePath);
// The picture's 16 x 16 menu icon, from its thumbnail file, which is made
// (170 wide, JPEG quality 75) when it is missing; none when it cannot be had.
QIcon MenuIcon(const QString& picturePath);

// Fills the menu with one item per row (caption: the date in the user's short
// date format, hint: the file path, data: BILDFLIK); a click calls open.
// Empty when pictures may not be read from the floater.
void FillCategoryMenu(QMenu* menu, const std::vector<app::PictureRow>& rows, bool allowReadPics,
                      const std::function<void(const QString& path, int bildflik)>& open);

} // namespace floater
