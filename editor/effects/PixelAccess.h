#pragma once
// Helpers for the pixel loops: 24-bit images are rows of blue, green, red bytes.

#include "EffectTypes.h"

#include <QImage>

#include <cmath>
#include <cstdint>
#include <new>
#include <utility>

namespace effects::detail {

constexpr QImage::Format kFormat24 = QImage::Format_BGR888;
constexpr QImage::Format kFormat32 = QImage::Format_ARGB32;
constexpr int kBlue = 0, kGreen = 1, kRed = 2;

inline QImage checked(QImage image, QSize size)
{
    if (image.isNull() && !size.isEmpty())
        throw std::bad_alloc();
    return image;
}

// A 24-bit view of the source; shares the pixels when it already is one.
inline QImage as24(const QImage& image)
{
    return image.format() == kFormat24 ? image : checked(image.convertToFormat(kFormat24), image.size());
}

inline QImage as32(const QImage& image)
{
    return image.format() == kFormat32 ? image : checked(image.convertToFormat(kFormat32), image.size());
}

// A fresh 24-bit image whose every pixel the caller writes.
inline QImage new24(QSize size) { return checked(QImage(size, kFormat24), size); }

// Where an operation that writes every pixel puts its result: the
// destination's own pixels when they already have the size and format and
// nobody else (the source included) shares them, else a fresh image. Reusing
// them spares the page faults of a new allocation.
inline QImage target24(QImage& dst, QSize size)
{
    if (dst.size() == size && dst.format() == kFormat24 && dst.isDetached())
        return std::exchange(dst, QImage());
    return new24(size);
}

// The destination as the operation finds it when it has the wanted size and
// format (pixels an operation does not write stay as they were), else white.
inline void prepare24(QImage& dst, QSize size)
{
    if (dst.size() == size && dst.format() == kFormat24) {
        dst.detach();
        return;
    }
    dst = new24(size);
    dst.fill(Qt::white);
}

inline uint8_t clampByte(int64_t v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }
inline uint8_t clampTrunc(double v) { return uint8_t(v >= 255 ? 255 : v < 0 ? 0 : int(v)); }
// Nearest integer, halves to even.
inline int rnd(double v) { return int(std::nearbyint(v)); }
inline int lightness(int r, int g, int b)
{
    const int mx = std::max(r, std::max(g, b));
    const int mn = std::min(r, std::min(g, b));
    return (mx + mn) / 2;
}

// Converts a real coordinate (already truncated or rounded) into an index;
// false when it lies outside 0 .. n - 1 or is not a number.
inline bool inRange(double v, int n, int& index)
{
    if (!(v >= 0.0 && v < double(n)))
        return false;
    index = int(v);
    return true;
}

// Reports (0, 100, rnd(row / height * 100)).
class RowProgress {
public:
    RowProgress(const Progress& progress, int height) : progress_(progress), height_(height) {}
    void operator()(int row) const
    {
        if (progress_ && height_ > 0)
            progress_(0, 100, rnd(double(row) / height_ * 100.0));
    }

private:
    const Progress& progress_;
    int height_;
};

} // namespace effects::detail
