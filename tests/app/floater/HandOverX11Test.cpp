// Two real floaters on an X server of the test run's own: the second hands
// its number to the first and ends without a window.

#include "FloaterSite.h"

#include "app/floater/FloaterMessages.h"
#include "platform/x11/X11Desktop.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include <unistd.h>

using floater_test::FloaterSite;

namespace {

// Personal numbers of demo patients the journal holds once each, 12 digits:
// their lookup shows the patient, the path that lets messages run.
QStringList singlePatients(const QString& journal, int count)
{
    QStringList numbers;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "handover");
        db.setDatabaseName(journal);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec("SELECT PERSONNR FROM KUNDER GROUP BY PERSONNR HAVING COUNT(*) = 1 ORDER BY PERSONNR LIMIT " +
                   QString::number(count));
            while (q.next())
                numbers << q.value(0).toString().remove('-');
        }
    }
    QSqlDatabase::removeDatabase("handover");
    return numbers;
}

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

TEST_F(HandOverX11Test, AHandedOverNumberLeavesNoTraceInTheXServer)
{
    // A number no other test uses, so no other program made it an atom.
    const QString number = QStringLiteral("19470101%1").arg(::getpid() % 10000, 4, 10, QChar('0'));
    const QString hyphenated = number.left(8) + '-' + number.mid(8);
    EXPECT_EQ(runSecond({number}), 0);
    ASSERT_TRUE(site.waitForState(
        [&](const QJsonObject& s) { return s["lastLookedUp"].toString() == hyphenated; }, 5000))
        << QJsonDocument(site.state()).toJson().constData();

    platform::X11Desktop x(qEnvironmentVariable("TQ7_TEST_DISPLAY").toUtf8().constData());
    ASSERT_TRUE(x.ok());
    for (const QString& text : {number, hyphenated}) {
        const QByteArray name = text.toUtf8();
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            x.connection(), xcb_intern_atom(x.connection(), 1, static_cast<std::uint16_t>(name.size()), name.data()),
            nullptr);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->atom, xcb_atom_t{XCB_ATOM_NONE}) << "an atom anyone can read holds " << name.constData();
        std::free(r);
    }
    const platform::WindowId first = floater::findRunningFloater(x);
    ASSERT_NE(first, 0u);
    const xcb_atom_t property = x.atom("SET_ACTIVE_PERSONNR");
    xcb_get_property_reply_t* p = xcb_get_property_reply(
        x.connection(),
        xcb_get_property(x.connection(), 0, static_cast<xcb_window_t>(first), property, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->type, xcb_atom_t{XCB_ATOM_NONE}) << "the receiver deletes the text it read";
    std::free(p);
}

TEST_F(HandOverX11Test, AFloodOfHandOversLeavesTheFloaterShowingTheLastNumber)
{
    const QStringList numbers = singlePatients(site.path("site/journal.sqlite"), 3);
    ASSERT_EQ(numbers.size(), 3);
    platform::X11Desktop x(qEnvironmentVariable("TQ7_TEST_DISPLAY").toUtf8().constData());
    ASSERT_TRUE(x.ok());
    const floater::RegisteredMessages messages = floater::registerMessages(x);
    const platform::WindowId first = floater::findRunningFloater(x);
    ASSERT_NE(first, 0u);

    // Each number a patient of the journal, so every lookup shows one.
    constexpr int kMessages = 10000;
    for (int i = 0; i < kMessages; ++i)
        ASSERT_TRUE(x.sendPrivateText(first, messages.setActivePersonnr, 0,
                                      numbers[i % 2].toStdString())) << i;
    ASSERT_TRUE(x.sendPrivateText(first, messages.setActivePersonnr, 0, numbers[2].toStdString()));
    const QString last = numbers[2].left(8) + '-' + numbers[2].mid(8);
    EXPECT_TRUE(site.waitForState([&](const QJsonObject& s) { return s["lastLookedUp"].toString() == last; },
                                  60000))
        << QJsonDocument(site.state()).toJson().constData();
    EXPECT_EQ(site.floaterProcess().state(), QProcess::Running) << "the floater survived the flood";
}
