#pragma once
// Caption bars drawn by FreeType directly, not by the Qt path the stored
// networks were trained on: mono, grey and LCD rasterisation, blended on
// 8-bit values or in linear light, several fonts, sizes and desktop themes.
// They stand for screens the networks never saw.

#include "ocr/core/Image.h"

#include <memory>
#include <string>
#include <vector>

namespace ocrbench {

enum class Raster { Mono, Grey, GreyLinear, LcdRgb, LcdBgr, LcdRgbUnfiltered };
enum class Theme { FlatBlue, Gradient, DarkGrey, LightGrey };

struct FontFile {
    std::string name;
    std::string path;
};
// The fonts a Q7 screen may draw its caption with, where installed.
std::vector<FontFile> CaptionFonts();

const char* RasterName(Raster raster);
const char* ThemeName(Theme theme);
bool IsSubPixel(Raster raster);

struct CaptionStyle {
    const FontFile* font = nullptr;
    int pixelSize = 19;
    Raster raster = Raster::Grey;
    Theme theme = Theme::FlatBlue;
    int phase64 = 0; // sub-pixel start, in 1/64 pixel
};

class FreeTypeCaption {
public:
    FreeTypeCaption();
    ~FreeTypeCaption();
    FreeTypeCaption(const FreeTypeCaption&) = delete;
    FreeTypeCaption& operator=(const FreeTypeCaption&) = delete;

    // A caption bar width x height with text placed for the offset-0 strip:
    // a hyphen's centre lands where the strip cleaning paints white, and text
    // without hyphen starts near the strip's left edge. False when a glyph
    // cannot be drawn.
    bool Render(const std::string& text, const CaptionStyle& style, int width, int height,
                ocr::Image& out);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace ocrbench
