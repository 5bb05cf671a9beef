#pragma once
// Targa pictures: reads colour-mapped, true-colour and black-and-white files,
// raw or run-length encoded, of 1, 8, 16, 24 and 32 bits per pixel; writes
// 8-bit and 24-bit bitmaps uncompressed, top line first.

#include "images/codecs/GraphicFormat.h"

#include <vector>

namespace images {

struct TTGAHeader {
    quint8 tgaIdentSize = 0;
    quint8 tgaColorMapType = 0;
    quint8 tgaImageType = 0;
    quint16 tgaColorMapStart = 0;
    quint16 tgaColorMapLength = 0;
    quint8 tgaColorMapBits = 0;
    quint16 tgaXStart = 0;
    quint16 tgaYStart = 0;
    quint16 tgaWidth = 0;
    quint16 tgaHeight = 0;
    quint8 tgaBits = 0;
    quint8 tgaDescriptor = 0;
};

// The identification field we write after the header: 43 characters and 0x1A.
inline constexpr char kTgaIdentification[] = "Tervalen Q7-koppling picture codecs, TGA v1";
static_assert(sizeof(kTgaIdentification) - 1 == 43);

class TTGAFile {
public:
    void LoadFromFile(const QString& fileName);
    void LoadFromStream(QIODevice& stream);
    void SaveToFile(const QString& fileName);
    void SaveToStream(QIODevice& stream);
    void LoadBitmap(const QString& fileName);
    // Bitmaps that are neither 8-bit nor 24-bit are written as 24-bit.
    void AssignBitmap(const QImage& bitmap);

    const QImage& Bitmap() const { return FBitmap; }

    QByteArray Encode();
    void Decode(const QByteArray& data);

private:
    QList<QRgb> ReadColorMap(ByteReader& in) const;
    void ReadLine(ByteReader& in);
    void ReadPixel(ByteReader& in, uchar* pixel) const;
    void StoreLine(int row);

    TTGAHeader FTGAHeader;
    QImage FBitmap;
    // One decoded line: blue, green, red per pixel, or one byte per pixel for
    // 1- and 8-bit pictures.
    std::vector<uchar> scan_line;
};

} // namespace images
