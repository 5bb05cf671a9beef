// UPDATE_ALL over a demo clinic: most patients unchanged, 10 % changed in
// Q7, 1 % missing in Q7. Journal on SQLite and on PostgreSQL (when
// TQ7_TEST_PG_PORT is set), Q7 through unixODBC with the SQLite ODBC driver.
// Reports patients per second and how far the resident size rose above its
// level at the start of the run.

#include "../../tests/db/DbTestSupport.h"
#include "app/database/CounterTable.h"
#include "app/database/JournalSchema.h"
#include "app/sync/UpdateAll.h"
#include "toolkit/db/SqlConnections.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using dbtest::Engine;

// The kernel's peak resident size (VmHWM) and current size (VmRSS), in kB.
long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Starts a new peak: the run's own peak is then measured, not the set-up's.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

class KeepingView : public app::BatchView {
public:
    void beginBatch(const QString&) override { log_.clear(); }
    void showActive(const QString&, int, int, const QString&) override {}
    void addLogLine(const QString& line) override { log_ << line; }
    QStringList logLines() const override { return log_; }
    void endBatch() override {}

private:
    QStringList log_;
};

QString ssnOf(int i) { return QStringLiteral("19%1%2").arg(50 + i % 50).arg(1000000 + i, 8, 10, QLatin1Char('0')).left(12); }
QString pnrOf(int i)
{
    const QString s = ssnOf(i);
    return s.left(8) + u'-' + s.mid(8);
}

bool exec(QSqlQuery& q, const QString& sql, const QVariantList& values)
{
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(toolkit::ErrorText(q.lastError())));
        return false;
    }
    return true;
}

