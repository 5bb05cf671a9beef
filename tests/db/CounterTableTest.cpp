#include "DbTestSupport.h"

#include "app/database/CounterTable.h"
#include "app/database/JournalSchema.h"
#include "toolkit/db/CounterValues.h"
#include "toolkit/db/KxAdoQuery.h"
#include "toolkit/db/SqlConnections.h"

#include <QElapsedTimer>
#include <QSqlQuery>

using namespace dbtest;
using app::CounterTable;

namespace {

class CounterTableTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        scratch = std::make_unique<ScratchDatabase>(GetParam(), env.dir.path());
        if (!scratch->available())
            GTEST_SKIP() << "PostgreSQL is not running (TQ7_TEST_PG_PORT)";
        db = scratch->open(QStringLiteral("counter"));
        QString error;
        ASSERT_TRUE(app::CreateTables(db, app::JournalSchemaStatements(toolkit::DialectOf(db)), &error))
            << error.toStdString();
        counters = std::make_unique<CounterTable>(db);
        counters->wait = [this](int ms) { waits.push_back(ms); };
    }
    void TearDown() override
    {
        counters.reset();
        db = QSqlDatabase();
        toolkit::RemoveConnection(QStringLiteral("counter"));
        toolkit::RemoveConnection(QStringLiteral("observer"));
    }
    int stored(const QString& table, const QString& field)
    {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT COUNTER FROM FIELDCOUNTERS WHERE TABLENAME = ? AND FIELDNAME = ?"));
        q.addBindValue(table);
        q.addBindValue(field);
        EXPECT_TRUE(q.exec());
        return q.next() ? q.value(0).toInt() : -100;
    }
    int rows() { return CountRows(db, QStringLiteral("SELECT COUNT(*) FROM FIELDCOUNTERS")); }
    // Ends the counter connection's server session from outside, as a
    // network failure or a server restart would.
    void dropConnection()
    {
        if (GetParam() == Engine::SQLite) {
            toolkit::CloseConnection(db);
            return;
        }
        QSqlDatabase observer = scratch->open(QStringLiteral("observer"));
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT pg_backend_pid()")) && q.next());
        QSqlQuery kill(observer);
        kill.prepare(QStringLiteral("SELECT pg_terminate_backend(?)"));
        kill.addBindValue(q.value(0));
        ASSERT_TRUE(kill.exec());
    }

    Environment env;
    std::unique_ptr<ScratchDatabase> scratch;
    QSqlDatabase db;
    std::unique_ptr<CounterTable> counters;
    std::vector<int> waits;
};

} // namespace

TEST_P(CounterTableTest, ReadsValuesByNameAndByValue)
{
    Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('FLOATERSETTINGS', 'DISALLOWFLOATERCHANGEPAT', 1)",
              "INSERT INTO FIELDCOUNTERS VALUES ('Q7FLOATERCONTACTTYPES', 'TEL2', 3)",
              "INSERT INTO FIELDCOUNTERS VALUES ('Q7FLOATERCONTACTTYPES', 'EMAIL', 6)"});
    EXPECT_EQ(counters->GetDataText("FLOATERSETTINGS", "DISALLOWFLOATERCHANGEPAT"), 1);
    EXPECT_EQ(counters->GetDataText("FLOATERSETTINGS", "disallowfloaterchangepat"), -1);
    EXPECT_EQ(counters->GetDataText("FLOATERSETTINGS", "MISSING"), -1);
    EXPECT_EQ(counters->GetDataText2("Q7FLOATERCONTACTTYPES", 6), "EMAIL");
    EXPECT_EQ(counters->GetDataText2("Q7FLOATERCONTACTTYPES", 1), "");
    EXPECT_TRUE(env.dialogs.shown.empty()) << "a missing row is no error";
    EXPECT_FALSE(toolkit::InTransaction(db)) << "reads are rolled back";
}

