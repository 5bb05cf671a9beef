#include "CounterTable.h"

#include "toolkit/Dialogs.h"
#include "toolkit/db/CounterValues.h"
#include "toolkit/db/SqlConnections.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <limits>

namespace app {

using toolkit::SqlDialect;

namespace {

// The allocation read takes the row's write lock where the engine has one, so
// that workstations queue behind each other instead of failing the optimistic
// check. SQLite locks the whole database at BEGIN IMMEDIATE instead.
QString lockingRead(SqlDialect dialect)
{
    switch (dialect) {
    case SqlDialect::PostgreSQL:
        return QStringLiteral("SELECT COUNTER FROM FIELDCOUNTERS WHERE TABLENAME =:tablename"
                              " AND FIELDNAME =:fieldname FOR UPDATE");
    case SqlDialect::SqlServer:
        return QStringLiteral("SELECT COUNTER FROM FIELDCOUNTERS WITH (UPDLOCK, ROWLOCK)"
                              " WHERE TABLENAME =:tablename AND FIELDNAME =:fieldname");
    default:
        return QStringLiteral("SELECT COUNTER FROM FIELDCOUNTERS WHERE TABLENAME =:tablename"
                              " AND FIELDNAME =:fieldname");
    }
}

// How long one allocation attempt waits for another session's lock: the
// retry budget of three pauses, so that a busy counter row still queues its
// writers while a row held by a stuck session costs the user-interface
// thread a few seconds, not minutes. Set per session; errors leave the default.
constexpr int kLockTimeoutMs = 1500;

void limitLockWaits(QSqlDatabase& db)
{
    QSqlQuery q(db);
    switch (toolkit::DialectOf(db)) {
    case SqlDialect::PostgreSQL:
        q.exec(QStringLiteral("SET lock_timeout = %1").arg(kLockTimeoutMs));
        break;
    case SqlDialect::SQLite:
        q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kLockTimeoutMs));
        break;
    case SqlDialect::SqlServer:
        q.exec(QStringLiteral("SET LOCK_TIMEOUT %1").arg(kLockTimeoutMs));
        break;
    case SqlDialect::Odbc:
        break;
    }
}

} // namespace

CounterTable::CounterTable(const QSqlDatabase& counterConnection)
    : wait([](int ms) { QThread::msleep(ulong(ms)); }), db_(counterConnection)
{
}

int CounterTable::GetDataText(const QString& name, const QString& item)
{
    return toolkit::ReadCounter(db_, name, item);
}

QString CounterTable::GetDataText2(const QString& name, int value)
{
    toolkit::RollbackTransaction(db_);
    QString result, error;
    if (toolkit::BeginTransaction(db_, &error)) {
        QSqlQuery q(db_);
        q.setForwardOnly(true);
        if (q.prepare(QStringLiteral("SELECT * FROM FIELDCOUNTERS WHERE TABLENAME =:tablename"
                                     " AND COUNTER =:nummer"))) {
            q.bindValue(QStringLiteral(":tablename"), name);
            q.bindValue(QStringLiteral(":nummer"), value);
        }
        if (q.exec()) {
            if (q.next())
                result = q.value(QStringLiteral("FIELDNAME")).toString();
        } else {
            error = toolkit::ErrorText(q.lastError());
        }
    }
    if (!error.isEmpty())
        toolkit::ShowWarning(toolkit::Translate(QStringLiteral("Det gick inte att hämta värdet!"))
                             + QStringLiteral("\r\r") + error);
    toolkit::RollbackTransaction(db_);
    return error.isEmpty() ? result : QString();
}

void CounterTable::SetDataText(const QString& name, const QString& item, int value)
{
    toolkit::WriteCounter(db_, name, item, value);
}

bool CounterTable::allocateOnce(const QString& name, const QString& item, int& number)
{
    toolkit::RollbackTransaction(db_);
    // Again at every attempt: a reconnected session has lost the setting.
    limitLockWaits(db_);
    if (!toolkit::BeginTransaction(db_, nullptr, true))
        return false;
    QSqlQuery read(db_);
    read.setForwardOnly(true);
    if (!read.prepare(lockingRead(toolkit::DialectOf(db_))))
        return false;
    read.bindValue(QStringLiteral(":tablename"), name);
    read.bindValue(QStringLiteral(":fieldname"), item);
    if (!read.exec())
        return false;
    int rows = 0;
    qint64 current = 0;
    while (read.next()) {
        current = read.value(0).toLongLong();
        ++rows;
    }
    read.finish();

    QSqlQuery write(db_);
    if (rows == 1) {
        if (current >= std::numeric_limits<int>::max())
            return false;
        number = int(current) + 1;
        // Written back only when no one else changed COUNTER since it was read.
        if (!write.prepare(QStringLiteral("UPDATE FIELDCOUNTERS SET COUNTER =:counter WHERE TABLENAME"
                                          " =:tablename AND FIELDNAME =:fieldname AND COUNTER =:old")))
            return false;
        write.bindValue(QStringLiteral(":old"), current);
    } else {
        number = 1;
        if (!write.prepare(QStringLiteral("INSERT INTO FIELDCOUNTERS (TABLENAME, FIELDNAME, COUNTER)"
                                          " VALUES (:tablename, :fieldname, :counter)")))
            return false;
    }
    write.bindValue(QStringLiteral(":counter"), number);
    write.bindValue(QStringLiteral(":tablename"), name);
    write.bindValue(QStringLiteral(":fieldname"), item);
    return write.exec() && write.numRowsAffected() == 1 && toolkit::CommitTransaction(db_, nullptr);
}

int CounterTable::increaseCounterField(const QString& name, const QString& item)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        int number = -1;
        if (allocateOnce(name, item, number))
            return number;
        toolkit::RollbackTransaction(db_);
        ++retries_;
        wait(500);
    }
    return -1;
}

} // namespace app
