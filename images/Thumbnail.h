#pragma once
// Thumbnail files (".tmb"): baseline JPEGs of a fixed width beside the
// pictures they stand for.

#include <QImage>
#include <QString>

namespace images {

// Writes a JPEG `width` pixels wide (height keeping the aspect ratio of the
// full picture, rounded; rows and columns dropped or repeated) of the source
// file, or of `bitmap` when the source file does not exist, to the
// target file. True when the target file exists afterwards; never raises. A
// picture that cannot be read whole leaves no target file.
bool MakeThumbnailFile(const QString& sourceFile, const QString& targetFile, int width,
                       const QImage& bitmap, int quality);

} // namespace images
