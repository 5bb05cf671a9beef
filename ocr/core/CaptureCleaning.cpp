#include "CaptureCleaning.h"


#include <algorithm>
#include <array>
#include <cstdlib>

namespace ocr {

Rgb ReferenceColour(const Image& picture)
{
    return picture.isEmpty() ? kWhite : picture.pixel(0, picture.height() - 1);
}

Image Mask(const Image& picture)
{
    const Rgb reference = ReferenceColour(picture);
    Image result(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            result.setPixel(x, y, picture.pixel(x, y) == reference ? kWhite : kBlack);
    return result;
}

Image PrepareClearType(const Image& picture)
{
    static const std::array<int, 256> contrast = [] {
        std::array<int, 256> table{};
        for (int v = 0; v < 256; ++v) {
            const int step = (std::abs(128 - v) * 255) / 256;
            table[static_cast<std::size_t>(v)] = std::clamp(v <= 126 ? v - step : v + step, 0, 255);
        }
        return table;
    }();
    auto map = [](int v) { return contrast[static_cast<std::size_t>(v)]; };

    Image grey(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb c = picture.pixel(x, y);
            const int r = map(redOf(c)), g = map(greenOf(c)), b = map(blueOf(c));
            const int v = (std::max({r, g, b}) + std::min({r, g, b})) / 2;
            grey.setPixel(x, y, makeRgb(v, v, v));
        }
    if (picture.isEmpty())
        return grey;

    const Rgb ref = ReferenceColour(picture);
    const int sum = map(redOf(ref)) + map(greenOf(ref)) + map(blueOf(ref));
    const int threshold = sum <= 300 ? 239 : 254;
    const Rgb greyRef = ReferenceColour(grey);
    auto channel = [&](int v, int refChannel) { return v > threshold ? 255 : refChannel; };
    Image result(picture.width(), picture.height());
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const Rgb c = grey.pixel(x, y);
            result.setPixel(x, y, makeRgb(channel(redOf(c), redOf(greyRef)),
                                          channel(greenOf(c), greenOf(greyRef)),
                                          channel(blueOf(c), blueOf(greyRef))));
        }
    return result;
}

Image CleanStrip(const Image& strip, StripKind kind, bool clearType)
{
    Image clean = Mask(clearType ? PrepareClearType(strip) : strip);
    const int w = clean.width(), h = clean.height();
    switch (kind) {
    case StripKind::CaptionBar:
        clean.fillRect(w - 58, 12, w - 52, 16, kWhite);
        clean.fillRect(w - 6, 0, w, h, kWhite);
        break;
    case StripKind::Appointment:
        clean.fillRect(56, 5, 60, 8, kWhite);
        break;
    case StripKind::Plain:
        break;
    }
    return clean;
}

} // namespace ocr
