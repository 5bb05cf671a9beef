#pragma once
// A plain 24-bit picture for the recognition core: no GUI toolkit types, so
// the core builds wherever a C++ compiler does.

#include <cstdint>
#include <vector>

namespace ocr {

// 0xRRGGBB; black is 0.
using Rgb = std::uint32_t;
constexpr Rgb kBlack = 0x000000;
constexpr Rgb kWhite = 0xFFFFFF;

constexpr int redOf(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int greenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int blueOf(Rgb c) { return static_cast<int>(c & 0xFF); }
constexpr Rgb makeRgb(int r, int g, int b)
{
    return (static_cast<Rgb>(r & 0xFF) << 16) | (static_cast<Rgb>(g & 0xFF) << 8) |
           static_cast<Rgb>(b & 0xFF);
}

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgb fill = kWhite);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }

    Rgb pixel(int x, int y) const { return pixels_[index(x, y)]; }
    void setPixel(int x, int y, Rgb c) { pixels_[index(x, y)] = c; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    // Fills [left, right) x [top, bottom), clipped to the picture.
    void fillRect(int left, int top, int right, int bottom, Rgb c);

    const std::vector<Rgb>& pixels() const { return pixels_; }
    bool operator==(const Image&) const = default;

private:
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> pixels_;
};

} // namespace ocr
