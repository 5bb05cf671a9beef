#include "FreeTypeCaption.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_LCD_FILTER_H

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

namespace ocrbench {

std::vector<FontFile> CaptionFonts()
{
    const FontFile all[] = {
        {"Liberation Sans", "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"},
        {"Liberation Sans Narrow",
         "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf"},
        {"DejaVu Sans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
        {"Tahoma (Wine)", "/usr/share/wine/fonts/tahoma.ttf"},
        {"MS Sans Serif (Wine)", "/usr/share/wine/fonts/ms_sans_serif.ttf"},
    };
    std::vector<FontFile> found;
    for (const auto& f : all)
        if (std::filesystem::exists(f.path))
            found.push_back(f);
    return found;
}

const char* RasterName(Raster raster)
{
    switch (raster) {
    case Raster::Mono: return "mono";
    case Raster::Grey: return "grey";
    case Raster::GreyLinear: return "grey-linear";
    case Raster::LcdRgb: return "lcd-rgb";
    case Raster::LcdBgr: return "lcd-bgr";
    case Raster::LcdRgbUnfiltered: return "lcd-rgb-nofilter";
    }
    return "?";
}

const char* ThemeName(Theme theme)
{
    switch (theme) {
    case Theme::FlatBlue: return "flat blue";
    case Theme::Gradient: return "gradient";
    case Theme::DarkGrey: return "dark grey";
    case Theme::LightGrey: return "light grey";
    }
    return "?";
}

bool IsSubPixel(Raster raster)
{
    return raster == Raster::LcdRgb || raster == Raster::LcdBgr ||
           raster == Raster::LcdRgbUnfiltered;
}

namespace {

double toLinear(int v)
{
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
int toSrgb(double l)
{
    const double c = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1.0 / 2.4) - 0.055;
    return std::clamp(static_cast<int>(std::lround(c * 255.0)), 0, 255);
}

ocr::Rgb background(Theme theme, int x, int width)
{
    switch (theme) {
    case Theme::FlatBlue: return ocr::makeRgb(0, 84, 147);
    case Theme::Gradient: {
        // Left to right, as classic Windows caption gradients run.
        const double t = width > 1 ? static_cast<double>(x) / (width - 1) : 0.0;
        auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
        return ocr::makeRgb(mix(10, 166), mix(36, 202), mix(106, 240));
    }
    case Theme::DarkGrey: return ocr::makeRgb(64, 64, 64);
    case Theme::LightGrey: return ocr::makeRgb(212, 208, 200);
    }
    return ocr::kWhite;
}

ocr::Rgb foreground(Theme theme)
{
    return theme == Theme::LightGrey ? ocr::kBlack : ocr::kWhite;
}

// Where the strip cleaning paints white in the offset-0 strip of a bar of
// the given width: the hyphen's centre goes here.
constexpr double kHyphenCentreX = 95.0; // strip x 92..98
constexpr double kHyphenCentreY = 14.0; // rows 12..16

} // namespace

struct FreeTypeCaption::Impl {
    FT_Library library = nullptr;
    std::map<std::string, FT_Face> faces;

    FT_Face face(const FontFile& font)
    {
        auto it = faces.find(font.path);
        if (it != faces.end())
            return it->second;
        FT_Face f = nullptr;
        if (FT_New_Face(library, font.path.c_str(), 0, &f) != 0)
            f = nullptr;
        faces[font.path] = f;
        return f;
    }
};

FreeTypeCaption::FreeTypeCaption() : impl_(std::make_unique<Impl>())
{
    FT_Init_FreeType(&impl_->library);
}

FreeTypeCaption::~FreeTypeCaption()
{
    for (auto& [path, f] : impl_->faces)
        if (f)
            FT_Done_Face(f);
    FT_Done_FreeType(impl_->library);
}

bool FreeTypeCaption::Render(const std::string& text, const CaptionStyle& style, int width,
                             int height, ocr::Image& out)
{
    FT_Face face = style.font ? impl_->face(*style.font) : nullptr;
    if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(style.pixelSize)) != 0)
        return false;
    FT_Library_SetLcdFilter(impl_->library, style.raster == Raster::LcdRgbUnfiltered
                                                ? FT_LCD_FILTER_NONE
                                                : FT_LCD_FILTER_DEFAULT);
    FT_Int32 load = FT_LOAD_RENDER;
    switch (style.raster) {
    case Raster::Mono: load |= FT_LOAD_TARGET_MONO; break;
    case Raster::Grey:
    case Raster::GreyLinear: load |= FT_LOAD_TARGET_NORMAL; break;
    default: load |= FT_LOAD_TARGET_LCD; break;
    }

