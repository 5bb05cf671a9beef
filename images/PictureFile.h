#pragma once
// Reading and writing picture files, the format chosen by the file's
// extension (compared in lower case).

#include "images/codecs/GraphicFormat.h"

namespace images {

// The box every reduced picture is scaled into.
inline constexpr int kThumbnailBox = 170;

// Fills `target` from the file, at full size or reduced for a thumbnail. A
// file that does not exist, or an extension we do not read, leaves the target
// unchanged. Bad picture data raises EGraphicFormat.
void LoadPictureFile(QImage& target, const QString& fileName, bool reduced);
// The same for picture data already in memory; `extension` is without the dot.
void LoadPictureData(QImage& target, const QByteArray& data, const QString& extension, bool reduced);

// Writes the bitmap in the format its extension names; JPEG at `quality`
// (1 to 100). An extension we do not write (".tiff" among them) raises
// EGraphicFormat and writes nothing.
void SavePictureFile(const QImage& bitmap, const QString& fileName, int quality);

// True when LoadPictureFile reads / SavePictureFile writes the extension.
bool CanLoadPictureExtension(const QString& extension);
bool CanSavePictureExtension(const QString& extension);

} // namespace images
