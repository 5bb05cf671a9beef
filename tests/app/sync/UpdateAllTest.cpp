#include "SyncSite.h"

#include "app/sync/UpdateAll.h"
#include "platform/memory/MemoryDesktop.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>

#include <sys/stat.h>

using namespace synctest;
using dbtest::Engine;

namespace {

class RecordingView : public app::BatchView {
public:
    QStringList log, labels;
    QString busy;
    int ended = 0;
    std::function<void(int position)> onActive;
    void beginBatch(const QString& busyText) override
    {
        busy = busyText;
        log.clear();
    }
    void showActive(const QString&, int position, int, const QString& label) override
    {
        labels << label;
        if (onActive)
            onActive(position);
    }
    void addLogLine(const QString& line) override { log << line; }
    QStringList logLines() const override { return log; }
    void endBatch() override { ++ended; }
};

// Sets (or with nullptr unsets) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString* value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
    {
        value ? qputenv(name, value->toLocal8Bit()) : qunsetenv(name);
    }
    ~ScopedEnv() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

unsigned modeOf(const QString& path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0xFFFF;
}

class UpdateAllTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        site = std::make_unique<SyncSite>(GetParam(), env.dir.path());
        if (!site->available())
            GTEST_SKIP() << "PostgreSQL is not running (TQ7_TEST_PG_PORT)";
    }
    void TearDown() override { site.reset(); }
    // logDir "": the batch's own choice.
    bool run(const QString& logDir)
    {
        app::TUpdateAll batch(view, site->context(), &desktop, logDir);
        logFile = batch.logFile();
        return batch.run();
    }
    bool run()
    {
        app::TUpdateAll batch(view, site->context(), &desktop, env.dir.path() + "/");
        logFile = batch.logFile();
        return batch.run();
    }
    // Three patients: the first unchanged, the second changed, the third unknown to Q7.
    void threePatients()
    {
        site->addQ7(Q7Person{"195001011111"});
        site->addQ7(Q7Person{"196002022222"});
        const QVariantMap same{{"F_RNAMN", "Anna"}, {"EFTERNAMN", "Berg"}, {"ADRESS", "Storgatan 1"},
                               {"ORT", "Umeå"},     {"POSTNR", "903 25"},  {"TEL1", "090-123456"},
                               {"TITEL", ""}};
        site->addKunder(1, "19500101-1111", same);
        QVariantMap moved = same;
        moved["ORT"] = "Kiruna";
        site->addKunder(2, "19600202-2222", moved);
        site->addKunder(3, "19700303-3333", same);
    }
    QStringList fileLines()
    {
        QFile f(logFile);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    dbtest::Environment env;
    std::unique_ptr<SyncSite> site;
    RecordingView view;
    platform::MemoryDesktop desktop;
    QString logFile;
};

} // namespace

TEST_P(UpdateAllTest, EmptyJournalLogsTheTwoHeaderLines)
{
    EXPECT_FALSE(run());
    ASSERT_EQ(view.log.size(), 2);
    EXPECT_TRUE(view.log[0].startsWith("Q7 to Orvana update started at "));
    EXPECT_EQ(view.log[1], QString(view.log[0].size(), u'-'));
    EXPECT_EQ(view.busy, "Uppdaterar Orvanas databas, vänta...");
    EXPECT_EQ(fileLines(), view.log);
    EXPECT_TRUE(desktop.shellCalls.empty());
    EXPECT_TRUE(env.dialogs.shown.empty());
    EXPECT_EQ(view.ended, 1);
}

