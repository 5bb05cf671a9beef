#include "TestImages.h"

#include "editor/effects/AutoAdjust.h"
#include "editor/effects/EffectProgress.h"

#include <QApplication>
#include <QProgressBar>
#include <QWidget>

#include <gtest/gtest.h>

using namespace effects;
using namespace effects::test;

namespace {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "effects_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

} // namespace

TEST(EffectProgress, OnePanelCentredWithItsBar)
{
    ensureApplication();
    QWidget owner;
    owner.resize(400, 300);
    EffectProgressPanel* panel = ShowEffectProgress(&owner, 200, 100);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(100, 100, 200, 100));
    EXPECT_EQ(panel->bar()->geometry(), QRect(5, 86, 190, 10));
    EXPECT_EQ(ShowEffectProgress(&owner, 50, 50), nullptr);
    EffectProgress(0, 100, 40);
    EXPECT_EQ(panel->bar()->value(), 40);
    HideEffectProgress();
    EXPECT_EQ(CurrentEffectProgress(), nullptr);
    EffectProgress(0, 100, 50); // no panel: nothing happens
    EffectProgressPanel* again = ShowEffectProgress(&owner, 20, 20);
    EXPECT_NE(again, nullptr);
    HideEffectProgress();
}

TEST(AutoAdjust, RunsTheStepsInOrderUnderThePanel)
{
    ensureApplication();
    QWidget owner;
    owner.resize(300, 300);
    QImage bitmap = image24(4, 2, [](int x, int y) { return qRgb(10 * x, 100 * y, 0); });
    const QImage original = bitmap;
    QStringList errors;
    const QImage result = AutoAdjust(
        bitmap, aaRotate90 | aaInvert, &owner, [](const QString& s) { return QStringLiteral("T:") + s; },
        [&](const QString& e) { errors << e; });
    ASSERT_NE(CurrentEffectProgress(), nullptr);
    EXPECT_EQ(CurrentEffectProgress()->caption(), QStringLiteral("T:Bearbetar bilden, vänta..."));
    HideEffectProgress();
    EXPECT_TRUE(errors.isEmpty());
    ASSERT_EQ(result.size(), QSize(2, 4));
    EXPECT_EQ(bitmap, result);
    // Turned clockwise, then inverted.
    const QRgb corner = at(original, 0, 1);
    EXPECT_EQ(at(result, 0, 0), qRgb(255 - qRed(corner), 255 - qGreen(corner), 255 - qBlue(corner)));
}

TEST(AutoAdjust, StepsWithoutBitsLeaveTheBitmap)
{
    QImage bitmap = noise24(5, 3);
    const QImage original = bitmap;
    QImage work;
    ApplyAutoAdjustSteps(bitmap, work, 0x1, {});
    EXPECT_EQ(work, original);
    ApplyAutoAdjustSteps(bitmap, work, aaFlipBoth, {});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(at(work, x, y), at(original, 4 - x, 2 - y));
}
