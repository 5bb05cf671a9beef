// Two real floaters on an X server of the test run's own: the second hands
// its number to the first and ends without a window.

#include "FloaterSite.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QThread>

using floater_test::FloaterSite;

namespace {

class HandOverX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!site.ok())
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set (scripts/test.sh starts Xvfb)";
        ASSERT_TRUE(site.makeDemoSite());
        ASSERT_TRUE(site.startFloater()) << "the first floater wrote no state";
    }
    int runSecond(const QStringList& args) { return site.run(FloaterSite::binary("app/q7floater"), args); }

    FloaterSite site{qEnvironmentVariable("TQ7_TEST_DISPLAY")};
};

} // namespace

TEST_F(HandOverX11Test, SecondInstanceHandsItsNumberToTheFirst)
{
    EXPECT_EQ(runSecond({"191212121212"}), 0);
    EXPECT_TRUE(site.waitForState(
        [](const QJsonObject& s) { return s["lastLookedUp"].toString() == "19121212-1212"; }, 5000))
        << QJsonDocument(site.state()).toJson().constData();
    EXPECT_EQ(site.floaterProcess().state(), QProcess::Running);
}

TEST_F(HandOverX11Test, SecondInstanceWithoutAValidNumberHandsOverNothing)
{
    EXPECT_EQ(runSecond({}), 0);
    EXPECT_EQ(runSecond({"19121212x212"}), 0);
    // Give a stray message time to arrive, then check nothing was looked up.
    QThread::msleep(500);
    EXPECT_EQ(site.state()["lastLookedUp"].toString(), "");
    EXPECT_EQ(site.floaterProcess().state(), QProcess::Running);
}
