#include "images/codecs/PCXFile.h"

#include <algorithm>
#include <cstring>

namespace images {

namespace {

constexpr const char* kPcxError = "PCX Error";
constexpr int kHeaderSize = 128;
constexpr int kLineBufferSize = 65536;
constexpr int kLongestRun = 63;
constexpr int kPaletteSize = 769; // the byte 12 and 256 red, green, blue entries

} // namespace

TPCXFile::TPCXFile()
    // A run may pass the end of the last plane by up to 62 bytes.
    : scan_line(kLineBufferSize + kLongestRun)
{
}

void TPCXFile::LoadFromFile(const QString& fileName)
{
    Decode(ReadFileBytes(fileName, kPcxError));
}

void TPCXFile::LoadFromStream(QIODevice& stream)
{
    Decode(ReadFromStart(stream));
}

void TPCXFile::SaveToFile(const QString& fileName)
{
    WriteFileBytes(fileName, Encode());
}

void TPCXFile::SaveToStream(QIODevice& stream)
{
    WriteFromStart(stream, Encode());
}

void TPCXFile::LoadBitmap(const QString& fileName)
{
    QImage bitmap;
    if (!bitmap.load(fileName, "BMP"))
        throw EGraphicFormat("Invalid bitmapfile (PCX)");
    AssignBitmap(bitmap);
}

void TPCXFile::AssignBitmap(const QImage& bitmap)
{
    FBitmap = bitmap.format() == QImage::Format_Indexed8 ? bitmap
                                                         : bitmap.convertToFormat(kFormat24);
}

void TPCXFile::Decode(const QByteArray& data)
{
    ByteReader in(data, kPcxError);
    ReadPCXHeader(in);
    if (FPCXHeader.pcxVersion != 5)
        throw EGraphicFormat("Invalid PCX Version (Ver.5 needed)");

    const int width = FPCXHeader.pcxXMax - FPCXHeader.pcxXMin + 1;
    const int height = FPCXHeader.pcxyMax - FPCXHeader.pcxYMin + 1;
    const int bitsPerPixel = FPCXHeader.pcxBitsPerPixel;
    const int planes = FPCXHeader.pcxNPlanes;
    const qint64 bytesPerLine = FPCXHeader.pcxBytesPerLine;
    if (bitsPerPixel == 1 && planes >= 1 && planes <= 4)
        FPCXColorMode = TPCXColorMode::pcx16;
    else if (bitsPerPixel == 8 && planes == 1)
        FPCXColorMode = TPCXColorMode::pcx256;
    else if (bitsPerPixel == 8 && planes == 3)
        FPCXColorMode = TPCXColorMode::pcxTrue;
    else
        in.Fail();

    // Every line must fit the line buffer and hold the picture's width, and
    // the file must hold enough data for the lines the header promises.
    const qint64 lineBytes = bytesPerLine * planes;
    const qint64 widthBytes = bitsPerPixel == 1 ? (qint64(width) + 7) / 8 : width;
    if (lineBytes > kLineBufferSize || widthBytes > bytesPerLine || height <= 0
        || in.Remaining() * kLongestRun < lineBytes * height)
        in.Fail();

    FBitmap = NewBitmap(width, height,
                        FPCXColorMode == TPCXColorMode::pcxTrue ? kFormat24 : QImage::Format_Indexed8,
                        kPcxError);
    switch (FPCXColorMode) {
    case TPCXColorMode::pcx16: ReadPCXBody16(in); break;
    case TPCXColorMode::pcx256: ReadPCXBody256(in, data); break;
    case TPCXColorMode::pcxTrue: ReadPCXBodyTrue(in); break;
    }
}

void TPCXFile::ReadPCXHeader(ByteReader& in)
{
    TPCXHeader& h = FPCXHeader;
    h.pcxManufacturer = in.U8();
    h.pcxVersion = in.U8();
    h.pcxEncoding = in.U8();
    h.pcxBitsPerPixel = in.U8();
    h.pcxXMin = in.U16();
    h.pcxYMin = in.U16();
    h.pcxXMax = in.U16();
    h.pcxyMax = in.U16();
    h.pcxHDpi = in.U16();
    h.pcxVDpi = in.U16();
    for (quint8& c : h.pcxColormap)
        c = in.U8();
    h.pcxReserved = in.U8();
    h.pcxNPlanes = in.U8();
    h.pcxBytesPerLine = in.U16();
    h.pcxPaletteInfo = in.U16();
    h.pcxHscreenSize = in.U16();
    h.pcxVscreenSize = in.U16();
    in.Skip(54);
}

void TPCXFile::ReadPCXLine(ByteReader& in)
{
    const int bytesPerLine = FPCXHeader.pcxBytesPerLine;
    std::fill_n(scan_line.begin(), bytesPerLine * FPCXHeader.pcxNPlanes, 0);
    for (int plane = 0; plane < FPCXHeader.pcxNPlanes; ++plane) {
        // A run is written whole even past the plane's end; the next plane
        // starts at its own offset and overwrites the surplus.
        uchar* out = scan_line.data() + plane * bytesPerLine;
        const uchar* const end = out + bytesPerLine;
        while (out < end) {
            const quint8 b = in.U8();
            if (b >= 0xC0) {
                const int count = b & 0x3F;
                std::memset(out, in.U8(), count);
                out += count;
            } else {
                *out++ = b;
            }
        }
    }
}

void TPCXFile::ReadPCXBody16(ByteReader& in)
{
    const int planes = FPCXHeader.pcxNPlanes;
    QList<QRgb> palette(1 << planes);
    if (planes == 1) {
        palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    } else {
        const auto& map = FPCXHeader.pcxColormap;
        for (int i = 0; i < palette.size(); ++i)
            palette[i] = qRgb(map[3 * i], map[3 * i + 1], map[3 * i + 2]);
    }
    FBitmap.setColorTable(palette);

    const int bytesPerLine = FPCXHeader.pcxBytesPerLine;
    in.Seek(kHeaderSize);
    for (int y = 0; y < FBitmap.height(); ++y) {
        ReadPCXLine(in);
        uchar* row = FBitmap.scanLine(y);
        for (int x = 0; x < FBitmap.width(); ++x) {
            int index = 0;
            for (int plane = 0; plane < planes; ++plane) {
                const uchar b = scan_line[plane * bytesPerLine + x / 8];
                index |= ((b >> (7 - x % 8)) & 1) << plane;
            }
            row[x] = uchar(index);
        }
    }
}

void TPCXFile::ReadPCXBody256(ByteReader& in, const QByteArray& data)
{
    QList<QRgb> palette = GreyPalette();
    const qsizetype paletteAt = data.size() - kPaletteSize;
    if (paletteAt >= 0 && quint8(data[paletteAt]) == 12) {
        const auto* entry = reinterpret_cast<const uchar*>(data.constData()) + paletteAt + 1;
        for (int i = 0; i < 256; ++i, entry += 3)
            palette[i] = qRgb(entry[0], entry[1], entry[2]);
    }
    FBitmap.setColorTable(palette);

    in.Seek(kHeaderSize);
    for (int y = 0; y < FBitmap.height(); ++y) {
        ReadPCXLine(in);
        std::memcpy(FBitmap.scanLine(y), scan_line.data(), FBitmap.width());
    }
}

void TPCXFile::ReadPCXBodyTrue(ByteReader& in)
{
    const int bytesPerLine = FPCXHeader.pcxBytesPerLine;
    in.Seek(kHeaderSize);
    for (int y = 0; y < FBitmap.height(); ++y) {
        ReadPCXLine(in);
        uchar* row = FBitmap.scanLine(y);
        for (int x = 0; x < FBitmap.width(); ++x) {
            row[3 * x] = scan_line[x];
            row[3 * x + 1] = scan_line[bytesPerLine + x];
            row[3 * x + 2] = scan_line[2 * bytesPerLine + x];
        }
    }
}

QByteArray TPCXFile::Encode()
{
    if (FBitmap.isNull() || FBitmap.width() > 65535 || FBitmap.height() > 65535)
        throw EGraphicFormat("PCX pictures hold 1 to 65535 pixels in each direction");
    FPCXColorMode = FBitmap.format() == QImage::Format_Indexed8 ? TPCXColorMode::pcx256
                                                                : TPCXColorMode::pcxTrue;
    FillPCXHeader();
    QByteArray out;
    WritePCXHeader(out);
    if (FPCXColorMode == TPCXColorMode::pcx256)
        WritePCXBody256(out);
    else
        WritePCXBodyTrue(out);
    return out;
}

void TPCXFile::FillPCXHeader()
{
    TPCXHeader h;
    const bool palette = FPCXColorMode == TPCXColorMode::pcx256;
    h.pcxManufacturer = 10;
    h.pcxVersion = 5;
    h.pcxEncoding = 1;
    h.pcxBitsPerPixel = 8;
    h.pcxXMax = quint16(FBitmap.width() - 1);
    h.pcxyMax = quint16(FBitmap.height() - 1);
    h.pcxHDpi = quint16(FBitmap.width());
    h.pcxVDpi = quint16(FBitmap.height());
    const QList<QRgb> colours = FBitmap.colorTable();
    for (int i = 0; palette && i < std::min<int>(16, colours.size()); ++i) {
        h.pcxColormap[3 * i] = quint8(qRed(colours[i]));
        h.pcxColormap[3 * i + 1] = quint8(qGreen(colours[i]));
        h.pcxColormap[3 * i + 2] = quint8(qBlue(colours[i]));
    }
    h.pcxNPlanes = palette ? 1 : 3;
    h.pcxBytesPerLine = quint16(FBitmap.width());
    h.pcxPaletteInfo = 1;
    FPCXHeader = h;
}

void TPCXFile::WritePCXHeader(QByteArray& out) const
{
    const TPCXHeader& h = FPCXHeader;
    PutU8(out, h.pcxManufacturer);
    PutU8(out, h.pcxVersion);
    PutU8(out, h.pcxEncoding);
    PutU8(out, h.pcxBitsPerPixel);
    for (quint16 v : {h.pcxXMin, h.pcxYMin, h.pcxXMax, h.pcxyMax, h.pcxHDpi, h.pcxVDpi})
        PutU16(out, v);
    out.append(reinterpret_cast<const char*>(h.pcxColormap.data()), h.pcxColormap.size());
    PutU8(out, h.pcxReserved);
    PutU8(out, h.pcxNPlanes);
    for (quint16 v : {h.pcxBytesPerLine, h.pcxPaletteInfo, h.pcxHscreenSize, h.pcxVscreenSize})
        PutU16(out, v);
    out.append(54, '\0');
}

void TPCXFile::WritePlanes(QByteArray& out, int planes)
{
    const int width = FBitmap.width();
    for (int plane = 0; plane < planes; ++plane)
        EncodePCXPlane(scan_line.data() + plane * width, width, out);
}

void TPCXFile::WritePCXBody256(QByteArray& out)
{
    scan_line.resize(std::max<std::size_t>(scan_line.size(), FBitmap.width()));
    for (int y = 0; y < FBitmap.height(); ++y) {
        std::memcpy(scan_line.data(), FBitmap.constScanLine(y), FBitmap.width());
        WritePlanes(out, 1);
    }
    PutU8(out, 12);
    QList<QRgb> colours = FBitmap.colorTable();
    colours.resize(256);
    for (QRgb c : colours) {
        PutU8(out, qRed(c));
        PutU8(out, qGreen(c));
        PutU8(out, qBlue(c));
    }
}

void TPCXFile::WritePCXBodyTrue(QByteArray& out)
{
    const int width = FBitmap.width();
    scan_line.resize(std::max<std::size_t>(scan_line.size(), 3 * std::size_t(width)));
    for (int y = 0; y < FBitmap.height(); ++y) {
        const uchar* row = FBitmap.constScanLine(y);
        for (int x = 0; x < width; ++x)
            for (int plane = 0; plane < 3; ++plane)
                scan_line[plane * width + x] = row[3 * x + plane];
        WritePlanes(out, 3);
    }
    PutU8(out, 12);
}

void EncodePCXPlane(const uchar* plane, int length, QByteArray& out)
{
    int i = 0;
    while (i < length) {
        const uchar value = plane[i];
        int run = 1;
        while (i + run < length && plane[i + run] == value && run < kLongestRun)
            ++run;
        if (run > 1 || value >= 0xC0)
            PutU8(out, 0xC0 + run);
        PutU8(out, value);
        i += run;
    }
}

} // namespace images
