#include "GlyphFrame.h"

#include <algorithm>

namespace ocr {

namespace {

constexpr std::int32_t kNone = INT32_MAX;

bool rowHasInk(const TImageArray& a, int y)
{
    for (int x = 0; x < a.width(); ++x)
        if (a.at(x, y))
            return true;
    return false;
}

bool columnHasInk(const TImageArray& a, int x, int top, int bottom)
{
    for (int y = top; y <= bottom; ++y)
        if (a.at(x, y))
            return true;
    return false;
}

bool rangeInside(const TChar& a, const TChar& b)
{
    return a.MinPixel.x >= b.MinPixel.x && a.MaxPixel.x <= b.MaxPixel.x;
}

// C[i] := C[C[i]] until it stands still. The equivalence rule can leave a
// cycle that i only leads into; its smallest member then becomes the root so
// the walk ends.
void resolve(std::vector<std::int32_t>& c)
{
    const auto n = c.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t steps = 0;
        while (c[static_cast<std::size_t>(c[i])] != c[i]) {
            c[i] = c[static_cast<std::size_t>(c[i])];
            if (++steps > n) {
                const std::int32_t start = c[i];
                std::int32_t smallest = start;
                for (std::int32_t k = c[static_cast<std::size_t>(start)]; k != start;
                     k = c[static_cast<std::size_t>(k)])
                    smallest = std::min(smallest, k);
                c[static_cast<std::size_t>(smallest)] = smallest;
                steps = 0;
            }
        }
    }
}

} // namespace

void DCRRecognizer::Recognize(const Image& picture, TBackProp& network)
{
    Binarize(picture);
    FindLines();
    FindWords();
    FindChars();
    Classify(network);
}

void DCRRecognizer::Binarize(const Image& picture)
{
    FImageArray.resize(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb c = picture.pixel(x, y);
            const double luminance = 0.299 * redOf(c) + 0.587 * greenOf(c) + 0.114 * blueOf(c);
            FImageArray.at(x, y) = BWThreshold > luminance ? 1 : 0;
        }
}

void DCRRecognizer::FindLines()
{
    FLines.clear();
    bool open = false;
    for (int y = 0; y < FImageArray.height(); ++y) {
        const bool ink = rowHasInk(FImageArray, y);
        if (ink && !open) {
            FLines.push_back(TLine{y, y, {}});
            open = true;
        } else if (!ink && open) {
            FLines.back().Bottom = y - 1;
            open = false;
        }
    }
    if (open)
        FLines.back().Bottom = FImageArray.height() - 1;
}

void DCRRecognizer::FindWords()
{
    for (TLine& line : FLines) {
        line.Words.clear();
        int gap = 0;
        bool open = false;
        for (int x = 0; x < FImageArray.width(); ++x) {
            ++gap;
            if (columnHasInk(FImageArray, x, line.Top, line.Bottom)) {
                gap = 0;
                if (!open) {
                    line.Words.push_back(TWord{x, x, {}});
                    open = true;
                }
            }
            if (open && gap >= SpaceWidth) {
                line.Words.back().Right = x - gap;
                open = false;
            }
        }
        if (open)
            line.Words.back().Right = FImageArray.width() - 1;
    }
}

void DCRRecognizer::FindChars()
{
    for (TLine& line : FLines)
        for (TWord& word : line.Words)
            labelWord(line, word);
}

