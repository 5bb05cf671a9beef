#include "editor/effects/ColorSpace.h"

#include <gtest/gtest.h>

using namespace effects;

struct ColourCase {
    Rgb rgb;
    Hsl hsl;
    Hsv hsv;
};

class ColourTable : public testing::TestWithParam<ColourCase> {};

TEST_P(ColourTable, ConvertsAndRoundTrips)
{
    const ColourCase& c = GetParam();
    EXPECT_EQ(RGBToHSL(c.rgb), c.hsl);
    EXPECT_EQ(RGBToHSV(c.rgb), c.hsv);
    EXPECT_EQ(HSVToRGB(c.hsv), c.rgb);
    // Lightness 128 stands for 0.502, so saturated colours come back up to 2 levels off.
    const Rgb back = HSLToRGB(c.hsl);
    EXPECT_NEAR(back.r, c.rgb.r, 2);
    EXPECT_NEAR(back.g, c.rgb.g, 2);
    EXPECT_NEAR(back.b, c.rgb.b, 2);
}

INSTANTIATE_TEST_SUITE_P(Colours, ColourTable,
                         testing::Values(ColourCase{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
                                         ColourCase{{255, 255, 255}, {0, 0, 255}, {0, 0, 255}},
                                         ColourCase{{128, 128, 128}, {0, 0, 128}, {0, 0, 128}},
                                         ColourCase{{255, 0, 0}, {0, 255, 128}, {0, 255, 255}},
                                         ColourCase{{0, 255, 0}, {119, 255, 128}, {120, 255, 255}},
                                         ColourCase{{0, 0, 255}, {239, 255, 128}, {240, 255, 255}},
                                         ColourCase{{255, 255, 0}, {60, 255, 128}, {60, 255, 255}},
                                         ColourCase{{0, 255, 255}, {179, 255, 128}, {180, 255, 255}},
                                         ColourCase{{255, 0, 255}, {298, 255, 128}, {300, 255, 255}}));

TEST(ColourSpace, RoundTripsStayCloseOverTheCube)
{
    int worstHsl = 0, worstHsv = 0;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15) {
                const Rgb c{r, g, b};
                const Rgb viaHsl = HSLToRGB(RGBToHSL(c));
                const Rgb viaHsv = HSVToRGB(RGBToHSV(c));
                worstHsl = std::max({worstHsl, std::abs(viaHsl.r - r), std::abs(viaHsl.g - g), std::abs(viaHsl.b - b)});
                worstHsv = std::max({worstHsv, std::abs(viaHsv.r - r), std::abs(viaHsv.g - g), std::abs(viaHsv.b - b)});
            }
    // Integer hue steps (358 or 360 per circle) cost at most a few levels.
    EXPECT_LE(worstHsl, 3);
    EXPECT_LE(worstHsv, 4);
}

TEST(ColourSpace, HslOfPureRedComesBackOneLevelOff)
{
    EXPECT_EQ(HSLToRGB({0, 255, 128}), (Rgb{255, 1, 1}));
    EXPECT_EQ(HSLToRGB({0, 255, 127}), (Rgb{254, 0, 0}));
}

TEST(ColourSpace, HuesOutsideTheCircleWrap)
{
    EXPECT_EQ(HSVToRGB({360 + 120, 255, 255}), (Rgb{0, 255, 0}));
    EXPECT_EQ(HSVToRGB({-240, 255, 255}), (Rgb{0, 255, 0}));
    EXPECT_EQ(HSLToRGB({358 + 119, 255, 128}), HSLToRGB({119, 255, 128}));
}
