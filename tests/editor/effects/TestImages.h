#pragma once
// Small 24-bit fixtures for the pixel tests.

#include <QImage>

#include <functional>

namespace effects::test {

inline QImage image24(int w, int h, const std::function<QRgb(int x, int y)>& colour)
{
    QImage img(w, h, QImage::Format_BGR888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, colour(x, y));
    return img;
}

inline QImage flat24(int w, int h, QRgb colour)
{
    return image24(w, h, [colour](int, int) { return colour; });
}

// Deterministic noise.
inline QImage noise24(int w, int h, quint32 seed = 1)
{
    return image24(w, h, [&seed](int, int) {
        seed = seed * 1664525u + 1013904223u;
        return QRgb(seed >> 8) | 0xFF000000u;
    });
}

inline QRgb at(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }

} // namespace effects::test