void DCRRecognizer::labelWord(const TLine& line, TWord& word)
{
    const int w = word.Right - word.Left + 1;
    const int h = line.Bottom - line.Top + 1;
    const int rows = h + 2;
    labels_.assign(static_cast<std::size_t>(w + 1) * static_cast<std::size_t>(rows), kNone);
    auto label = [&](int x, int y) -> std::int32_t& {
        return labels_[static_cast<std::size_t>(x) * static_cast<std::size_t>(rows) +
                       static_cast<std::size_t>(y)];
    };
    equivalence_.clear();
    auto& c = equivalence_;

    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y) {
            if (!FImageArray.at(word.Left + x - 1, line.Top + y - 1))
                continue;
            const std::int32_t neighbours[4] = {label(x, y - 1), label(x - 1, y - 1),
                                                label(x - 1, y), label(x - 1, y + 1)};
            bool first = true;
            std::int32_t g = 0;
            for (std::int32_t n : neighbours) {
                if (n == kNone)
                    continue;
                if (first) {
                    g = c[static_cast<std::size_t>(n)];
                    label(x, y) = g;
                    first = false;
                } else {
                    c[static_cast<std::size_t>(n)] = g; // the neighbour's own entry
                }
            }
            if (first) {
                const auto e = static_cast<std::int32_t>(c.size());
                c.push_back(e);
                label(x, y) = e;
            }
        }

    resolve(c);
    numbers_.assign(c.size(), -1);
    std::int32_t next = 0;
    for (auto& value : c) {
        auto& number = numbers_[static_cast<std::size_t>(value)];
        if (number < 0)
            number = next++;
        value = number;
    }

    word.Chars.assign(static_cast<std::size_t>(next), TChar{});
    for (int x = 1; x <= w; ++x)
        for (int y = 1; y <= h; ++y) {
            const std::int32_t l = label(x, y);
            if (l == kNone)
                continue;
            TChar& glyph = word.Chars[static_cast<std::size_t>(c[static_cast<std::size_t>(l)])];
            glyph.Pixels.push_back({x, y});
            glyph.MinPixel = {std::min(glyph.MinPixel.x, x), std::min(glyph.MinPixel.y, y)};
            glyph.MaxPixel = {std::max(glyph.MaxPixel.x, x), std::max(glyph.MaxPixel.y, y)};
        }

    for (std::size_t i = 0; i + 1 < word.Chars.size(); ++i) {
        TChar& a = word.Chars[i];
        TChar& b = word.Chars[i + 1];
        if (rangeInside(a, b) || rangeInside(b, a)) {
            b.Pixels.insert(b.Pixels.end(), a.Pixels.begin(), a.Pixels.end());
            b.MinPixel = {std::min(a.MinPixel.x, b.MinPixel.x), std::min(a.MinPixel.y, b.MinPixel.y)};
            b.MaxPixel = {std::max(a.MaxPixel.x, b.MaxPixel.x), std::max(a.MaxPixel.y, b.MaxPixel.y)};
            a.Noise = true;
        }
    }
    for (TChar& glyph : word.Chars)
        if (!glyph.Noise)
            glyph.Noise = static_cast<int>(glyph.Pixels.size()) < NoiseThreshold;
}

Image DCRRecognizer::GlyphBitmap(const TChar& glyph)
{
    Image bitmap(glyph.MaxPixel.x - glyph.MinPixel.x + 1, glyph.MaxPixel.y - glyph.MinPixel.y + 1,
                 kWhite);
    for (const TPoint& p : glyph.Pixels)
        bitmap.setPixel(p.x - glyph.MinPixel.x, p.y - glyph.MinPixel.y, kBlack);
    return bitmap;
}

void DCRRecognizer::Classify(TBackProp& network)
{
    ResultText.clear();
    GlyphMargins.clear();
    for (const TLine& line : FLines) {
        for (std::size_t wi = 0; wi < line.Words.size(); ++wi) {
            const TWord& word = line.Words[wi];
            for (std::size_t ci = 0; ci < word.Chars.size(); ++ci) {
                const TChar& glyph = word.Chars[ci];
                if (glyph.Noise)
                    continue;
                const Image fitted = FitBitmapToPattern(
                    GlyphBitmap(glyph), network.InputPatternWidth(), network.InputPatternHeight());
                if (!TBackProp::BitmapToLayer(fitted, network.InputLayer))
                    continue;
                network.Apply();
                const std::string symbol = network.GetResult();
                GlyphMargins.push_back(network.ResultMargin());
                ResultText += symbol;
                if (symbol == "." && wi + 1 == line.Words.size() && ci + 1 == word.Chars.size())
                    ResultText += "\r\n";
            }
            ResultText += ' ';
        }
    }
}

} // namespace ocr
