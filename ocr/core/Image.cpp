#include "Image.h"

#include <algorithm>

namespace ocr {

Image::Image(int width, int height, Rgb fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill)
{
}

void Image::fillRect(int left, int top, int right, int bottom, Rgb c)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            setPixel(x, y, c);
}

} // namespace ocr
