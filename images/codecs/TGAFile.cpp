#include "images/codecs/TGAFile.h"

#include <algorithm>
#include <cstring>

namespace images {

namespace {

constexpr const char* kTgaError = "Not supported or invalid TGA-File";

bool RunLengthEncoded(int imageType)
{
    return imageType >= 9;
}

int StoredBytesPerPixel(int bits)
{
    return bits <= 8 ? 1 : bits / 8;
}

// A 16-bit colour as five bits each of red, green and blue.
QRgb Colour16(quint16 v)
{
    return qRgb(((v >> 10) & 31) * 8, ((v >> 5) & 31) * 8, (v & 31) * 8);
}

} // namespace

void TTGAFile::LoadFromFile(const QString& fileName)
{
    Decode(ReadFileBytes(fileName, kTgaError));
}

void TTGAFile::LoadFromStream(QIODevice& stream)
{
    Decode(ReadFromStart(stream));
}

void TTGAFile::SaveToFile(const QString& fileName)
{
    WriteFileBytes(fileName, Encode());
}

void TTGAFile::SaveToStream(QIODevice& stream)
{
    WriteFromStart(stream, Encode());
}

void TTGAFile::LoadBitmap(const QString& fileName)
{
    QImage bitmap;
    if (!bitmap.load(fileName, "BMP"))
        throw EGraphicFormat("Invalid bitmapfile (TGA)");
    AssignBitmap(bitmap);
}

void TTGAFile::AssignBitmap(const QImage& bitmap)
{
    FBitmap = bitmap.format() == QImage::Format_Indexed8 ? bitmap
                                                         : bitmap.convertToFormat(kFormat24);
}

void TTGAFile::Decode(const QByteArray& data)
{
    ByteReader in(data, kTgaError);
    TTGAHeader& h = FTGAHeader;
    h.tgaIdentSize = in.U8();
    h.tgaColorMapType = in.U8();
    h.tgaImageType = in.U8();
    h.tgaColorMapStart = in.U16();
    h.tgaColorMapLength = in.U16();
    h.tgaColorMapBits = in.U8();
    h.tgaXStart = in.U16();
    h.tgaYStart = in.U16();
    h.tgaWidth = in.U16();
    h.tgaHeight = in.U16();
    h.tgaBits = in.U8();
    h.tgaDescriptor = in.U8();
    in.Skip(h.tgaIdentSize);

    // 4-bit pictures have no defined pixel layout; they are refused rather
    // than shown blank.
    const auto type = h.tgaImageType;
    const auto bits = h.tgaBits;
    if (!(type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11)
        || !(bits == 1 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        in.Fail();

    QList<QRgb> palette = GreyPalette();
    if (h.tgaColorMapType != 0)
        palette = ReadColorMap(in);
    if (bits == 1)
        palette = {qRgb(0, 0, 0), qRgb(255, 255, 255)};

    // The file must hold at least the smallest encoding of every line.
    const qint64 width = h.tgaWidth;
    const qint64 valueBytes = StoredBytesPerPixel(bits);
    const qint64 lineBytes = RunLengthEncoded(type) ? (width + 127) / 128 * (1 + valueBytes)
                             : bits == 1            ? (width + 7) / 8
                                                    : width * valueBytes;
    if (in.Remaining() < lineBytes * h.tgaHeight)
        in.Fail();

    const QImage::Format format = bits == 1   ? QImage::Format_Mono
                                  : bits == 8 ? QImage::Format_Indexed8
                                              : kFormat24;
    FBitmap = NewBitmap(h.tgaWidth, h.tgaHeight, format, kTgaError);
    if (bits <= 8)
        FBitmap.setColorTable(palette);

    scan_line.assign(std::size_t(width) * 3, 0);
    const bool topFirst = h.tgaDescriptor & 0x20;
    for (int line = 0; line < h.tgaHeight; ++line) {
        ReadLine(in);
        StoreLine(topFirst ? line : h.tgaHeight - 1 - line);
    }
}

QList<QRgb> TTGAFile::ReadColorMap(ByteReader& in) const
{
    const TTGAHeader& h = FTGAHeader;
    const int entryBits = h.tgaColorMapBits;
    if (entryBits != 15 && entryBits != 16 && entryBits != 24 && entryBits != 32)
        in.Fail();
    QList<QRgb> palette(256, qRgb(0, 0, 0));
    for (int i = 0; i < h.tgaColorMapLength; ++i) {
        QRgb colour;
        if (entryBits <= 16) {
            colour = Colour16(in.U16());
        } else {
            const int b = in.U8();
            const int g = in.U8();
            colour = qRgb(in.U8(), g, b);
            if (entryBits == 32)
                in.Skip(1);
        }
        // Entries past index 255 are read over, not kept.
        if (h.tgaColorMapStart + i < 256)
            palette[h.tgaColorMapStart + i] = colour;
    }
    return palette;
}

void TTGAFile::ReadPixel(ByteReader& in, uchar* pixel) const
{
    switch (FTGAHeader.tgaBits) {
    case 1:
    case 8:
        pixel[0] = in.U8();
        break;
    case 16: {
        const QRgb c = Colour16(in.U16());
        pixel[0] = uchar(qBlue(c));
        pixel[1] = uchar(qGreen(c));
        pixel[2] = uchar(qRed(c));
        break;
    }
    default: // 24 and 32 bits: blue, green, red, and a fourth byte skipped
        pixel[0] = in.U8();
        pixel[1] = in.U8();
        pixel[2] = in.U8();
        if (FTGAHeader.tgaBits == 32)
            in.Skip(1);
    }
}

void TTGAFile::ReadLine(ByteReader& in)
{
    const int width = FTGAHeader.tgaWidth;
    const int step = FTGAHeader.tgaBits <= 8 ? 1 : 3;
    if (!RunLengthEncoded(FTGAHeader.tgaImageType)) {
        if (FTGAHeader.tgaBits == 1) {
            for (int x = 0; x < width; x += 8) {
                const quint8 b = in.U8();
                for (int bit = 0; bit < 8 && x + bit < width; ++bit)
                    scan_line[x + bit] = (b >> (7 - bit)) & 1;
            }
        } else {
            for (int x = 0; x < width; ++x)
                ReadPixel(in, &scan_line[std::size_t(x) * step]);
        }
        return;
    }
    // Packets never carry over into the next line: their surplus is dropped.
    int x = 0;
    while (x < width) {
        const quint8 packet = in.U8();
        const int count = (packet & 0x7F) + 1;
        uchar pixel[3] = {};
        if (packet & 0x80)
            ReadPixel(in, pixel);
        for (int i = 0; i < count; ++i, ++x) {
            if (!(packet & 0x80))
                ReadPixel(in, pixel);
            if (x < width)
                std::memcpy(&scan_line[std::size_t(x) * step], pixel, step);
        }
    }
}

void TTGAFile::StoreLine(int row)
{
    const int width = FTGAHeader.tgaWidth;
    const int step = FTGAHeader.tgaBits <= 8 ? 1 : 3;
    if (FTGAHeader.tgaDescriptor & 0x10)
        for (int x = 0; x < width / 2; ++x)
            std::swap_ranges(&scan_line[std::size_t(x) * step], &scan_line[std::size_t(x + 1) * step],
                             &scan_line[std::size_t(width - 1 - x) * step]);

    uchar* out = FBitmap.scanLine(row);
    switch (FTGAHeader.tgaBits) {
    case 1:
        for (int x = 0; x < width; ++x)
            FBitmap.setPixel(x, row, scan_line[x] ? 1 : 0);
        break;
    case 8:
        std::memcpy(out, scan_line.data(), width);
        break;
    default:
        for (int x = 0; x < width; ++x) {
            out[3 * x] = scan_line[3 * x + 2];
            out[3 * x + 1] = scan_line[3 * x + 1];
            out[3 * x + 2] = scan_line[3 * x];
        }
    }
}

QByteArray TTGAFile::Encode()
{
    if (FBitmap.isNull() || FBitmap.width() > 65535 || FBitmap.height() > 65535)
        throw EGraphicFormat("TGA pictures hold 1 to 65535 pixels in each direction");
    const bool indexed = FBitmap.format() == QImage::Format_Indexed8;
    TTGAHeader h;
    h.tgaIdentSize = 44;
    h.tgaColorMapType = indexed ? 1 : 0;
    h.tgaImageType = indexed ? 1 : 2;
    h.tgaColorMapLength = indexed ? 256 : 0;
    h.tgaColorMapBits = 24;
    h.tgaWidth = quint16(FBitmap.width());
    h.tgaHeight = quint16(FBitmap.height());
    h.tgaBits = indexed ? 8 : 24;
    h.tgaDescriptor = 0x20;
    FTGAHeader = h;

    QByteArray out;
    for (int v : {h.tgaIdentSize, h.tgaColorMapType, h.tgaImageType})
        PutU8(out, v);
    PutU16(out, h.tgaColorMapStart);
    PutU16(out, h.tgaColorMapLength);
    PutU8(out, h.tgaColorMapBits);
    for (int v : {h.tgaXStart, h.tgaYStart, h.tgaWidth, h.tgaHeight})
        PutU16(out, v);
    PutU8(out, h.tgaBits);
    PutU8(out, h.tgaDescriptor);
    out.append(kTgaIdentification);
    PutU8(out, 0x1A);

    const int width = FBitmap.width();
    if (indexed) {
        QList<QRgb> colours = FBitmap.colorTable();
        colours.resize(256);
        for (QRgb c : colours) {
            PutU8(out, qBlue(c));
            PutU8(out, qGreen(c));
            PutU8(out, qRed(c));
        }
        for (int y = 0; y < FBitmap.height(); ++y)
            out.append(reinterpret_cast<const char*>(FBitmap.constScanLine(y)), width);
        return out;
    }
    for (int y = 0; y < FBitmap.height(); ++y) {
        const uchar* row = FBitmap.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            PutU8(out, row[3 * x + 2]);
            PutU8(out, row[3 * x + 1]);
            PutU8(out, row[3 * x]);
        }
    }
    return out;
}

} // namespace images
