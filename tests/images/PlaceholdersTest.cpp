// The placeholder pictures: size, depth, colours, font and text layout.

#include "images/Placeholders.h"
#include "images/codecs/GraphicFormat.h"

#include <QFontInfo>

#include <gtest/gtest.h>

#include <functional>

namespace images {
namespace {

// The smallest rectangle holding every pixel that is not black.
QRect LitBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Every lit pixel is the text colour blended over black: its channels keep
// the text colour's proportions (0 where the colour has none).
void ExpectOnlyTextColour(const QImage& image, QRgb colour)
{
    int full = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ASSERT_EQ(qAlpha(p), 255) << x << "," << y;
            if (qRed(colour) == 0) {
                ASSERT_EQ(qRed(p), 0) << x << "," << y;
            }
            if (qGreen(colour) == 0) {
                ASSERT_EQ(qGreen(p), 0) << x << "," << y;
            }
            if (qBlue(colour) == 0) {
                ASSERT_EQ(qBlue(p), 0) << x << "," << y;
            }
            if ((p & 0xFFFFFF) == (colour & 0xFFFFFF))
                ++full;
        }
    EXPECT_GT(full, 20) << "too few pixels in the full text colour";
}

struct PlaceholderCase {
    const char* name;
    std::function<void(QImage&)> draw;
    QSize size;
    QImage::Format format;
    QRgb colour;
};

class PlaceholderTest : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(PlaceholderTest, SizeDepthColoursAndCentredText)
{
    const PlaceholderCase& c = GetParam();
    QImage image(3, 3, QImage::Format_Mono); // replaced, whatever it was
    c.draw(image);
    ASSERT_EQ(image.size(), c.size);
    EXPECT_EQ(image.format(), c.format);
    ExpectOnlyTextColour(image, c.colour);
    const QRect lit = LitBox(image);
    ASSERT_FALSE(lit.isEmpty());
    // Centred horizontally: the margins left and right differ by little.
    const int left = lit.left(), right = image.width() - 1 - lit.right();
    EXPECT_LE(std::abs(left - right), 3) << "left " << left << " right " << right;
    // The text starts at the top; its first line is an empty one.
    EXPECT_GT(lit.top(), 8);
    EXPECT_LT(lit.top(), 30);
}

const QRgb kAqua = qRgb(0, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Placeholders, PlaceholderTest,
    ::testing::Values(
        PlaceholderCase{"NoPreview24", [](QImage& i) { DrawNoPreviewPlaceholder(i, false); },
                        QSize(105, 92), kFormat24, kAqua},
        PlaceholderCase{"NoPreview32", [](QImage& i) { DrawNoPreviewPlaceholder(i, true); },
                        QSize(105, 92), QImage::Format_ARGB32, kAqua},
        PlaceholderCase{"MessageDefaultSize",
                        [](QImage& i) { DrawMessagePlaceholder(i, "\rFilen saknas", QSize(0, 0)); },
                        QSize(450, 400), kFormat24, kRed},
        PlaceholderCase{"MessageZeroWidth",
                        [](QImage& i) { DrawMessagePlaceholder(i, "\rFilen saknas", QSize(0, 60)); },
                        QSize(450, 60), kFormat24, kRed},
        PlaceholderCase{"MessageGivenSize",
                        [](QImage& i) { DrawMessagePlaceholder(i, "\rFilen saknas", QSize(105, 92)); },
                        QSize(105, 92), kFormat24, kRed},
        PlaceholderCase{"Message32", [](QImage& i) { DrawMessagePlaceholder32(i, "\rFilen saknas"); },
                        QSize(105, 92), QImage::Format_ARGB32, kRed},
        PlaceholderCase{"NotFetched", [](QImage& i) { DrawNotFetchedPlaceholder(i); }, QSize(105, 92),
                        kFormat24, kRed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlaceholderFontTest, BoldSerifAtNinetySixDpi)
{
    for (auto [points, pixels] : {std::pair{12, 16}, std::pair{10, 13}}) {
        const QFontInfo info(PlaceholderFont(points));
        EXPECT_TRUE(info.family() == "Times New Roman" || info.family() == "Liberation Serif")
            << info.family().toStdString();
        EXPECT_TRUE(info.bold());
        EXPECT_EQ(info.pixelSize(), pixels);
    }
}

TEST(PlaceholderTextTest, LongMessagesWrapAtWordsWithinTheWidth)
{
    QImage oneLine, wrapped;
    DrawMessagePlaceholder(oneLine, "kort", QSize(105, 92));
    DrawMessagePlaceholder(wrapped, "ett två tre fyra fem sex sju åtta", QSize(105, 92));
    const int lineHeight = LitBox(oneLine).height();
    // Three or more lines rather than one clipped line.
    EXPECT_GE(LitBox(wrapped).height(), 2 * lineHeight + 4);
}

TEST(PlaceholderTextTest, CarriageReturnsBreakLines)
{
    QImage oneLine, twoLines;
    DrawMessagePlaceholder(oneLine, "A", QSize(105, 92));
    DrawMessagePlaceholder(twoLines, "A\rA", QSize(105, 92));
    EXPECT_EQ(LitBox(twoLines).width(), LitBox(oneLine).width());
    EXPECT_GT(LitBox(twoLines).height(), 2 * LitBox(oneLine).height());
}

TEST(PlaceholderTextTest, NoPreviewShowsItsThreeLinesInAqua)
{
    // "\rNo preview\r\ravailable": an empty line, the text, an empty line and
    // the last word, so the lit rows fall into two bands with a gap.
    QImage image;
    DrawNoPreviewPlaceholder(image, false);
    std::vector<bool> rowLit(image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            rowLit[y] = rowLit[y] || (image.pixel(x, y) & 0xFFFFFF) != 0;
    int bands = 0;
    for (int y = 0; y < image.height(); ++y)
        if (rowLit[y] && (y == 0 || !rowLit[y - 1]))
            ++bands;
    EXPECT_EQ(bands, 2);
}

} // namespace
} // namespace images
