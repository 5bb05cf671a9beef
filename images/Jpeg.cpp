#include "images/Jpeg.h"

#include "images/codecs/GraphicFormat.h"

#include <turbojpeg.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace images {

namespace {

constexpr const char* kJpegError = "JPEG loading error";

struct HandleDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleDeleter>;

struct BufferDeleter {
    void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

int Scaled(int size, int denominator)
{
    return (size + denominator - 1) / denominator;
}

// Warnings (a truncated file, say) still give a picture; only errors fail.
bool Failed(int result, void* handle)
{
    return result != 0 && tjGetErrorCode(handle) != TJERR_WARNING;
}

struct Header {
    QSize size;
    int colourspace = TJCS_RGB;
};

Header ReadHeader(void* handle, const QByteArray& data)
{
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (!handle
        || tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(data.constData()),
                               static_cast<unsigned long>(data.size()), &width, &height,
                               &subsampling, &colourspace) != 0)
        throw EGraphicFormat(kJpegError);
    // The decoder's working memory grows with the full size even when it
    // scales down, so a size no real picture has is refused before decoding.
    if (qint64(width) * height > kMaxBitmapPixels)
        throw EGraphicFormat(kJpegError);
    return {{width, height}, colourspace};
}

bool IsInk(int colourspace)
{
    return colourspace == TJCS_CMYK || colourspace == TJCS_YCCK;
}

// Ink pictures (from scanners and print work) come as inverted CMYK, as
// Adobe's programs write them and libjpeg hands them on: 255 is no ink. Red
// is then what cyan and black leave of white.
void InkToRgb(const std::vector<unsigned char>& cmyk, QImage& bitmap)
{
    const unsigned char* p = cmyk.data();
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* out = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x, p += 4, out += 3) {
            const int k = p[3];
            out[0] = uchar((p[0] * k + 127) / 255);
            out[1] = uchar((p[1] * k + 127) / 255);
            out[2] = uchar((p[2] * k + 127) / 255);
        }
    }
}

} // namespace

int ReducedJpegScale(int width)
{
    for (int denominator : {8, 4, 2})
        if (double(width) / denominator > 70.0)
            return denominator;
    return 1;
}

int JpegScaleForSize(QSize picture, QSize size)
{
    for (int denominator : {8, 4, 2})
        if (Scaled(picture.width(), denominator) >= size.width()
            && Scaled(picture.height(), denominator) >= size.height())
            return denominator;
    return 1;
}

QSize JpegSize(const QByteArray& data)
{
    Handle handle(tjInitDecompress());
    return ReadHeader(handle.get(), data).size;
}

QImage DecodeJpeg(const QByteArray& data, int denominator, bool* damaged)
{
    Handle handle(tjInitDecompress());
    const Header header = ReadHeader(handle.get(), data);
    QImage bitmap = NewBitmap(Scaled(header.size.width(), denominator),
                              Scaled(header.size.height(), denominator), kFormat24, kJpegError);
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const auto size = static_cast<unsigned long>(data.size());
    // Accurate DCT and smooth upsampling; progressive files with absurd scan
    // counts are refused.
    constexpr int kFlags = TJFLAG_ACCURATEDCT | TJFLAG_LIMITSCANS;
    int result = 0;
    if (IsInk(header.colourspace)) {
        std::vector<unsigned char> cmyk(std::size_t(bitmap.width()) * bitmap.height() * 4);
        result = tjDecompress2(handle.get(), bytes, size, cmyk.data(), bitmap.width(),
                               bitmap.width() * 4, bitmap.height(), TJPF_CMYK, kFlags);
        InkToRgb(cmyk, bitmap);
    } else {
        result = tjDecompress2(handle.get(), bytes, size, bitmap.bits(), bitmap.width(),
                               int(bitmap.bytesPerLine()), bitmap.height(), TJPF_RGB, kFlags);
    }
    if (Failed(result, handle.get()))
        throw EGraphicFormat(kJpegError);
    if (damaged)
        *damaged = result != 0;
    return bitmap;
}

QByteArray EncodeJpeg(const QImage& bitmap, int quality)
{
    const QImage source = bitmap.convertToFormat(kFormat24);
    if (source.isNull())
        throw EGraphicFormat("JPEG saving error: empty picture");
    Handle handle(tjInitCompress());
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const int result = tjCompress2(handle.get(), source.constBits(), source.width(),
                                   int(source.bytesPerLine()), source.height(), TJPF_RGB, &buffer,
                                   &size, TJSAMP_420, std::clamp(quality, 1, 100), TJFLAG_ACCURATEDCT);
    std::unique_ptr<unsigned char, BufferDeleter> owned(buffer);
    if (result != 0)
        throw EGraphicFormat(std::string("JPEG saving error: ") + tjGetErrorStr2(handle.get()));
    return QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
}

} // namespace images
