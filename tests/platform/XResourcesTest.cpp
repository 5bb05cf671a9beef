// Font smoothing from the session's X resources.

#include "platform/x11/XResources.h"

#include <gtest/gtest.h>

using platform::ResourceValue;
using platform::SubPixelSmoothing;

TEST(XResources, SubPixelSmoothingNeedsAntialiasingAndASubPixelOrder)
{
    struct Case {
        const char* resources;
        bool expected;
    };
    const Case cases[] = {
        {"Xft.antialias:\t1\nXft.rgba:\trgb\n", true},
        {"Xft.antialias: true\nXft.rgba: BGR\n", true},
        {"Xft.antialias:\ton\nXft.rgba:\tvrgb\n", true},
        {"Xft.antialias:\tyes\nXft.rgba:\tvbgr\n", true},
        {"Xft.antialias:\t1\nXft.rgba:\tnone\n", false},
        {"Xft.antialias:\t1\nXft.rgba:\tunknown\n", false},
        {"Xft.antialias:\t0\nXft.rgba:\trgb\n", false},
        {"Xft.antialias:\tfalse\nXft.rgba:\trgb\n", false},
        {"Xft.rgba:\trgb\n", false},       // smoothing not asked for
        {"Xft.antialias:\t1\n", false},     // no sub-pixel order
        {"", false},
        {"garbage without colons\n\n:\n", false},
        {"Xft.hinting:\t1\nXft.antialias:\t1\nXft.dpi:\t96\nXft.rgba:\trgb", true}, // no final newline
        {"*antialias:\t1\n*rgba:\trgb\n", true},
        {"Xft.antialias:\t1\nXft.rgba:\trgb\nXTerm*rgba:\tnone\n", true}, // another program's
    };
    for (const Case& c : cases)
        EXPECT_EQ(SubPixelSmoothing(c.resources), c.expected) << c.resources;
}

TEST(XResources, TheMostSpecificBindingWins)
{
    const std::string resources = "*rgba:\tnone\nXft.rgba:\t rgb \nXft*rgba:\tbgr\n";
    EXPECT_EQ(ResourceValue(resources, "Xft", "rgba"), "rgb");
    EXPECT_EQ(ResourceValue("*rgba: none\nXft*rgba: bgr\n", "Xft", "rgba"), "bgr");
    EXPECT_EQ(ResourceValue("*rgba: none\n", "Xft", "rgba"), "none");
    EXPECT_EQ(ResourceValue("Xft.dpi: 96\n", "Xft", "rgba"), std::nullopt);
    // A longer name that merely ends the same way is another resource.
    EXPECT_EQ(ResourceValue("Xft.rgbaX: rgb\nMyXft.rgba: rgb\n", "Xft", "rgba"), std::nullopt);
}