TEST_P(CounterTableTest, SetDataTextCreatesOrChangesOnlyCounter)
{
    Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('DICOMSETTINGS', 'USEONLYDICOM', 0)",
              "INSERT INTO FIELDCOUNTERS VALUES ('DICOMSETTINGS', 'USECITRIXAE', 0)"});
    counters->SetDataText("DICOMSETTINGS", "USEONLYDICOM", 1);
    counters->SetDataText("FLOATERSETTINGS", "USEQ7FLOATERCONTACTTYPES", 0);
    EXPECT_EQ(stored("DICOMSETTINGS", "USEONLYDICOM"), 1);
    EXPECT_EQ(stored("DICOMSETTINGS", "USECITRIXAE"), 0);
    EXPECT_EQ(stored("FLOATERSETTINGS", "USEQ7FLOATERCONTACTTYPES"), 0);
    EXPECT_EQ(rows(), 3);
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_P(CounterTableTest, IncreaseCounterFieldAllocatesAndStores)
{
    Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('Kunder', 'patientnr', 41)"});
    EXPECT_EQ(counters->increaseCounterField("Kunder", "patientnr"), 42);
    EXPECT_EQ(stored("Kunder", "patientnr"), 42);
    EXPECT_EQ(counters->increaseCounterField("Kunder", "patientnr"), 43);
    EXPECT_EQ(counters->increaseCounterField("Bilder", "lopnr"), 1) << "a missing row starts at 1";
    EXPECT_EQ(stored("Bilder", "lopnr"), 1);
    EXPECT_EQ(stored("Kunder", "patientnr"), 43);
    EXPECT_EQ(counters->retries(), 0);
    EXPECT_TRUE(waits.empty());
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_P(CounterTableTest, DuplicateRowsMakeANewRowStartingAtOne)
{
    // Older journal databases have no key on the counter table.
    Exec(db, {"DROP TABLE FIELDCOUNTERS",
              "CREATE TABLE FIELDCOUNTERS (TABLENAME VARCHAR(50), FIELDNAME VARCHAR(50), COUNTER INTEGER)",
              "INSERT INTO FIELDCOUNTERS VALUES ('Kunder', 'patientnr', 7)",
              "INSERT INTO FIELDCOUNTERS VALUES ('Kunder', 'patientnr', 9)"});
    EXPECT_EQ(counters->increaseCounterField("Kunder", "patientnr"), 1);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(CountRows(db, "SELECT COUNT(*) FROM FIELDCOUNTERS WHERE COUNTER = 1"), 1);
}

TEST_P(CounterTableTest, BrokenConnectionGivesMinusOneAfterThreeWaitsWithoutDialog)
{
    Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('Kunder', 'patientnr', 41)"});
    dropConnection();
    EXPECT_EQ(counters->increaseCounterField("Kunder", "patientnr"), -1);
    EXPECT_EQ(waits, (std::vector<int>{500, 500, 500}));
    EXPECT_EQ(counters->retries(), 3);
    EXPECT_TRUE(env.dialogs.shown.empty());
    QSqlDatabase check = scratch->open(QStringLiteral("observer"));
    EXPECT_EQ(CountRows(check, "SELECT COUNTER FROM FIELDCOUNTERS WHERE TABLENAME = 'Kunder'"), 41);
}

// While another session holds the counter row, an allocation gives up within
// its retry budget (three attempts, each waiting for the lock no longer than
// the pause between them) instead of hanging the caller.
TEST_P(CounterTableTest, RowHeldByAnotherSessionGivesMinusOneWithinTheBudget)
{
    Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('Kunder', 'patientnr', 41)"});
    QSqlDatabase other = scratch->open(QStringLiteral("observer"));
    const QStringList hold = GetParam() == Engine::SQLite
        ? QStringList{"BEGIN IMMEDIATE", "UPDATE FIELDCOUNTERS SET COUNTER = 41"}
        : QStringList{"BEGIN", "SELECT COUNTER FROM FIELDCOUNTERS WHERE TABLENAME = 'Kunder' FOR UPDATE"};
    Exec(other, hold);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(counters->increaseCounterField("Kunder", "patientnr"), -1);
    const qint64 elapsed = clock.elapsed();
    EXPECT_LT(elapsed, 10000) << "each attempt must stop waiting for the lock";
    EXPECT_EQ(waits, (std::vector<int>{500, 500, 500}));
    EXPECT_TRUE(env.dialogs.shown.empty());
    Exec(other, {"ROLLBACK"});
    EXPECT_EQ(counters->increaseCounterField("Kunder", "patientnr"), 42);
    EXPECT_EQ(stored("Kunder", "patientnr"), 42);
}

TEST_P(CounterTableTest, WriteOnBrokenConnectionShowsErrorAndWritesNothing)
{
    Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('FLOATERSETTINGS', 'DISALLOWFLOATERCHANGEPAT', 0)"});
    dropConnection();
    counters->SetDataText("FLOATERSETTINGS", "DISALLOWFLOATERCHANGEPAT", 1);
    EXPECT_EQ(counters->GetDataText("FLOATERSETTINGS", "DISALLOWFLOATERCHANGEPAT"), -1);
    ASSERT_EQ(env.dialogs.shown.size(), 2u);
    EXPECT_EQ(env.dialogs.shown[0].kind, toolkit::DialogKind::Error);
    EXPECT_TRUE(env.dialogs.shown[0].text.startsWith("Det gick inte att spara värdet!\r\r"));
    EXPECT_TRUE(env.dialogs.shown[1].text.startsWith("Det gick inte att hämta värdet!\r\r"));
    QSqlDatabase check = scratch->open(QStringLiteral("observer"));
    EXPECT_EQ(CountRows(check, "SELECT COUNTER FROM FIELDCOUNTERS"), 0);
}

TEST_P(CounterTableTest, ConnectionLostInsideAnOpenTransactionLeavesNothingHalfWritten)
{
    // A write of the journal connection is under way when the line goes.
    Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('Kunder', 'patientnr', 5)"});
    QString error;
    ASSERT_TRUE(toolkit::BeginTransaction(db, &error, true)) << error.toStdString();
    Exec(db, {"UPDATE FIELDCOUNTERS SET COUNTER = 6"});
    dropConnection();
    EXPECT_EQ(counters->increaseCounterField("Kunder", "patientnr"), -1);
    QSqlDatabase check = scratch->open(QStringLiteral("observer"));
    EXPECT_EQ(CountRows(check, "SELECT COUNTER FROM FIELDCOUNTERS"), 5);
}

TEST_P(CounterTableTest, ToolkitCounterValuesUseTheDefaultQuery)
{
    toolkit::TKxAdoQuery defaultQuery(db);
    toolkit::DefaultQuery() = &defaultQuery;
    toolkit::WriteCounterValue("BildKatalog", "Standard", 3);
    EXPECT_EQ(toolkit::ReadCounterValue("BildKatalog", "Standard"), 3);
    EXPECT_EQ(toolkit::ReadCounterValue("BildKatalog", "Saknas"), -1);
    toolkit::DefaultQuery() = nullptr;
    // Blank names never reach the database: without one this would warn.
    EXPECT_EQ(toolkit::ReadCounterValue(" ", "x"), -1);
    EXPECT_EQ(toolkit::ReadCounterValue("", "x"), -1);
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_P(CounterTableTest, RestartTransactionReopensOnlyMarkedQueries)
{
    Exec(db, {"INSERT INTO FIELDCOUNTERS VALUES ('a', 'b', 1)"});
    toolkit::TKxAdoQuery marked(db), unmarked(db), closed(db);
    for (auto* q : {&marked, &unmarked, &closed})
        q->SQL = QStringList{QStringLiteral("SELECT * FROM FIELDCOUNTERS")};
    marked.Tag = 1;
    closed.Tag = 1;
    ASSERT_TRUE(marked.open());
    ASSERT_TRUE(unmarked.open());
    EXPECT_EQ(toolkit::RestartTransaction(db), 2);
    EXPECT_TRUE(marked.isOpen());
    EXPECT_TRUE(marked.query().next());
    EXPECT_FALSE(unmarked.isOpen());
    EXPECT_FALSE(closed.isOpen());
    EXPECT_EQ(closed.Tag, 0) << "the mark of a query that was not open is cleared";
    EXPECT_TRUE(toolkit::InTransaction(db));
    toolkit::RollbackTransaction(db);
}

TEST_P(CounterTableTest, OpenQueryReportsFailuresAndRunsInATransaction)
{
    toolkit::TKxAdoQuery defaultQuery(db);
    toolkit::DefaultQuery() = &defaultQuery;
    std::unique_ptr<toolkit::TKxAdoQuery> good(toolkit::OpenQuery("SELECT * FROM KUNDER", false));
    EXPECT_TRUE(good && good->isOpen());
    EXPECT_TRUE(toolkit::InTransaction(db));
    good.reset();
    toolkit::RollbackTransaction(db);
    EXPECT_EQ(toolkit::OpenQuery("SELECT * FROM SAKNAS", true), nullptr);
    toolkit::DefaultQuery() = nullptr;
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_TRUE(env.dialogs.shown[0].text.startsWith("Det gick inte att utföra SQL-frågan: SELECT * FROM SAKNAS!\r\r"))
        << env.dialogs.shown[0].text.toStdString();
    toolkit::RollbackTransaction(db);
}

TEST_P(CounterTableTest, SchemaDeclaresTheTextSizes)
{
    const struct {
        const char *table, *column;
        std::optional<int> size;
    } cases[] = {{"KUNDER", "PERSONNR", 13}, {"KUNDER", "EFTERNAMN", 40}, {"KUNDER", "NOTERINGAR", 1000},
                 {"FIELDCOUNTERS", "TABLENAME", 50}, {"KUNDER", "PATIENTNR", std::nullopt},
                 {"KUNDER", "SAKNAS", std::nullopt}, {"SAKNAS", "X", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(toolkit::DeclaredTextSize(db, c.table, c.column), c.size) << c.table << "." << c.column;
}

INSTANTIATE_TEST_SUITE_P(Engines, CounterTableTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return std::string(EngineName(info.param)); });
