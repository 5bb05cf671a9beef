#pragma once
// PhotoCD pictures: reads the 768 x 512 base image, lying or upright.

#include "images/codecs/GraphicFormat.h"

namespace images {

class TPCDFile {
public:
    void LoadFromFile(const QString& fileName);
    void LoadFromStream(QIODevice& stream);

    const QImage& Bitmap() const { return FBitmap; }

    void Decode(const QByteArray& data);

private:
    QImage FBitmap;
};

// One PhotoCD luma/chroma sample as red, green, blue, rounded to the nearest
// integer (ties to even) and clamped to 0..255.
QRgb PhotoYccToRgb(int y, int c1, int c2);

} // namespace images
