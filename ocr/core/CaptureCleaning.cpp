#include "CaptureCleaning.h"


#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

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

namespace {

void whitenSeparators(Image& clean, StripKind kind)
{
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
}

// The threshold that best splits a histogram in two (Otsu); 0 when flat.
int otsu(const std::array<int, 256>& histogram)
{
    long total = 0;
    double sum = 0;
    for (int v = 0; v < 256; ++v) {
        total += histogram[static_cast<std::size_t>(v)];
        sum += static_cast<double>(v) * histogram[static_cast<std::size_t>(v)];
    }
    long below = 0;
    double sumBelow = 0, best = -1;
    int threshold = 0;
    for (int t = 0; t < 256; ++t) {
        below += histogram[static_cast<std::size_t>(t)];
        sumBelow += static_cast<double>(t) * histogram[static_cast<std::size_t>(t)];
        const long above = total - below;
        if (below == 0 || above == 0)
            continue;
        const double meanBelow = sumBelow / static_cast<double>(below);
        const double meanAbove = (sum - sumBelow) / static_cast<double>(above);
        const double between = static_cast<double>(below) * static_cast<double>(above) *
                               (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best) {
            best = between;
            threshold = t;
        }
    }
    return threshold;
}

} // namespace

Image CleanStrip(const Image& strip, StripKind kind, bool clearType)
{
    Image clean = Mask(clearType ? PrepareClearType(strip) : strip);
    whitenSeparators(clean, kind);
    return clean;
}

Image ThresholdClean(const Image& strip, StripKind kind)
{
    const int w = strip.width(), h = strip.height();
    Image clean(w, h, kWhite);
    if (strip.isEmpty())
        return clean;
    std::vector<std::uint8_t> difference(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    std::array<int, 256> histogram{};
    for (int x = 0; x < w; ++x) {
        const Rgb ground = strip.pixel(x, h - 1);
        for (int y = 0; y < h; ++y) {
            const Rgb c = strip.pixel(x, y);
            const int d = std::max({std::abs(redOf(c) - redOf(ground)),
                                    std::abs(greenOf(c) - greenOf(ground)),
                                    std::abs(blueOf(c) - blueOf(ground))});
            difference[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                       static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(d);
            ++histogram[static_cast<std::size_t>(d)];
        }
    }
    const int threshold = otsu(histogram);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (difference[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                           static_cast<std::size_t>(x)] > threshold)
                clean.setPixel(x, y, kBlack);
    whitenSeparators(clean, kind);
    return clean;
}

} // namespace ocr
