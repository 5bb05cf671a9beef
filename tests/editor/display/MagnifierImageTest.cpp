#include "CodedImage.h"

#include "editor/display/MagnifierImage.h"
#include "editor/display/RogBevel.h"
#include "editor/display/ZoomRules.h"
#include "editor/effects/Ops32.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace editor;
using editortest::CodedImage;
using editortest::DecodeRgb;

namespace {

const QColor kPanel(10, 200, 30); // not a code any picture pixel here can have at its position

struct PortCase {
    const char* name;
    QSize control;
    double factor;
    QPoint centre;
    QRect target; // expected drawn area (empty: nothing drawn)
    int bitmapLeft, bitmapTop;
};

class Display {
public:
    explicit Display(QSize control, const QImage* picture)
    {
        QPalette p = widget.palette();
        p.setColor(QPalette::Window, kPanel);
        widget.setPalette(p);
        widget.resize(control);
        widget.SetSourceBitmap(picture);
    }
    QImage grab() { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    TMagnifierImage widget;
};

} // namespace

// Picture 600 x 400; every grabbed pixel inside the drawn area must show the
// picture pixel GetBitmapPoint names (nearest drawing, within the one pixel
// the two roundings may differ by), and everything outside it the panel.
TEST(MagnifierImage, NearestDrawingShowsThePortAndMatchesGetBitmapPoint)
{
    const PortCase cases[] = {
        {"inside at 1:1", {200, 100}, 1.0, {300, 200}, QRect(0, 0, 200, 100), 0, 0},
        {"centre on the top-left corner at 2x", {200, 100}, 2.0, {0, 0}, QRect(100, 50, 100, 50), -50, -25},
        {"whole picture smaller than the control", {200, 150}, 0.3, {300, 200}, QRect(10, 15, 180, 120), -33, -50},
        {"port runs past the right and bottom edge", {160, 120}, 3.7, {598, 398}, QRect(0, 0, 89, 67), 0, 0},
        {"odd control, clipped at the top only", {201, 99}, 1.5, {10, 390}, QRect(86, 0, 115, 64), -57, 0},
        {"port wholly outside the picture", {120, 80}, 1.0, {2000, 2000}, QRect(), 0, 0},
        {"port wholly left of the picture", {120, 80}, 1.0, {-200, 50}, QRect(), -260, 0},
    };
    const QImage picture = CodedImage(600, 400);
    for (const PortCase& c : cases) {
        SCOPED_TRACE(c.name);
        Display d(c.control, &picture);
        d.widget.SetFactor(c.factor);
        d.widget.SetPortCenter(c.centre);
        const PortLayout layout = d.widget.Layout();
        EXPECT_EQ(layout.target, c.target);
        EXPECT_EQ(d.widget.GetBitmapLeft(), c.bitmapLeft);
        EXPECT_EQ(d.widget.GetBitmapTop(), c.bitmapTop);
        const QImage shown = d.grab();
        ASSERT_EQ(shown.size(), c.control);
        int wrong = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb px = shown.pixel(x, y);
                if (!c.target.contains(x, y)) {
                    wrong += px != kPanel.rgb();
                    continue;
                }
                const QPoint drawn = DecodeRgb(px);
                const QPoint expected = d.widget.GetBitmapPoint({x, y});
                wrong += !layout.port.contains(drawn) || std::abs(drawn.x() - expected.x()) > 1 ||
                         std::abs(drawn.y() - expected.y()) > 1;
            }
        EXPECT_EQ(wrong, 0);
        if (!c.target.isEmpty() && c.factor >= 1.0) {
            // Magnified, the first drawn pixel shows the port's first picture pixel.
            EXPECT_EQ(DecodeRgb(shown.pixel(c.target.topLeft())), layout.port.topLeft());
        }
    }
}

