// Two real floaters on an X server of the test run's own: the second hands
// its number to the first and ends without a window.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

class HandOverX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        display = qEnvironmentVariable("TQ7_TEST_DISPLAY");
        if (display.isEmpty())
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set (scripts/test.sh starts Xvfb)";
        ASSERT_TRUE(dir.isValid());
        env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("TQ7_REGISTRY_USER", dir.filePath("user.reg"));
        env.insert("TQ7_REGISTRY_MACHINE", dir.filePath("machine.reg"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", dir.path());
        statePath = dir.filePath("state.json");
    }
    void TearDown() override
    {
        if (first.state() != QProcess::NotRunning) {
            first.kill();
            first.waitForFinished(5000);
        }
    }

    void startProgram(QProcess& p, const QStringList& args)
    {
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QString(TQ7_BINARY_DIR) + "/app/q7floater", args);
        ASSERT_TRUE(p.waitForStarted(5000));
    }

    QJsonObject state()
    {
        QFile f(statePath);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }

    // Waits until the state file satisfies the predicate.
    template <typename Pred>
    bool waitForState(Pred pred, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (pred(state()))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    void startFirst()
    {
        startProgram(first, {"--state-file", statePath});
        ASSERT_TRUE(waitForState([](const QJsonObject& s) { return !s.isEmpty(); }, 10000))
            << "the first floater wrote no state";
    }

    // Runs a second floater and returns its exit code; it must end by itself.
    int runSecond(const QStringList& args)
    {
        QProcess second;
        startProgram(second, args);
        EXPECT_TRUE(second.waitForFinished(10000)) << "the second floater did not end";
        return second.exitCode();
    }

    QString display;
    QTemporaryDir dir;
    QProcessEnvironment env;
    QString statePath;
    QProcess first;
};

} // namespace

TEST_F(HandOverX11Test, SecondInstanceHandsItsNumberToTheFirst)
{
    startFirst();
    EXPECT_EQ(runSecond({"191212121212"}), 0);
    EXPECT_TRUE(waitForState([](const QJsonObject& s) { return s["lastLookedUp"].toString() == "19121212-1212"; },
                             5000))
        << QJsonDocument(state()).toJson().constData();
    EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(HandOverX11Test, SecondInstanceWithoutAValidNumberHandsOverNothing)
{
    startFirst();
    EXPECT_EQ(runSecond({}), 0);
    EXPECT_EQ(runSecond({"19121212x212"}), 0);
    // Give a stray message time to arrive, then check nothing was looked up.
    QThread::msleep(500);
    EXPECT_FALSE(state().contains("lastLookedUp"));
    EXPECT_EQ(first.state(), QProcess::Running);
}
