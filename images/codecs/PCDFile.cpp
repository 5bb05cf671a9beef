#include "images/codecs/PCDFile.h"

#include <algorithm>

namespace images {

namespace {

constexpr const char* kPcdError = "Invalid PCD-File";
constexpr int kOrientationOffset = 72;
constexpr qsizetype kBaseImageOffset = 0x30000;
constexpr int kWidth = 768;
constexpr int kHeight = 512;
constexpr int kGroupSize = 2 * kWidth + kWidth; // two luma rows, then C1 and C2

// The conversion factors times 10^7, so that the sums are exact and the
// rounding to even is decided on exact values.
constexpr qint64 kScale = 10'000'000;

int RoundToByte(qint64 scaled)
{
    qint64 q = scaled / kScale;
    qint64 r = scaled % kScale;
    if (r < 0) {
        q -= 1;
        r += kScale;
    }
    if (2 * r > kScale || (2 * r == kScale && (q & 1)))
        ++q;
    return int(std::clamp<qint64>(q, 0, 255));
}

} // namespace

QRgb PhotoYccToRgb(int y, int c1, int c2)
{
    const qint64 luma = 14'074'880LL * y;
    const qint64 cb = c1 - 156;
    const qint64 cr = c2 - 137;
    return qRgb(RoundToByte(luma + 13'230'336LL * cr),
                RoundToByte(luma - 3'954'176LL * cb - 6'739'200LL * cr),
                RoundToByte(luma + 20'360'448LL * cb));
}

void TPCDFile::LoadFromFile(const QString& fileName)
{
    Decode(ReadFileBytes(fileName, kPcdError));
}

void TPCDFile::LoadFromStream(QIODevice& stream)
{
    Decode(ReadFromStart(stream));
}

void TPCDFile::Decode(const QByteArray& data)
{
    if (data.size() < kBaseImageOffset + qsizetype(kHeight / 2) * kGroupSize)
        throw EGraphicFormat(kPcdError);
    const bool upright = (quint8(data[kOrientationOffset]) & 0x3F) != 8;
    FBitmap = upright ? NewBitmap(kHeight, kWidth, kFormat24, kPcdError)
                      : NewBitmap(kWidth, kHeight, kFormat24, kPcdError);

    const auto* group = reinterpret_cast<const uchar*>(data.constData()) + kBaseImageOffset;
    for (int pair = 0; pair < kHeight / 2; ++pair, group += kGroupSize) {
        const uchar* c1 = group + 2 * kWidth;
        const uchar* c2 = c1 + kWidth / 2;
        for (int half = 0; half < 2; ++half) {
            const int row = 2 * pair + half;
            const uchar* luma = group + half * kWidth;
            for (int x = 0; x < kWidth; ++x) {
                const QRgb c = PhotoYccToRgb(luma[x], c1[x / 2], c2[x / 2]);
                // Upright pictures are turned a quarter turn anticlockwise.
                uchar* out = upright ? FBitmap.scanLine(kWidth - 1 - x) + 3 * row
                                     : FBitmap.scanLine(row) + 3 * x;
                out[0] = uchar(qRed(c));
                out[1] = uchar(qGreen(c));
                out[2] = uchar(qBlue(c));
            }
        }
    }
}

} // namespace images