TEST(MagnifierImage, SmoothDrawingBelowHalfUsesAFreshMipLevel)
{
    QImage picture(800, 600, QImage::Format_ARGB32);
    picture.fill(qRgb(40, 80, 120));
    Display d({200, 150}, &picture);
    d.widget.SetSmooth(true);
    d.widget.SetFactor(0.25);
    d.widget.SetPortCenter({400, 300});
    EXPECT_EQ(d.grab().pixel(100, 75), qRgb(40, 80, 120));
    EXPECT_EQ(d.widget.MipLevels(), 2);
    // An in-place change of the borrowed picture must not show stale levels.
    picture.fill(qRgb(200, 10, 10));
    EXPECT_EQ(d.grab().pixel(100, 75), qRgb(200, 10, 10));
    d.widget.SetFactor(1.0);
    EXPECT_EQ(d.grab().pixel(100, 75), qRgb(200, 10, 10));
}

TEST(MagnifierImage, BorrowsThePictureWithoutSharingItsPixels)
{
    QImage picture = CodedImage(300, 200);
    Display d({100, 100}, &picture);
    d.grab();
    // A second reference would make this detach and copy.
    EXPECT_TRUE(picture.isDetached());
    const uchar* before = picture.constBits();
    effects::Brightness32(picture, picture, 10);
    EXPECT_EQ(picture.constBits(), before);
}

// Invert32 inverts alpha as well: the display must still show the inverted
// colours, not the panel behind a transparent picture.
TEST(MagnifierImage, InvertedPictureIsShownOpaque)
{
    QImage picture(50, 50, QImage::Format_ARGB32);
    picture.fill(qRgb(0, 0, 0));
    effects::Invert32(picture, picture);
    ASSERT_EQ(qAlpha(picture.pixel(0, 0)), 0);
    Display d({50, 50}, &picture);
    d.widget.SetPortCenter({25, 25});
    EXPECT_EQ(d.grab().pixel(25, 25), qRgb(255, 255, 255));
}

TEST(MagnifierImage, LensShapesAndPlacement)
{
    QImage picture(400, 300, QImage::Format_ARGB32);
    picture.fill(qRgb(90, 90, 90));
    QImage lens(41, 41, QImage::Format_ARGB32);
    lens.fill(qRgb(255, 0, 0)); // pure red must survive inside the disc
    struct LensCase {
        const char* name;
        int shape;
        QPoint at;
        QRect rect;
        bool cornersShowLens;
    };
    const LensCase cases[] = {
        {"circle", kLensCircle, {100, 100}, QRect(80, 80, 41, 41), false},
        {"square", kLensSquare, {100, 100}, QRect(80, 80, 41, 41), true},
        {"circle pushed inside at the top left", kLensCircle, {3, 2}, QRect(0, 0, 41, 41), false},
        {"square pushed inside at the bottom right", kLensSquare, {199, 199}, QRect(159, 159, 41, 41), true},
    };
    for (const LensCase& c : cases) {
        SCOPED_TRACE(c.name);
        Display d({200, 200}, &picture);
        d.widget.SetPortCenter({200, 150});
        d.widget.SetShape(c.shape);
        d.widget.SetExtraBitmap(&lens, c.at);
        EXPECT_EQ(d.widget.LensRect(), c.rect);
        const QImage shown = d.grab();
        EXPECT_EQ(shown.pixel(c.rect.center()), qRgb(255, 0, 0));
        EXPECT_EQ(shown.pixel(c.rect.center() + QPoint(15, 0)), qRgb(255, 0, 0));
        const QRgb corner = c.cornersShowLens ? qRgb(255, 0, 0) : qRgb(90, 90, 90);
        EXPECT_EQ(shown.pixel(c.rect.topLeft()), corner);
        EXPECT_EQ(shown.pixel(c.rect.bottomRight()), corner);
        EXPECT_EQ(shown.pixel(c.rect.topLeft() + QPoint(3, 3)), corner);
        d.widget.SetExtraBitmap(nullptr, {});
        EXPECT_EQ(d.grab().pixel(c.rect.center()), qRgb(90, 90, 90));
    }
}

