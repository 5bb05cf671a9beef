#include "DbTestSupport.h"

#include "toolkit/db/PowerEvents.h"
#include "toolkit/db/SqlConnections.h"

#include <QCoreApplication>
#include <QDir>

using namespace dbtest;

namespace {

class PowerEventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(env.path(QStringLiteral("net")));
        for (const QString& name : names)
            ASSERT_TRUE(openSqlite(name, env.path(QStringLiteral("net/") + name + QStringLiteral(".sqlite"))));
        handler.wait = [this](int ms) { waits.push_back(ms); };
        handler.exitProgram = [this](int code) { exitCodes.push_back(code); };
    }
    void TearDown() override
    {
        for (const QString& name : QSqlDatabase::connectionNames())
            toolkit::RemoveConnection(name);
    }
    bool openSqlite(const QString& name, const QString& file)
    {
        return toolkit::OpenConnection(name, QStringLiteral("Provider=SQLite;Data Source=") + file, nullptr).isOpen();
    }
    static bool isOpen(const QString& name) { return QSqlDatabase::database(name, false).isOpen(); }

    Environment env;
    const QStringList names{QStringLiteral("journal"), QStringLiteral("counter"), QStringLiteral("q7")};
    toolkit::PowerEventHandler handler;
    std::vector<int> waits, exitCodes;
};

} // namespace

TEST_F(PowerEventsTest, SuspendClosesAndResumeReconnectsEveryConnection)
{
    handler.PrepareForSleep(true);
    for (const QString& name : names)
        EXPECT_FALSE(isOpen(name)) << name.toStdString();
    EXPECT_EQ(handler.marked().size(), 3);

    handler.PrepareForSleep(false);
    EXPECT_EQ(waits, std::vector<int>{10000});
    for (const QString& name : names) {
        EXPECT_TRUE(isOpen(name)) << name.toStdString();
        EXPECT_TRUE(toolkit::InTransaction(QSqlDatabase::database(name, false)));
    }
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_EQ(env.dialogs.shown[0].text,
              "Programmet har återanslutit 3 anslutningar till databasen. Kontrollera att ingen data förlorats.");
    EXPECT_TRUE(exitCodes.empty());
}

TEST_F(PowerEventsTest, ClosedConnectionsAreNotTouchedAndMarksStay)
{
    QSqlDatabase q7 = QSqlDatabase::database(QStringLiteral("q7"), false);
    toolkit::CloseConnection(q7);
    handler.suspend();
    handler.resume();
    EXPECT_FALSE(isOpen(QStringLiteral("q7")));
    EXPECT_TRUE(env.dialogs.shown.back().text.startsWith("Programmet har återanslutit 2 anslutningar"));
    handler.suspend();
    EXPECT_EQ(handler.marked().size(), 2) << "marks are kept, not doubled";
}

TEST_F(PowerEventsTest, DecliningTheRetryLeavesTheConnectionClosed)
{
    handler.suspend();
    ASSERT_TRUE(QDir(env.path(QStringLiteral("net"))).removeRecursively()); // the share is gone
    env.dialogs.answer = 1; // No
    handler.resume();
    ASSERT_EQ(env.dialogs.shown.size(), 4u);
    EXPECT_EQ(env.dialogs.shown[0].kind, toolkit::DialogKind::Confirmation);
    EXPECT_TRUE(env.dialogs.shown[0].text.startsWith(
        "Databasanslutningen har avbrutits på ett felaktigt sätt!\rOch det automatiska "
        "återanslutningsförsöket resulterade i följande fel:\r\r"));
    EXPECT_TRUE(env.dialogs.shown[0].text.endsWith("\r\rFörsöka ansluta igen?"));
    EXPECT_TRUE(env.dialogs.shown[3].text.startsWith("Programmet har återanslutit 0 anslutningar"));
    EXPECT_TRUE(exitCodes.empty());
}

TEST_F(PowerEventsTest, FailedRetryEndsTheProgramWithCodeOne)
{
    QDir().mkpath(env.path(QStringLiteral("share")));
    ASSERT_TRUE(openSqlite(QStringLiteral("bilder"), env.path(QStringLiteral("share/bilder.sqlite"))));
    handler.suspend();
    ASSERT_TRUE(QDir(env.path(QStringLiteral("share"))).removeRecursively());
    env.dialogs.answer = 0; // Yes
    handler.resume();
    ASSERT_EQ(env.dialogs.shown.size(), 2u);
    EXPECT_EQ(env.dialogs.shown[1].text,
              "Det gick inte att ansluta till databasen igen. Programmet avslutas.\r\r"
              "Det gick inte att återansluta " + QCoreApplication::applicationName() + ".bilder!\r"
              "ConnectionString = " + env.path(QStringLiteral("share/bilder.sqlite")) + "\r\r");
    EXPECT_EQ(exitCodes, std::vector<int>{1});
}
