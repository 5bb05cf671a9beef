#include "DbTestSupport.h"

#include "app/database/JournalSchema.h"
#include "toolkit/db/SqlConnections.h"

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <set>

using namespace dbtest;

namespace {

class ConcurrencyTest : public ::testing::TestWithParam<Engine> {};

} // namespace

// Four workstations allocate patient numbers from the same counter row at
// the same time: every number is handed out once, none is skipped, and the
// stored counter ends at the largest one.
TEST_P(ConcurrencyTest, FourProcessesAllocateDistinctNumbersWithoutGaps)
{
    Environment env;
    ScratchDatabase scratch(GetParam(), env.dir.path());
    if (!scratch.available())
        GTEST_SKIP() << "PostgreSQL is not running (TQ7_TEST_PG_PORT)";
    {
        QSqlDatabase db = scratch.open(QStringLiteral("setup"));
        QString error;
        ASSERT_TRUE(app::CreateTables(db, app::JournalSchemaStatements(toolkit::DialectOf(db)), &error));
        Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('Kunder', 'patientnr', 0)"});
        // As the demo journal: with a rollback journal the waiting writers
        // sleep in SQLite's busy handler and the run takes five times longer.
        if (GetParam() == Engine::SQLite)
            Exec(db, {"PRAGMA journal_mode = WAL"});
    }
    toolkit::RemoveConnection(QStringLiteral("setup"));

    constexpr int kWorkers = 4, kEach = 250;
    const QString go = env.path(QStringLiteral("go"));
    std::vector<std::unique_ptr<QProcess>> workers;
    for (int i = 0; i < kWorkers; ++i) {
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral(TQ7_BINARY_DIR "/tests/db/counter_worker"),
                 {scratch.connectionString, QString::number(kEach), go});
        ASSERT_TRUE(p->waitForStarted());
        workers.push_back(std::move(p));
    }
    QFile(go).open(QIODevice::WriteOnly);

    std::vector<int> numbers;
    int retries = 0, failures = 0;
    for (auto& p : workers) {
        ASSERT_TRUE(p->waitForFinished(120000));
        ASSERT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
        for (const QByteArray& line : p->readAllStandardOutput().split('\n')) {
            if (line.startsWith("retries "))
                retries += line.mid(8).toInt();
            else if (line == "-1")
                ++failures;
            else if (!line.isEmpty())
                numbers.push_back(line.toInt());
        }
    }
    std::cout << EngineName(GetParam()) << ": " << numbers.size() << " numbers, " << retries
              << " retries, " << failures << " times -1\n";
    RecordProperty("retries", retries);
    RecordProperty("failures", failures);

    EXPECT_EQ(failures, 0);
    EXPECT_EQ(int(numbers.size()) + failures, kWorkers * kEach);
    const std::set<int> distinct(numbers.begin(), numbers.end());
    EXPECT_EQ(distinct.size(), numbers.size()) << "a number was handed out twice";
    ASSERT_FALSE(distinct.empty());
    EXPECT_EQ(*distinct.begin(), 1);
    EXPECT_EQ(*distinct.rbegin(), int(distinct.size())) << "a number was skipped";
    QSqlDatabase check = scratch.open(QStringLiteral("check"));
    EXPECT_EQ(CountRows(check, "SELECT COUNTER FROM FIELDCOUNTERS WHERE TABLENAME = 'Kunder'"), *distinct.rbegin());
    check = QSqlDatabase();
    toolkit::RemoveConnection(QStringLiteral("check"));
}

INSTANTIATE_TEST_SUITE_P(Engines, ConcurrencyTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return std::string(EngineName(info.param)); });
