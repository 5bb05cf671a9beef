#pragma once
// Reads a personal number from one cleaned strip and decides whether it is
// surely right. A strip that cannot hold a number is turned away before any
// glyph is classified; a read that is not sure of every glyph, or whose
// number fails the screen-number rules, is refused with its reason.

#include "BackProp.h"
#include "GlyphFrame.h"
#include "Image.h"

#include <chrono>
#include <string>

namespace ocr {

enum class StripVerdict {
    Accepted,
    InkCoverage, // too little or too much ink for a line of digits
    GlyphCount,  // not the twelve glyphs of a number
    LowMargin,   // a glyph that looks almost as much like another class
    NotANumber,
    NoDate,
    FutureDate,
    CheckDigit,
    Unconfirmed, // right, but not yet seen on the pass before
};
const char* VerdictText(StripVerdict verdict);

struct StripReading {
    StripVerdict verdict = StripVerdict::GlyphCount;
    std::string text;   // recognised, without surrounding blanks; empty when not classified
    std::string number; // YYYYMMDD-NNNN when the text passes the number rules
    int margin = 0;     // the smallest per-glyph margin, in output neurons
    double ink = 0.0;   // share of ink pixels in the strip
    int glyphs = 0;     // glyphs that are not noise
    bool accepted() const { return verdict == StripVerdict::Accepted; }
};

// A line of twelve digits fills roughly a tenth to a quarter of a caption
// strip or of the appointment area; a gradient or dark text masked into a
// solid block, or a strip of specks, lies far outside.
inline constexpr double kMinInkShare = 0.03;
inline constexpr double kMaxInkShare = 0.40;
inline constexpr int kNumberGlyphs = 12;
// Fewer wrong output neurons (of 400) than this between a glyph's best class
// and the runner-up, and the glyph is not trusted.
inline constexpr int kMinGlyphMargin = 16;

// Segments clean, checks it is plausible, classifies it with network and
// applies the screen-number rules for the given day.
StripReading ReadNumberStrip(DCRRecognizer& frame, TBackProp& network, const Image& clean,
                             std::chrono::year_month_day today);

} // namespace ocr