TEST_P(UpdateAllTest, EveryPatientInOrderAndAMissingOneIsNoError)
{
    threePatients();
    EXPECT_FALSE(run());
    EXPECT_EQ(view.log.mid(2), (QStringList{"Ingen förändring på 19500101-1111", "Uppdaterat 19600202-2222",
                                            "Ingen patient med personnumret 197003033333 i Q7:s databas"}));
    EXPECT_EQ(view.labels, (QStringList{"Aktiv post: 1/3", "Aktiv post: 2/3", "Aktiv post: 3/3"}));
    EXPECT_EQ(site->kunder("19600202-2222")["ORT"].toString(), "Umeå");
    EXPECT_EQ(fileLines(), view.log) << "UTF-8 text, one entry a line";
    EXPECT_TRUE(desktop.shellCalls.empty());
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_P(UpdateAllTest, Q7GoneForOnePatientOpensTheLogAndTheRunGoesOn)
{
    threePatients();
    view.onActive = [this](int position) {
        if (position == 1)
            site->q7Exec("ALTER TABLE Person RENAME TO Person_away");
        if (position == 2)
            site->q7Exec("ALTER TABLE Person_away RENAME TO Person");
    };
    EXPECT_TRUE(run());
    ASSERT_EQ(view.log.size(), 5);
    EXPECT_TRUE(view.log[2].startsWith("Det gick inte att hämta personuppgifter från Q7!\r\r"));
    EXPECT_EQ(view.log[3], "Uppdaterat 19600202-2222");
    EXPECT_EQ(site->kunder("19500101-1111")["ORT"].toString(), "Umeå") << "the failed patient is untouched";
    ASSERT_EQ(desktop.shellCalls.size(), 1u);
    EXPECT_EQ(QString::fromStdString(desktop.shellCalls[0].file), logFile);
    EXPECT_EQ(QString::fromStdString(desktop.shellCalls[0].workingDir), env.dir.path() + "/");
    const QStringList lines = fileLines();
    EXPECT_TRUE(lines.contains("Det gick inte att hämta personuppgifter från Q7!"));
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_P(UpdateAllTest, FailingListEndsTheRunWithAnErrorLine)
{
    QSqlQuery(site->journal).exec("DROP TABLE KUNDER");
    EXPECT_TRUE(run());
    ASSERT_EQ(view.log.size(), 3);
    EXPECT_TRUE(view.log[2].startsWith("ERROR \tUpdateAll: "));
    EXPECT_EQ(desktop.shellCalls.size(), 1u);
    EXPECT_EQ(view.ended, 1);
}

TEST_P(UpdateAllTest, TheLogGoesToTheUsersPrivateFolderOnly)
{
    const QString state = env.path("state"), tmp = env.path("tmp");
    QDir().mkpath(tmp);
    const ScopedEnv stateHome("XDG_STATE_HOME", &state), tmpDir("TMPDIR", &tmp);
    QSqlQuery(site->journal).exec("DROP TABLE KUNDER");
    EXPECT_TRUE(run(QString()));
    EXPECT_EQ(logFile, state + "/tervalen/q72orvana-logg.txt");
    EXPECT_EQ(modeOf(state + "/tervalen"), 0700u);
    EXPECT_EQ(modeOf(logFile), 0600u);
    // PostgreSQL's error text spans lines of its own.
    EXPECT_EQ(fileLines().join('\n'), view.log.join('\n'));
    EXPECT_TRUE(QDir(tmp).isEmpty());
    ASSERT_EQ(desktop.shellCalls.size(), 1u);
    EXPECT_EQ(QString::fromStdString(desktop.shellCalls[0].file), logFile);
}

TEST_P(UpdateAllTest, WithoutAPrivateFolderTheLogStaysInTheWindow)
{
    const QString workDir = env.path("work");
    QDir().mkpath(workDir);
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(workDir);
    {
        const ScopedEnv stateHome("XDG_STATE_HOME", nullptr), home("HOME", nullptr),
            runtime("XDG_RUNTIME_DIR", nullptr);
        EXPECT_TRUE(run(QString())) << "a log that could not be kept is an error";
    }
    QDir::setCurrent(oldCwd);
    EXPECT_TRUE(logFile.isEmpty());
    ASSERT_EQ(view.log.size(), 3);
    EXPECT_TRUE(view.log[2].startsWith("ERROR \tUpdateAll: "));
    EXPECT_TRUE(QDir(workDir).isEmpty()) << "nothing is written beside the program";
    EXPECT_TRUE(desktop.shellCalls.empty());
}

INSTANTIATE_TEST_SUITE_P(Engines, UpdateAllTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return std::string(dbtest::EngineName(info.param)); });
