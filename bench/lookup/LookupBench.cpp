// One patient lookup's queries (patient, lock, count, five categories) on a
// large journal: 100,000 patients and 1,000,000 picture rows, on SQLite and,
// when TQ7_TEST_PG_PORT names a server, on PostgreSQL. Prints the query plans
// first. Run through bench/lookup/run.sh, which starts PostgreSQL.

#include "app/database/JournalQueries.h"
#include "app/database/JournalSchema.h"
#include "toolkit/core/PersonalNumber.h"
#include "toolkit/db/SqlConnections.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kPatients = 100000;
constexpr int kPictures = 1000000;

bool exec(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        std::fprintf(stderr, "%s\n  %s\n", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

// Personal number of patient i: distinct, valid dates, hyphenated.
QString personnr(int i)
{
    const int year = 1930 + i % 80, month = 1 + i / 80 % 12, day = 1 + i / 960 % 28;
    return QString("%1%2%3-%4").arg(year).arg(month, 2, 10, QChar('0')).arg(day, 2, 10, QChar('0'))
        .arg(i % 10000, 4, 10, QChar('0'));
}

// Fills the journal with set-based inserts, fast on both engines.
bool fill(QSqlDatabase& db, bool postgres)
{
    QString error;
    if (!app::CreateTables(db, app::JournalSchemaStatements(toolkit::DialectOf(db)), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    db.transaction();
    QSqlQuery q(db);
    q.prepare("INSERT INTO KUNDER (PATIENTNR, PERSONNR, F_RNAMN, EFTERNAMN, PATLOCKED) VALUES (?, ?, 'Förnamn', 'Efternamn', ?)");
    QVariantList nrs, pnrs, locked;
    for (int i = 0; i < kPatients; ++i) {
        nrs << i + 1;
        pnrs << personnr(i);
        locked << (i % 11 == 4 ? "T" : "F");
    }
    q.addBindValue(nrs);
    q.addBindValue(pnrs);
    q.addBindValue(locked);
    if (!q.execBatch()) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        return false;
    }
    const QString series = postgres ? QString("SELECT n FROM generate_series(1, %1) AS s(n)").arg(kPictures)
                                    : QString("WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s"
                                              " WHERE n < %1) SELECT n FROM s").arg(kPictures);
    const QString date = postgres ? "DATE '2020-01-01' + (n % 2000)" : "date('2020-01-01', '+' || (n % 2000) || ' days')";
    const bool ok = exec(db, "INSERT INTO PATBILDKATALOG (BILDKATALOG, BESKRIVNING) VALUES (1, 'Bilder')") &&
                    exec(db, "INSERT INTO UNLOCKEDKLINIKER (PATIENTNR, KLINIKNR, SLUTDATUM) SELECT PATIENTNR, 0, NULL"
                             " FROM KUNDER WHERE PATLOCKED = 'T' AND PATIENTNR % 2 = 0") &&
                    exec(db, "INSERT INTO PATBILDER (LOPNR, PATIENTNR, DATUM, BILDNAMN, BILDKATDIR, BILDFLIK, BILDKATALOG)"
                             " SELECT n, 1 + (n * CAST(7919 AS BIGINT)) % " + QString::number(kPatients) + ", " + date +
                             ", 'bild' || n || '.jpg', '/bilder/', n % 5, 1 FROM (" + series + ") AS t");
    db.commit();
    exec(db, "ANALYZE");
    return ok;
}

void printPlans(QSqlDatabase& db, bool postgres)
{
    const QString explain = postgres ? "EXPLAIN " : "EXPLAIN QUERY PLAN ";
    const QStringList queries = {
        "SELECT PERSONNR, F_RNAMN, EFTERNAMN, PATIENTNR FROM KUNDER WHERE PERSONNR LIKE '%19450101-0001%'",
        "SELECT COUNT (DISTINCT PATBILDER.LOPNR) AS RESULT FROM PATBILDER, KUNDER WHERE KUNDER.PATIENTNR = "
        "PATBILDER.PATIENTNR AND KUNDER.PATIENTNR = 42",
        "SELECT DISTINCT PATBILDER.LOPNR AS LOPNR, DATUM, BILDNAMN, BILDKATDIR, BILDFLIK FROM PATBILDER, KUNDER, "
        "PATBILDKATALOG WHERE KUNDER.PATIENTNR = PATBILDER.PATIENTNR AND KUNDER.PATIENTNR = 42 AND "
        "PATBILDER.BILDFLIK = 3 AND PATBILDER.BILDKATALOG = PATBILDKATALOG.BILDKATALOG"};
    std::printf("== plans (%s)\n", postgres ? "PostgreSQL" : "SQLite");
    for (const QString& sql : queries) {
        QSqlQuery q(db);
        q.exec(explain + sql);
        std::printf("%s\n", qPrintable(sql.left(70)));
        while (q.next()) {
            QStringList cols;
            for (int c = 0; c < q.record().count(); ++c)
                cols << q.value(c).toString();
            std::printf("   %s\n", qPrintable(cols.join(" | ")));
        }
    }
}

// The queries of one lookup of a single patient.
void oneLookup(QSqlDatabase& db, int i)
{
    QString error;
    const auto rows = app::QueryPatients(
        db, QString::fromStdString(toolkit::LookupPattern(personnr(i).toStdString())), &error);
    if (!rows || rows->size() != 1) {
        std::fprintf(stderr, "lookup of %s: %s\n", qPrintable(personnr(i)), qPrintable(error));
        std::abort();
    }
    const int nr = rows->front().patientnr;
    benchmark::DoNotOptimize(app::QueryLockState(db, nr, 0, QDateTime::currentDateTime(), &error));
    benchmark::DoNotOptimize(app::QueryImageCount(db, nr, &error));
    for (int flik = 0; flik < 5; ++flik)
        benchmark::DoNotOptimize(app::QueryCategoryImages(db, nr, flik, &error));
}

void lookups(benchmark::State& state, QSqlDatabase* db)
{
    int i = 12345;
    for (auto _ : state) {
        oneLookup(*db, i);
        i = (i + 7907) % kPatients;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    QSqlDatabase sqlite = QSqlDatabase::addDatabase("QSQLITE", "bench");
    sqlite.setDatabaseName(dir.filePath("journal.sqlite"));
    if (!sqlite.open() || !fill(sqlite, false))
        return 1;
    printPlans(sqlite, false);
    benchmark::RegisterBenchmark("lookup/SQLite", lookups, &sqlite)->Unit(benchmark::kMillisecond)
        ->Repetitions(5)->ReportAggregatesOnly(true);

    QSqlDatabase pg;
    const QString port = qEnvironmentVariable("TQ7_TEST_PG_PORT");
    if (!port.isEmpty()) {
        pg = QSqlDatabase::addDatabase("QPSQL", "benchpg");
        pg.setHostName("127.0.0.1");
        pg.setPort(port.toInt());
        pg.setUserName("tq7");
        pg.setDatabaseName("postgres");
        if (pg.open() && exec(pg, "DROP DATABASE IF EXISTS lookupbench") && exec(pg, "CREATE DATABASE lookupbench")) {
            pg.close();
            pg.setDatabaseName("lookupbench");
            if (pg.open() && fill(pg, true)) {
                printPlans(pg, true);
                benchmark::RegisterBenchmark("lookup/PostgreSQL", lookups, &pg)->Unit(benchmark::kMillisecond)
                    ->Repetitions(5)->ReportAggregatesOnly(true);
            }
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
