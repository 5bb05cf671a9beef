#include "StripReading.h"

#include "toolkit/core/PersonalNumber.h"

#include <algorithm>

namespace ocr {

const char* VerdictText(StripVerdict verdict)
{
    switch (verdict) {
    case StripVerdict::Accepted: return "accepted";
    case StripVerdict::InkCoverage: return "ink coverage";
    case StripVerdict::GlyphCount: return "glyph count";
    case StripVerdict::LowMargin: return "unsure glyph";
    case StripVerdict::NotANumber: return "not a number";
    case StripVerdict::NoDate: return "no birth date";
    case StripVerdict::FutureDate: return "future date";
    case StripVerdict::CheckDigit: return "check digit";
    case StripVerdict::Unconfirmed: return "unconfirmed";
    }
    return "?";
}

namespace {

double inkShare(const TImageArray& ink)
{
    const long total = static_cast<long>(ink.width()) * ink.height();
    if (total == 0)
        return 0.0;
    long count = 0;
    for (int x = 0; x < ink.width(); ++x)
        for (int y = 0; y < ink.height(); ++y)
            count += ink.at(x, y);
    return static_cast<double>(count) / static_cast<double>(total);
}

int glyphCount(const TLines& lines)
{
    int count = 0;
    for (const TLine& line : lines)
        for (const TWord& word : line.Words)
            count += static_cast<int>(std::count_if(word.Chars.begin(), word.Chars.end(),
                                                    [](const TChar& c) { return !c.Noise; }));
    return count;
}

StripVerdict fromNumberRules(toolkit::ScreenNumberVerdict verdict)
{
    switch (verdict) {
    case toolkit::ScreenNumberVerdict::Accepted: return StripVerdict::Accepted;
    case toolkit::ScreenNumberVerdict::NotANumber: return StripVerdict::NotANumber;
    case toolkit::ScreenNumberVerdict::NoDate: return StripVerdict::NoDate;
    case toolkit::ScreenNumberVerdict::FutureDate: return StripVerdict::FutureDate;
    case toolkit::ScreenNumberVerdict::CheckDigit: return StripVerdict::CheckDigit;
    }
    return StripVerdict::NotANumber;
}

} // namespace

StripReading ReadNumberStrip(DCRRecognizer& frame, TBackProp& network, const Image& clean,
                             std::chrono::year_month_day today)
{
    StripReading reading;
    frame.ResultText.clear();
    frame.GlyphMargins.clear();
    frame.Binarize(clean);
    reading.ink = inkShare(frame.FImageArray);
    if (reading.ink < kMinInkShare || reading.ink > kMaxInkShare) {
        reading.verdict = StripVerdict::InkCoverage;
        return reading;
    }
    frame.FindLines();
    frame.FindWords();
    frame.FindChars();
    reading.glyphs = glyphCount(frame.FLines);
    if (reading.glyphs != kNumberGlyphs) {
        reading.verdict = StripVerdict::GlyphCount;
        return reading;
    }
    frame.Classify(network);
    const auto first = frame.ResultText.find_first_not_of(' ');
    if (first != std::string::npos)
        reading.text = frame.ResultText.substr(
            first, frame.ResultText.find_last_not_of(' ') - first + 1);
    reading.margin = frame.GlyphMargins.empty()
                         ? 0
                         : *std::min_element(frame.GlyphMargins.begin(), frame.GlyphMargins.end());
    reading.verdict = fromNumberRules(toolkit::CheckScreenNumber(reading.text, today));
    if (reading.verdict == StripVerdict::Accepted && reading.margin < kMinGlyphMargin)
        reading.verdict = StripVerdict::LowMargin;
    if (reading.verdict == StripVerdict::Accepted)
        reading.number = toolkit::InsertHyphen(reading.text);
    return reading;
}

} // namespace ocr
