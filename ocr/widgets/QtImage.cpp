#include "QtImage.h"

namespace ocr {

Image FromQImage(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Image result(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            result.setPixel(x, y, line[x] & 0xFFFFFF);
    }
    return result;
}

QImage ToQImage(const Image& image)
{
    QImage result(image.width(), image.height(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = 0xFF000000u | image.pixel(x, y);
    }
    return result;
}

} // namespace ocr
