// The floater's own window on a real X server: dragging it, and its identity
// across the re-creation of the native window.

#include "FloaterSite.h"

#include "app/floater/FloaterMessages.h"
#include "platform/x11/X11Desktop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QPoint>
#include <QThread>

#include <csignal>
#include <cstring>
#include <unistd.h>

using floater_test::FloaterSite;

namespace {

class FloaterWindowX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!site.ok())
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set (scripts/test.sh starts Xvfb)";
        ASSERT_TRUE(site.makeDemoSite());
        site.writeSetting("Q7-Floater", "Formleft", "300");
        site.writeSetting("Q7-Floater", "Formtop", "300");
        ASSERT_TRUE(site.startFloater()) << "the floater wrote no state";
    }
    QPoint position() const
    {
        const QJsonObject g = site.state()["geometry"].toObject();
        return {g["x"].toInt(), g["y"].toInt()};
    }
    bool waitForPosition(const QPoint& p)
    {
        return site.waitForState(
            [&](const QJsonObject& s) {
                const QJsonObject g = s["geometry"].toObject();
                return QPoint(g["x"].toInt(), g["y"].toInt()) == p;
            },
            3000);
    }

    FloaterSite site{qEnvironmentVariable("TQ7_TEST_DISPLAY")};
};

} // namespace

TEST_F(FloaterWindowX11Test, EveryDragAreaMovesTheWindowByTheMouseMovement)
{
    // Points of the window (x, y) in each area, the nested ones included.
    struct Area {
        const char* name;
        int x, y;
    };
    const Area areas[] = {
        {"title bar", 212, 26},   {"count box", 92, 27},      {"count label", 140, 8},
        {"patient bar", 160, 36}, {"patient caption", 20, 47}, {"patient label", 110, 47},
    };
    const QPoint moves[] = {{40, 25}, {-30, 15}};
    for (const Area& area : areas) {
        for (const QPoint& d : moves) {
            SCOPED_TRACE(std::string(area.name) + " by " + std::to_string(d.x()) + "," + std::to_string(d.y()));
            const QPoint before = position();
            ASSERT_TRUE(site.drag(area.x, area.y, d.x(), d.y()));
            EXPECT_TRUE(waitForPosition(before + d))
                << "from " << before.x() << "," << before.y() << " to " << position().x() << ","
                << position().y();
        }
    }
}

TEST_F(FloaterWindowX11Test, TogglingStayOnTopKeepsTheWindowFindableByItsClass)
{
    platform::X11Desktop x(qEnvironmentVariable("TQ7_TEST_DISPLAY").toUtf8().constData());
    ASSERT_TRUE(x.ok());
    ASSERT_NE(floater::findRunningFloater(x), 0u);
    for (const bool onTop : {false, true}) {
        SCOPED_TRACE(onTop ? "on top again" : "not on top");
        ASSERT_TRUE(site.chooseFirstMenuItem(212, 26));
        ASSERT_TRUE(site.waitForState(
            [&](const QJsonObject& s) { return s["options"].toObject()["StayOnTop"].toBool() == onTop; }, 5000))
            << QJsonDocument(site.state()).toJson().constData();
        const platform::WindowId w = floater::findRunningFloater(x);
        ASSERT_NE(w, 0u) << "no top-level window of class TQ7FloaterFrmOrvana";
        EXPECT_TRUE(x.isVisible(w));
        // A second start finds the first and hands over instead of opening a window.
        EXPECT_EQ(site.run(FloaterSite::binary("app/q7floater"), {onTop ? "191212121212" : "193405067890"}), 0);
    }
    EXPECT_TRUE(site.waitForState(
        [](const QJsonObject& s) { return s["lastLookedUp"].toString() == "19121212-1212"; }, 5000));
}

namespace {

// The floater's position as the close steps store it in the user's settings.
bool positionWritten(const FloaterSite& site)
{
    QFile f(site.path("user.reg"));
    return f.open(QIODevice::ReadOnly) && f.readAll().contains("\"Formleft\"=");
}

bool started(FloaterSite& site)
{
    return site.makeDemoSite() && site.startFloater() && !positionWritten(site);
}

} // namespace

TEST(FloaterEndX11Test, EndingSignalsRunTheCloseSteps)
{
    const QString display = qEnvironmentVariable("TQ7_TEST_DISPLAY");
    if (display.isEmpty())
        GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set (scripts/test.sh starts Xvfb)";
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        FloaterSite site(display);
        ASSERT_TRUE(started(site));
        ASSERT_EQ(::kill(static_cast<pid_t>(site.floaterProcess().processId()), signal), 0);
        ASSERT_TRUE(site.floaterProcess().waitForFinished(10000));
        EXPECT_EQ(site.floaterProcess().exitStatus(), QProcess::NormalExit);
        EXPECT_TRUE(positionWritten(site));
    }
}

TEST(FloaterEndX11Test, LosingTheDisplayRunsTheCloseSteps)
{
    if (qEnvironmentVariable("TQ7_TEST_DISPLAY").isEmpty())
        GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set (scripts/test.sh starts Xvfb)";
    // A display of our own, to take away from under the floater.
    int number = 300 + ::getpid() % 600;
    while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
        ++number;
    QProcess xvfb;
    xvfb.start("Xvfb", {QStringLiteral(":%1").arg(number), "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    ASSERT_TRUE(xvfb.waitForStarted(5000));
    for (int i = 0; i < 100 && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)); ++i)
        QThread::msleep(50);
    FloaterSite site(QStringLiteral(":%1").arg(number));
    ASSERT_TRUE(started(site));
    xvfb.kill();
    xvfb.waitForFinished(5000);
    ASSERT_TRUE(site.floaterProcess().waitForFinished(10000));
    EXPECT_TRUE(positionWritten(site));
}
