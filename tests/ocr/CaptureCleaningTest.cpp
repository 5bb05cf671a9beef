#include "ocr/core/CaptureCleaning.h"
#include "toolkit/core/PersonalNumber.h"

#include <gtest/gtest.h>

namespace {

using ocr::Image;
using ocr::makeRgb;

TEST(CaptureCleaning, MaskWhitensExactlyTheReferenceColour)
{
    const ocr::Rgb bg = makeRgb(10, 84, 147);
    Image strip(3, 2, bg);
    strip.setPixel(0, 0, makeRgb(10, 84, 148)); // one level off: ink
    strip.setPixel(1, 0, makeRgb(255, 255, 255));
    const Image mask = ocr::Mask(strip);
    EXPECT_EQ(mask.pixel(0, 0), ocr::kBlack);
    EXPECT_EQ(mask.pixel(1, 0), ocr::kBlack);
    EXPECT_EQ(mask.pixel(2, 0), ocr::kWhite);
    EXPECT_EQ(mask.pixel(0, 1), ocr::kWhite);
}

struct ClearTypeCase {
    const char* name;
    ocr::Rgb background; // the bottom-left pixel
    ocr::Rgb pixel;
    ocr::Rgb expected;
};

TEST(CaptureCleaning, ClearTypePreparation)
{
    // Dark background (contrast sum <= 300): threshold 239. Light: 254.
    // Contrast: 200 -> 200 + 72*255/256 = 271 -> 255; 150 -> 150 + 21 = 171;
    // 84 -> 84 - 43 = 41; 147 -> 165; 10 -> 10 - 117 -> 0; 160 -> 191.
    const ClearTypeCase cases[] = {
        {"bright text on dark ground becomes white", makeRgb(10, 84, 147), makeRgb(200, 200, 200),
         makeRgb(255, 255, 255)},
        {"dim text on dark ground becomes the ground's grey", makeRgb(10, 84, 147),
         makeRgb(150, 150, 150), makeRgb(82, 82, 82)},
        {"grey is (max + min) / 2 of the contrast colour", makeRgb(10, 84, 147),
         makeRgb(255, 255, 0), makeRgb(82, 82, 82)},
        // 187 -> 245: text under the dark ground's threshold, ground under the light one's.
        {"dark ground: 245 after contrast is text", makeRgb(10, 84, 147), makeRgb(187, 187, 187),
         makeRgb(255, 255, 255)},
        {"light ground: 245 after contrast is ground", makeRgb(160, 160, 160),
         makeRgb(187, 187, 187), makeRgb(191, 191, 191)},
        {"light ground: 255 after contrast is text", makeRgb(160, 160, 160),
         makeRgb(200, 200, 200), makeRgb(255, 255, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image strip(2, 1, c.background);
        strip.setPixel(1, 0, c.pixel);
        const Image prepared = ocr::PrepareClearType(strip);
        EXPECT_EQ(prepared.pixel(1, 0), c.expected);
    }
}

TEST(CaptureCleaning, CaptionStripLosesItsSeparatorAreas)
{
    // Ink everywhere except the bottom-left reference pixel.
    Image strip(150, 20, ocr::kBlack);
    strip.setPixel(0, 19, ocr::kWhite);
    const Image clean = ocr::CleanStrip(strip, ocr::StripKind::CaptionBar, false);
    EXPECT_EQ(clean.pixel(92, 12), ocr::kWhite);
    EXPECT_EQ(clean.pixel(97, 15), ocr::kWhite);
    EXPECT_EQ(clean.pixel(98, 15), ocr::kBlack); // right edge excluded
    EXPECT_EQ(clean.pixel(92, 16), ocr::kBlack); // bottom edge excluded
    EXPECT_EQ(clean.pixel(91, 12), ocr::kBlack);
    EXPECT_EQ(clean.pixel(144, 0), ocr::kWhite);
    EXPECT_EQ(clean.pixel(149, 19), ocr::kWhite);
    EXPECT_EQ(clean.pixel(143, 0), ocr::kBlack);

    Image area(89, 12, ocr::kBlack);
    area.setPixel(0, 11, ocr::kWhite);
    const Image appointment = ocr::CleanStrip(area, ocr::StripKind::Appointment, false);
    EXPECT_EQ(appointment.pixel(56, 5), ocr::kWhite);
    EXPECT_EQ(appointment.pixel(59, 7), ocr::kWhite);
    EXPECT_EQ(appointment.pixel(60, 7), ocr::kBlack);
    EXPECT_EQ(appointment.pixel(56, 8), ocr::kBlack);
}

TEST(CaptureCleaning, AcceptingACandidate)
{
    const std::pair<const char*, const char*> cases[] = {
        {"191212121212", "19121212-1212"},
        {"191212721212", "19121272-1212"},  // coordination number
        {"191212421212", nullptr},          // day 42
        {"19121212A212", "19121212-A212"},  // "A" as the ninth character
        {"191212121A12", nullptr},          // "A" elsewhere
        {"071290001234", "07129000-1234"},  // special number, no date
        {"19121212-121", "19121212-121"},   // already hyphenated: left alone
        {"1912121212123", nullptr},         // 13 characters
        {"19121212121", nullptr},           // 11 characters
        {"19121212 212", nullptr},          // a blank inside
        {"19130229-121", nullptr},          // no such day
        {"", nullptr},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const auto accepted = toolkit::NumberFromRecognisedText(text);
        if (expected) {
            ASSERT_TRUE(accepted.has_value());
            EXPECT_EQ(*accepted, expected);
        } else {
            EXPECT_FALSE(accepted.has_value());
        }
    }
}


} // namespace

namespace {

// A 150 x 24 strip on the given ground with a text bar at columns 20-25,
// rows 5-15, and two edge columns blended 75 % (26) and 25 % (27) towards
// the text colour, as smoothing draws them.
Image smoothedStrip(ocr::Rgb text, bool gradient, ocr::Rgb flat)
{
    Image strip(150, 24);
    auto ground = [&](int x) {
        return gradient ? makeRgb(10 + x, 36 + x, 106 + x * 8 / 10) : flat;
    };
    auto blend = [](ocr::Rgb a, ocr::Rgb b, int percent) {
        auto mix = [&](int u, int v) { return u + (v - u) * percent / 100; };
        return makeRgb(mix(ocr::redOf(a), ocr::redOf(b)), mix(ocr::greenOf(a), ocr::greenOf(b)),
                       mix(ocr::blueOf(a), ocr::blueOf(b)));
    };
    for (int x = 0; x < 150; ++x)
        for (int y = 0; y < 24; ++y) {
            ocr::Rgb c = ground(x);
            if (y >= 5 && y <= 15) {
                if (x >= 20 && x <= 25)
                    c = text;
                else if (x == 26)
                    c = blend(ground(x), text, 75);
                else if (x == 27)
                    c = blend(ground(x), text, 25);
            }
            strip.setPixel(x, y, c);
        }
    return strip;
}

} // namespace

TEST(CaptureCleaning, ThresholdCleaningKeepsTheTextWhereExactColoursFail)
{
    const struct {
        const char* name;
        Image strip;
    } cases[] = {
        {"white on a gradient", smoothedStrip(ocr::kWhite, true, 0)},
        {"white on dark grey", smoothedStrip(ocr::kWhite, false, makeRgb(64, 64, 64))},
        {"black on light grey", smoothedStrip(ocr::kBlack, false, makeRgb(212, 208, 200))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Image clean = ocr::ThresholdClean(c.strip, ocr::StripKind::Plain);
        for (int x = 0; x < 150; ++x)
            for (int y = 0; y < 24; ++y) {
                const bool ink = y >= 5 && y <= 15 && x >= 20 && x <= 26;
                ASSERT_EQ(clean.pixel(x, y), ink ? ocr::kBlack : ocr::kWhite) << x << "," << y;
            }
    }
    // The exact-colour mask turns the gradient into ink everywhere but one column.
    const Image masked = ocr::Mask(cases[0].strip);
    EXPECT_EQ(masked.pixel(100, 2), ocr::kBlack);
}