// One clinic of n patients: journal and Q7 alike, except the changed and
// missing ones.
struct Clinic {
    Clinic(Engine engine, int n) : patients(n), scratch(engine, dir.path())
    {
        if (!scratch.available())
            return;
        QString error;
        journal = toolkit::OpenConnection(QStringLiteral("bench-journal"), scratch.connectionString, &error);
        counterDb = toolkit::OpenConnection(QStringLiteral("bench-counter"), scratch.connectionString, &error);
        // The demo journal runs with a write-ahead log, as a shared SQLite
        // journal should: readers never wait for a writer.
        if (engine == Engine::SQLite)
            QSqlQuery(journal).exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        app::CreateTables(journal, app::JournalSchemaStatements(toolkit::DialectOf(journal)), &error);
        const QString q7File = dir.filePath(QStringLiteral("q7.sqlite"));
        {
            QSqlDatabase w = toolkit::OpenConnection(QStringLiteral("bench-q7w"),
                                                     QStringLiteral("Provider=SQLite;Data Source=") + q7File, &error);
            // Q7's own database indexes the columns its joins use.
            app::CreateTables(w, app::Q7SchemaStatements() + QStringList{
                QStringLiteral("CREATE INDEX Roles_Person ON Roles (Person_ID)"),
                QStringLiteral("CREATE INDEX Contact_Details_Person ON Contact_Details (Person_ID)")}, &error);
            toolkit::BeginTransaction(w, &error, true);
            QSqlQuery q(w);
            exec(q, QStringLiteral("INSERT INTO ContactType VALUES (3, 'Mobil', 1)"), {});
            for (int i = 0; i < n; ++i) {
                if (i % 100 == 50)
                    continue; // missing in Q7
                exec(q, QStringLiteral("INSERT INTO Patient VALUES (?, 1, 1, '1970-01-01 00:00:00', 'F', ?)"), {i, ssnOf(i)});
                exec(q, QStringLiteral("INSERT INTO Person VALUES (?, 1, 1, '', 'Anna', ?)"), {i, QStringLiteral("Berg %1").arg(i)});
                exec(q, QStringLiteral("INSERT INTO Address VALUES (?, 'Storgatan 1', '', '', '', 'Umeå', '90325', '090-12', NULL)"), {i});
                exec(q, QStringLiteral("INSERT INTO Roles VALUES (?, 1, 1, ?, 'HA')"), {i, i});
                exec(q, QStringLiteral("INSERT INTO Contact_Details VALUES (?, ?, 1, 1, 3, '070-1')"), {i, i});
            }
            toolkit::CommitTransaction(w, &error);
            w = QSqlDatabase();
            toolkit::RemoveConnection(QStringLiteral("bench-q7w"));
        }
        toolkit::BeginTransaction(journal, &error, true);
        QSqlQuery q(journal);
        for (int i = 0; i < n; ++i)
            exec(q, QStringLiteral("INSERT INTO KUNDER (PATIENTNR, PERSONNR, F_RNAMN, EFTERNAMN, ADRESS, ORT, POSTNR, TEL1,"
                                   " TITEL, TEL2, KON) VALUES (?, ?, 'Anna', ?, 'Storgatan 1', 'Umeå', '903 25', '090-12', '', '070-1', 'K')"),
                 {i + 1, pnrOf(i), QStringLiteral("Berg %1").arg(i)});
        toolkit::CommitTransaction(journal, &error);

        const QString ini = dir.filePath(QStringLiteral("odbc.ini"));
        QFile f(ini);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("[BenchQ7]\nDriver=%1\nDatabase=%2\n").arg(dbtest::SqliteOdbcDriver(), q7File).toUtf8());
        f.close();
        ::setenv("ODBCINI", ini.toLocal8Bit().constData(), 1);
        q7 = toolkit::OpenConnection(QStringLiteral("bench-q7"), QStringLiteral("Provider=MSDASQL.1;Data Source=BenchQ7"), &error);
        counters = std::make_unique<app::CounterTable>(counterDb);
    }
    ~Clinic()
    {
        counters.reset();
        journal = counterDb = q7 = QSqlDatabase();
        for (const char* name : {"bench-journal", "bench-counter", "bench-q7"})
            toolkit::RemoveConnection(QString::fromLatin1(name));
    }
    // Every tenth patient has moved in Q7 since the last run.
    void changeTenPercent()
    {
        QSqlQuery q(journal);
        q.exec(QStringLiteral("UPDATE KUNDER SET ORT = 'Gammal ort' WHERE PATIENTNR % 10 = 1"));
    }

    int patients;
    QTemporaryDir dir;
    dbtest::ScratchDatabase scratch;
    QSqlDatabase journal, counterDb, q7;
    std::unique_ptr<app::CounterTable> counters;
};

void BM_UpdateAll(benchmark::State& state, Engine engine)
{
    const int n = static_cast<int>(state.range(0));
    Clinic clinic(engine, n);
    if (!clinic.scratch.available() || !clinic.q7.isOpen()) {
        state.SkipWithError("database not available");
        return;
    }
    app::PersonSyncContext context;
    context.journal = clinic.journal;
    context.q7 = clinic.q7;
    context.counters = clinic.counters.get();
    context.useContactTypes = true;
    long growth = 0;
    bool errors = false;
    for (auto _ : state) {
        state.PauseTiming();
        clinic.changeTenPercent();
        KeepingView view;
        resetPeak();
        const long before = statusKb("VmRSS:");
        state.ResumeTiming();
        app::TUpdateAll run(view, context, nullptr, clinic.dir.path() + u'/');
        errors = run.run() || errors;
        state.PauseTiming();
        growth = std::max(growth, statusKb("VmHWM:") - before);
        state.ResumeTiming();
    }
    state.counters["patients/s"] = benchmark::Counter(double(n) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate);
    state.counters["run_peak_above_start_MB"] = double(growth) / 1024.0;
    if (errors)
        state.SkipWithError("the run met errors");
}

BENCHMARK_CAPTURE(BM_UpdateAll, SQLite, Engine::SQLite)
    ->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_UpdateAll, PostgreSQL, Engine::PostgreSQL)
    ->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