TEST(MagnifierImage, FocusRectangleAndDate)
{
    QImage picture(400, 300, QImage::Format_ARGB32);
    picture.fill(qRgb(200, 200, 200));
    Display d({200, 150}, &picture);
    d.widget.SetFactor(0.5); // the picture fills the control
    d.widget.SetPortCenter({200, 150});
    d.widget.SetViewPortRect(QRect(60, 40, 50, 30));
    d.widget.SetShowViewPortRect(true);
    d.widget.SetFileDate(QStringLiteral("2026-12-11"));
    const QImage shown = d.grab();
    int dark = 0, light = 0;
    for (int x = 60; x < 110; ++x)
        (qGray(shown.pixel(x, 40)) < 60 ? dark : light) += 1;
    EXPECT_GT(dark, 10); // dotted: some black ...
    EXPECT_GT(light, 10); // ... and gaps
    EXPECT_EQ(shown.pixel(85, 55), qRgb(200, 200, 200)); // inside is left alone
    // The date on black from (6, 6), white text on it.
    EXPECT_EQ(shown.pixel(7, 7), qRgb(0, 0, 0));
    int white = 0;
    for (int y = 6; y < 24; ++y)
        for (int x = 6; x < 90; ++x)
            white += qGray(shown.pixel(x, y)) > 200;
    EXPECT_GT(white, 20);
    EXPECT_EQ(shown.pixel(3, 3), qRgb(200, 200, 200));
}

TEST(ZoomRules, FitAndWheel)
{
    EXPECT_DOUBLE_EQ(FitFactor({1030, 800}, {4000, 3000}), 1030.0 / 4000);
    EXPECT_DOUBLE_EQ(FitFactor({800, 800}, {3000, 4000}), 800.0 / 4000);
    EXPECT_DOUBLE_EQ(FitFactor({400, 300}, {40, 30}), 10.0);

    struct WheelCase {
        double factor, fit;
        bool in;
        double expected;
        bool centred;
    };
    const WheelCase wheel[] = {
        {1.0, 0.25, true, 1.1, false},
        {9.5, 0.25, true, 9.5, false},   // 10.45 would reach 10
        {9.0, 0.25, true, 9.9, false},
        {2.0, 0.25, false, 2.0 / 1.1, false},
        {0.27, 0.25, false, 0.25, true}, // stops at the fit and centres
        {0.25, 0.25, false, 0.25, true}, // already at the fit
    };
    for (const WheelCase& w : wheel) {
        const WheelZoom z = WheelMainZoom(w.factor, w.fit, w.in);
        EXPECT_NEAR(z.factor, w.expected, 1e-12) << w.factor << (w.in ? " in" : " out");
        EXPECT_EQ(z.centre, w.centred) << w.factor;
    }
    EXPECT_NEAR(WheelRelativeZoom(2.0, 0.3, true), 2.2, 1e-12);
    EXPECT_NEAR(WheelRelativeZoom(9.2, 0.3, true), 9.2, 1e-12);
    EXPECT_NEAR(WheelRelativeZoom(0.31, 0.3, false), 0.3, 1e-12);
}

// After a zoom step the picture point under the cursor stays under it.
TEST(ZoomRules, CentreKeepsThePointUnderTheCursor)
{
    const QSize control(1031, 767);
    const struct {
        QPoint centre, cursor;
        double before, after;
    } cases[] = {
        {{2000, 1500}, {100, 700}, 0.2575, 0.2575 * 1.1},
        {{10, 10}, {1030, 0}, 3.0, 3.3},
        {{3999, 2999}, {515, 383}, 1.0, 1.0 / 1.1},
        {{500, 400}, {0, 766}, 9.9, 9.0},
    };
    for (const auto& c : cases) {
        const QPoint under = BitmapPoint(control, c.centre, c.before, c.cursor);
        const QPoint centre = CentreKeeping(control, under, c.cursor, c.after);
        EXPECT_EQ(BitmapPoint(control, centre, c.after, c.cursor), under);
    }
}

TEST(RogBevel, HandleAndCaption)
{
    TRogBevel bevel;
    bevel.resize(150, 150);
    EXPECT_EQ(bevel.MoveRect(), QRect(117, 117, 30, 30));
    const QImage plain = bevel.grab().toImage();
    bevel.SetCaption(QStringLiteral("Bredd: 150\nHöjd: 150"));
    const QImage captioned = bevel.grab().toImage();
    EXPECT_NE(plain, captioned);
    EXPECT_EQ(plain.pixel(75, 5), captioned.pixel(75, 5)); // the caption stays in the middle
}
