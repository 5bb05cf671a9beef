#include "TrainingGlyphs.h"

#include "CaptionRenderer.h"
#include "ocr/core/GlyphFrame.h"
#include "ocr/core/StoredNetworks.h"

#include <algorithm>

namespace ocr {

namespace {

constexpr int kSide = 20;

std::optional<TLayer> glyphLayer(const QString& symbol, int network, const QFont& font,
                                 double phase)
{
    const StripKind kind = NetworkStripKind(network);
    const QSize size = kind == StripKind::Appointment ? QSize(89, 12)
                                                      : QSize(150, kCaptionBarHeight);
    // The baseline a whole number gets, with the symbol well left of the
    // areas the cleaning paints white.
    const QString sample = kind == StripKind::Plain ? "191212121212" : "19121212-1212";
    const QPointF origin(10 + phase, NumberOrigin(sample, network, QPoint(0, 0)).y());
    const bool caption = kind == StripKind::CaptionBar;
    const QColor background = caption ? QColor(0, 84, 147) : QColor(240, 240, 240);
    const QColor text = caption ? QColor(250, 250, 250) : QColor(0, 0, 0);
    const Image strip = RenderText(symbol, font, NetworkSmoothing(network), size, origin,
                                   background, text);
    const bool clearType = NetworkSmoothing(network) == Smoothing::SubPixel;

    DCRRecognizer frame;
    frame.Binarize(CleanStrip(strip, kind, clearType));
    frame.FindLines();
    frame.FindWords();
    frame.FindChars();
    const TChar* found = nullptr;
    for (const auto& line : frame.FLines)
        for (const auto& word : line.Words)
            for (const auto& glyph : word.Chars)
                if (!glyph.Noise) {
                    if (found)
                        return std::nullopt;
                    found = &glyph;
                }
    if (!found)
        return std::nullopt;
    TLayer layer(kSide * kSide + 1, 0.0f);
    TBackProp::BitmapToLayer(FitBitmapToPattern(DCRRecognizer::GlyphBitmap(*found), kSide, kSide),
                             layer);
    return layer;
}

int difference(const TLayer& a, const TLayer& b)
{
    int count = 0;
    for (std::size_t i = 1; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

} // namespace

std::optional<TLayer> TrainingGlyph(const QString& symbol, int network, int variant)
{
    const QFont font = NetworkFont(network);
    if (variant == 0)
        return glyphLayer(symbol, network, font, 0.0);
    if (NetworkSmoothing(network) == Smoothing::SubPixel) {
        const auto plain = glyphLayer(symbol, network, font, 0.0);
        std::optional<TLayer> best;
        for (double phase : {1.0 / 3.0, 2.0 / 3.0}) {
            auto shifted = glyphLayer(symbol, network, font, phase);
            if (plain && shifted && (!best || difference(*plain, *shifted) > difference(*plain, *best)))
                best = std::move(shifted);
        }
        return best;
    }
    QFont larger = font;
    larger.setPixelSize(font.pixelSize() + 1);
    return glyphLayer(symbol, network, larger, 0.0);
}

} // namespace ocr