    // Lay out once without drawing to place the text.
    auto advanceOf = [&](char c) -> long {
        if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_DEFAULT) != 0)
            return -1;
        return face->glyph->advance.x;
    };
    const int stripLeft = width - 154;
    long pen64 = 0;
    int baseline = 0;
    const auto hyphen = text.find('-');
    if (hyphen != std::string::npos) {
        long before = 0;
        for (std::size_t i = 0; i < hyphen; ++i) {
            const long a = advanceOf(text[i]);
            if (a < 0)
                return false;
            before += a;
        }
        if (FT_Load_Char(face, '-', FT_LOAD_RENDER) != 0)
            return false;
        const FT_GlyphSlot g = face->glyph;
        const double inkCentre = g->bitmap_left + g->bitmap.width / 2.0;
        pen64 = std::lround((stripLeft + kHyphenCentreX - inkCentre) * 64.0) - before;
        baseline = static_cast<int>(
            std::lround(kHyphenCentreY + g->bitmap_top - g->bitmap.rows / 2.0));
    } else {
        pen64 = (stripLeft + 4) * 64;
        if (FT_Load_Char(face, '0', FT_LOAD_RENDER) != 0)
            return false;
        baseline = (height + static_cast<int>(face->glyph->bitmap_top)) / 2;
    }
    pen64 = (pen64 & ~63L) + style.phase64;

    out = ocr::Image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.setPixel(x, y, background(style.theme, x, width));
    const ocr::Rgb fg = foreground(style.theme);
    const bool linear = style.raster == Raster::GreyLinear;

    for (char c : text) {
        FT_Vector delta{pen64 & 63, 0};
        FT_Set_Transform(face, nullptr, &delta);
        const FT_Error error = FT_Load_Char(face, static_cast<FT_ULong>(c), load);
        FT_Set_Transform(face, nullptr, nullptr);
        if (error != 0)
            return false;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& bm = g->bitmap;
        const int left = static_cast<int>(pen64 >> 6) + g->bitmap_left;
        const int top = baseline - g->bitmap_top;
        const bool lcd = bm.pixel_mode == FT_PIXEL_MODE_LCD;
        const int pixels = lcd ? static_cast<int>(bm.width) / 3 : static_cast<int>(bm.width);
        for (int row = 0; row < static_cast<int>(bm.rows); ++row) {
            const unsigned char* line = bm.buffer + row * bm.pitch;
            for (int col = 0; col < pixels; ++col) {
                const int x = left + col, y = top + row;
                if (!out.contains(x, y))
                    continue;
                int cover[3];
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
                    const int bit = (line[col >> 3] >> (7 - (col & 7))) & 1;
                    cover[0] = cover[1] = cover[2] = bit * 255;
                } else if (lcd) {
                    for (int k = 0; k < 3; ++k)
                        cover[k] = line[col * 3 + k];
                    if (style.raster == Raster::LcdBgr)
                        std::swap(cover[0], cover[2]);
                } else {
                    cover[0] = cover[1] = cover[2] = line[col];
                }
                const ocr::Rgb bg = out.pixel(x, y);
                const int b[3] = {ocr::redOf(bg), ocr::greenOf(bg), ocr::blueOf(bg)};
                const int f[3] = {ocr::redOf(fg), ocr::greenOf(fg), ocr::blueOf(fg)};
                int v[3];
                for (int k = 0; k < 3; ++k) {
                    const double a = cover[k] / 255.0;
                    v[k] = linear ? toSrgb(toLinear(b[k]) * (1 - a) + toLinear(f[k]) * a)
                                  : static_cast<int>(std::lround(b[k] * (1 - a) + f[k] * a));
                }
                out.setPixel(x, y, ocr::makeRgb(v[0], v[1], v[2]));
            }
        }
        pen64 += g->advance.x;
    }
    return true;
}

} // namespace ocrbench
