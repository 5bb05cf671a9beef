#include "ocr/core/GlyphFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ocr::DCRRecognizer;
using ocr::Image;
using ocr::TBackProp;

// A picture from rows of '#' (black) and '.' (white).
Image picture(const std::vector<std::string>& rows)
{
    Image image(static_cast<int>(rows.front().size()), static_cast<int>(rows.size()), ocr::kWhite);
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            if (rows[y][x] == '#')
                image.setPixel(static_cast<int>(x), static_cast<int>(y), ocr::kBlack);
    return image;
}

// A network that knows one class, so every kept glyph reads as that symbol
// and the text shows how the picture was cut.
TBackProp probe(const std::string& symbol)
{
    TBackProp net(20, 20, 20, 20, 4);
    ocr::TTrainingPairs pairs;
    pairs.InputPatterns = {ocr::TLayer(401, 1.0f)};
    pairs.TargetPattern = ocr::TLayer(401, 1.0f);
    pairs.TargetPatternClass = symbol;
    net.AddTrainingPairs(pairs);
    return net;
}

// Two 2 x 5 bars (10 ink pixels each) with the given number of blank columns between.
std::vector<std::string> twoBars(int gap)
{
    const std::string blank(static_cast<std::size_t>(gap), '.');
    return {".##" + blank + "##.", ".##" + blank + "##.", ".##" + blank + "##.",
            ".##" + blank + "##.", ".##" + blank + "##."};
}

struct SegmentationCase {
    const char* name;
    std::vector<std::string> rows;
    const char* symbol;
    std::string text;
};

TEST(GlyphFrame, SegmentationEdgeCases)
{
    const SegmentationCase cases[] = {
        {"all white", {"......", "......"}, "x", ""},
        {"9 ink pixels are noise", {"###.", "###.", "###."}, "x", " "},
        {"10 ink pixels are a glyph", {"###.", "###.", "###.", "#..."}, "x", "x "},
        {"21 blank columns keep one word", twoBars(21), "x", "xx "},
        {"22 blank columns make two words", twoBars(22), "x", "x x "},
        {"diagonal touch is one glyph",
         {"###.....", "###.....", "###.....", "...#####", "...#####"}, "x", "x "},
        // The dot (12 pixels) is a glyph of its own by size; the bar beside it
        // keeps the line together, and the dot's columns lie within the stem's.
        {"i dot merges with its stem",
         {".###.....##", ".###.....##", ".###.....##", ".###.....##", ".........##",
          ".#####...##", ".#####...##", ".#####...##", ".#####...##", ".#####...##"},
         "x", "xx "},
        {"a blank row splits lines",
         {"###", "###", "###", "###", "...", "###", "###", "###", "###"}, "x", "x x "},
        {"a line ending in a full stop ends with a line break",
         {"####", "####", "####"}, ".", ".\r\n "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DCRRecognizer frame;
        TBackProp net = probe(c.symbol);
        frame.Recognize(picture(c.rows), net);
        EXPECT_EQ(frame.ResultText, c.text);
    }
}

TEST(GlyphFrame, WordsLinesAndGlyphBoxes)
{
    DCRRecognizer frame;
    TBackProp net = probe("x");
    frame.Recognize(picture(twoBars(22)), net);
    ASSERT_EQ(frame.FLines.size(), 1u);
    const auto& line = frame.FLines[0];
    EXPECT_EQ(line.Top, 0);
    EXPECT_EQ(line.Bottom, 4);
    ASSERT_EQ(line.Words.size(), 2u);
    EXPECT_EQ(line.Words[0].Left, 1);
    EXPECT_EQ(line.Words[0].Right, 2); // the last ink column
    EXPECT_EQ(line.Words[1].Left, 25);
    EXPECT_EQ(line.Words[1].Right, 27); // still open at the picture's edge
    const auto& glyph = line.Words[0].Chars.at(0);
    EXPECT_EQ(glyph.Pixels.size(), 10u);
    EXPECT_EQ(glyph.MinPixel, (ocr::TPoint{1, 1})); // word coordinates count from 1
    EXPECT_EQ(glyph.MaxPixel, (ocr::TPoint{2, 5}));
}

TEST(GlyphFrame, GlyphsAreNumberedByTheirLeftmostColumn)
{
    // A tall glyph whose top starts right of a shorter one's left edge.
    DCRRecognizer frame;
    TBackProp net = probe("x");
    frame.Recognize(picture({"....####", "##..####", "##..####", "##..####", "##..####",
                             "##......"}),
                    net);
    const auto& chars = frame.FLines.at(0).Words.at(0).Chars;
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].MinPixel.x, 1);
    EXPECT_EQ(chars[1].MinPixel.x, 5);
}

TEST(GlyphFrame, AUShapeIsOneGlyph)
{
    DCRRecognizer frame;
    TBackProp net = probe("x");
    frame.Recognize(picture({"##...##", "##...##", "##...##", "##...##", "#######"}), net);
    EXPECT_EQ(frame.ResultText, "x ");
    EXPECT_EQ(frame.FLines.at(0).Words.at(0).Chars.size(), 1u);
}

TEST(GlyphFrame, PureBlackAndWhiteBinariseTheSameForEveryThreshold)
{
    const Image image = picture({"#..#", ".##.", "#..#"});
    DCRRecognizer reference;
    reference.Binarize(image);
    for (int threshold = 1; threshold <= 254; ++threshold) {
        DCRRecognizer frame;
        frame.BWThreshold = threshold;
        frame.Binarize(image);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                ASSERT_EQ(frame.FImageArray.at(x, y), reference.FImageArray.at(x, y))
                    << threshold << " at " << x << "," << y;
    }
    // The comparison is strict: luminance 196 is background at the default threshold.
    Image grey(1, 1, ocr::makeRgb(196, 196, 196));
    DCRRecognizer frame;
    frame.Binarize(grey);
    EXPECT_EQ(frame.FImageArray.at(0, 0), 0);
    frame.Binarize(Image(1, 1, ocr::makeRgb(195, 195, 195)));
    EXPECT_EQ(frame.FImageArray.at(0, 0), 1);
}

TEST(GlyphFrame, EmptyPictureGivesNothing)
{
    DCRRecognizer frame;
    TBackProp net = probe("x");
    frame.Recognize(Image(), net);
    EXPECT_EQ(frame.ResultText, "");
    EXPECT_TRUE(frame.FLines.empty());
}

} // namespace
