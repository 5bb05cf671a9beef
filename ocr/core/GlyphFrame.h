#pragma once
// Reads printed text from a picture: binarises it, cuts it into lines, words
// and 8-connected glyphs, drops specks, joins glyphs stacked above one another
// and classifies each glyph with the shared network.

#include "BackProp.h"
#include "Image.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace ocr {

struct TPoint {
    int x = 0, y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TChar {
    std::vector<TPoint> Pixels; // ink pixels in word coordinates (1-based)
    TPoint MinPixel{INT_MAX, INT_MAX};
    TPoint MaxPixel{0, 0};
    bool Noise = false;
    char CharCode = 0;
};

struct TWord {
    int Left = 0, Right = 0;
    std::vector<TChar> Chars;
};

struct TLine {
    int Top = 0, Bottom = 0;
    std::vector<TWord> Words;
};
using TLines = std::vector<TLine>;

// 1 for ink, 0 for background, indexed [x][y].
class TImageArray {
public:
    void resize(int width, int height)
    {
        width_ = width;
        height_ = height;
        cells_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    }
    int width() const { return width_; }
    int height() const { return height_; }
    std::uint8_t at(int x, int y) const { return cells_[index(x, y)]; }
    std::uint8_t& at(int x, int y) { return cells_[index(x, y)]; }

private:
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(x) * static_cast<std::size_t>(height_) +
               static_cast<std::size_t>(y);
    }
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> cells_;
};

// The recognition core of the glyph frame; the Qt frame puts a face on it.
class DCRRecognizer {
public:
    void Init()
    {
        BWThreshold = 196;
        NoiseThreshold = 10;
        SpaceWidth = 22;
    }

    int BWThreshold = 196;
    int NoiseThreshold = 10;
    int SpaceWidth = 22;
    TImageArray FImageArray;
    TLines FLines;
    std::string ResultText;
    // Per classified glyph, how far its class stood ahead (TBackProp::ResultMargin).
    std::vector<int> GlyphMargins;

    // The whole recognition; the network's input layer and outputs change.
    void Recognize(const Image& picture, TBackProp& network);

    // The steps, in the order Recognize runs them.
    void Binarize(const Image& picture);
    void FindLines();
    void FindWords();
    void FindChars();
    void Classify(TBackProp& network);

    // The glyph as a black-on-white picture of its bounding box.
    static Image GlyphBitmap(const TChar& glyph);

private:
    std::vector<std::int32_t> labels_; // scratch, reused between words
    std::vector<std::int32_t> equivalence_;
    std::vector<std::int32_t> numbers_;
    void labelWord(const TLine& line, TWord& word);
};

} // namespace ocr
