#include "ocr/core/CaptionOcr.h"
#include "ocr/core/StoredNetworks.h"

#include <gtest/gtest.h>

namespace {

using ocr::StripVerdict;

// A caption-sized strip with n vertical bars of 2 x 10 pixels, 8 apart.
ocr::Image bars(int n)
{
    ocr::Image strip(150, 24, ocr::kWhite);
    for (int i = 0; i < n; ++i)
        strip.fillRect(4 + 10 * i, 7, 6 + 10 * i, 17, ocr::kBlack);
    return strip;
}

TEST(StripReading, ImplausibleStripsAreTurnedAwayBeforeClassification)
{
    ocr::Image solid(150, 24, ocr::kBlack); // a gradient bar after the exact-colour mask
    ocr::Image specks(150, 24, ocr::kWhite);
    for (int x = 2; x < 150; x += 30)
        specks.fillRect(x, 10, x + 2, 12, ocr::kBlack);
    const struct {
        const char* name;
        ocr::Image strip;
        StripVerdict verdict;
    } cases[] = {
        {"white", ocr::Image(150, 24, ocr::kWhite), StripVerdict::InkCoverage},
        {"solid ink", solid, StripVerdict::InkCoverage},
        {"specks", specks, StripVerdict::InkCoverage},
        {"eleven glyphs", bars(11), StripVerdict::GlyphCount},
        {"thirteen glyphs", bars(13), StripVerdict::GlyphCount},
    };
    ocr::TFrmOCR host;
    ASSERT_TRUE(host.LoadDCRFile(ocr::kCaption));
    const std::chrono::year_month_day today{std::chrono::year{2026}, std::chrono::December,
                                            std::chrono::day{11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto reading = host.ReadNumber(c.strip, today);
        EXPECT_EQ(reading.verdict, c.verdict);
        EXPECT_TRUE(reading.text.empty()); // nothing was classified
        EXPECT_TRUE(reading.number.empty());
    }
    // Twelve glyphs are classified, and bars are no number.
    const auto twelve = host.ReadNumber(bars(12), today);
    EXPECT_EQ(twelve.glyphs, 12);
    EXPECT_EQ(twelve.text.size(), 12u);
    EXPECT_FALSE(twelve.accepted());
}

} // namespace
