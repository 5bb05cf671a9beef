#pragma once
// PCX pictures: reads 16-colour, 256-colour and true-colour files, writes
// 256-colour and true-colour files with run-length encoding.

#include "images/codecs/GraphicFormat.h"

#include <array>
#include <vector>

namespace images {

struct TPCXHeader {
    quint8 pcxManufacturer = 0;
    quint8 pcxVersion = 0;
    quint8 pcxEncoding = 0;
    quint8 pcxBitsPerPixel = 0;
    quint16 pcxXMin = 0;
    quint16 pcxYMin = 0;
    quint16 pcxXMax = 0;
    quint16 pcxyMax = 0;
    quint16 pcxHDpi = 0;
    quint16 pcxVDpi = 0;
    std::array<quint8, 48> pcxColormap{};
    quint8 pcxReserved = 0;
    quint8 pcxNPlanes = 0;
    quint16 pcxBytesPerLine = 0;
    quint16 pcxPaletteInfo = 0;
    quint16 pcxHscreenSize = 0;
    quint16 pcxVscreenSize = 0;
};

// pcx16 covers every 1-bit planar layout (1 to 4 planes); it is read into an
// 8-bit bitmap, since this system has no 4-bit bitmaps to write it from.
enum class TPCXColorMode { pcx16, pcx256, pcxTrue };

class TPCXFile {
public:
    TPCXFile();

    void LoadFromFile(const QString& fileName);
    void LoadFromStream(QIODevice& stream);
    void SaveToFile(const QString& fileName);
    void SaveToStream(QIODevice& stream);
    // Reads a Windows bitmap file as the picture to write.
    void LoadBitmap(const QString& fileName);
    // Takes a copy of the bitmap as the picture to write; bitmaps that are
    // neither 8-bit nor 24-bit are written as 24-bit.
    void AssignBitmap(const QImage& bitmap);

    const QImage& Bitmap() const { return FBitmap; }

    // The encoded file, for SaveToStream and tests.
    QByteArray Encode();
    void Decode(const QByteArray& data);

private:
    void ReadPCXHeader(ByteReader& in);
    void ReadPCXLine(ByteReader& in);
    void ReadPCXBody16(ByteReader& in);
    void ReadPCXBody256(ByteReader& in, const QByteArray& data);
    void ReadPCXBodyTrue(ByteReader& in);
    void FillPCXHeader();
    void WritePCXHeader(QByteArray& out) const;
    void WritePCXBody256(QByteArray& out);
    void WritePCXBodyTrue(QByteArray& out);
    void WritePlanes(QByteArray& out, int planes);

    TPCXHeader FPCXHeader;
    TPCXColorMode FPCXColorMode = TPCXColorMode::pcx16;
    QImage FBitmap;
    std::vector<uchar> scan_line;
};

// Run-length encodes one plane of a line: runs stop at 63 and at the plane's
// end; a single byte of 0xC0 or more is written as a run of one.
void EncodePCXPlane(const uchar* plane, int length, QByteArray& out);

} // namespace images
