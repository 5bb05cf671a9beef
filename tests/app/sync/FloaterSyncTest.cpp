#include "SyncSite.h"

#include "app/floater/FloaterSync.h"
#include "app/floater/TQ7FloaterFrmOrvana.h"
#include "platform/memory/MemoryDesktop.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>

#include <cstdlib>

using namespace synctest;

namespace {

const QString kPnr = QStringLiteral("19800507-1234");

class FloaterSyncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.q7.isOpen());
        site.addQ7(Q7Person{"198005071234"});
        site.addKunder(7, kPnr, {{"ORT", "Kiruna"}, {"F_RNAMN", "Anna"}, {"EFTERNAMN", "Berg"}});
    }
    floater::SyncConnections connections(bool contacts = false)
    {
        return {site.journal, site.q7, site.counters.get(), contacts};
    }
    dbtest::Environment env;
    SyncSite site{dbtest::Engine::SQLite, env.dir.path()};
    platform::MemoryDesktop desktop;
};

} // namespace

TEST_F(FloaterSyncTest, UpdateAllArgumentRunsTheBatchInTheWindowAndCloses)
{
    const QByteArray oldTmp = qgetenv("TMPDIR"), oldState = qgetenv("XDG_STATE_HOME");
    qputenv("TMPDIR", env.dir.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", (env.dir.path() + "/state").toLocal8Bit());
    floater::TQ7FloaterFrmOrvana w(&desktop, {"update_all"});
    floater::FloaterSync sync(w, connections(), &desktop);
    w.show();
    QElapsedTimer timer;
    timer.start();
    while (w.isVisible() && timer.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    qputenv("TMPDIR", oldTmp);
    qputenv("XDG_STATE_HOME", oldState);
    EXPECT_FALSE(w.isVisible());
    ASSERT_EQ(w.batchLog()->count(), 3);
    EXPECT_EQ(w.batchLog()->item(2)->text(), "Uppdaterat " + kPnr);
    // What the run put in the window on its way.
    EXPECT_EQ(w.busyOverlay()->text(), QStringLiteral("Uppdaterar Orvanas databas, vänta..."));
    EXPECT_EQ(w.batchActiveLabel()->text(), "Aktiv post: 1/1");
    EXPECT_EQ(w.batchProgress()->value(), 1);
    EXPECT_EQ(w.patientLabel(), kPnr);
    EXPECT_EQ(w.frontLayer(), floater::Layer::Batch);
    EXPECT_EQ(site.kunder(kPnr)["ORT"].toString(), "Umeå");
    EXPECT_TRUE(QFile::exists(env.dir.path() + "/state/tervalen/q72orvana-logg.txt"));
    EXPECT_FALSE(QFile::exists(env.dir.path() + "/q72orvana-logg.txt")) << "never in the shared temporary folder";
    EXPECT_TRUE(desktop.shellCalls.empty()) << "no error, the log is not opened";
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_F(FloaterSyncTest, OneSyncFollowsTheWindowsOptions)
{
    floater::TQ7FloaterFrmOrvana w(&desktop, {});
    floater::FloaterSync sync(w, connections(), &desktop);
    w.optionAction(floater::Option::AskIfNotPatFound)->setChecked(true);
    env.dialogs.answer = 1; // No
    EXPECT_EQ(sync.AddOrEditPersonFromQ7ToHalden32(kPnr, false), 7);
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_EQ(site.kunder(kPnr)["ORT"].toString(), "Kiruna");
    w.optionAction(floater::Option::AskIfNotPatFound)->setChecked(false);
    EXPECT_EQ(sync.AddOrEditPersonFromQ7ToHalden32(kPnr, false), 7);
    EXPECT_EQ(site.kunder(kPnr)["ORT"].toString(), "Umeå");
}
