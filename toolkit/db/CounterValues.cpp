#include "CounterValues.h"

#include "KxAdoQuery.h"
#include "SqlConnections.h"
#include "toolkit/Dialogs.h"

#include <QSqlError>
#include <QSqlQuery>

namespace toolkit {

namespace {

const QString kByName = QStringLiteral(
    "SELECT * FROM FIELDCOUNTERS WHERE TABLENAME =:tablename AND FIELDNAME =:fieldname");

QString failure(const QSqlQuery& q) { return ErrorText(q.lastError()); }

bool selectByName(QSqlQuery& q, const QString& tableName, const QString& fieldName)
{
    q.setForwardOnly(true);
    if (!q.prepare(kByName))
        return false;
    q.bindValue(QStringLiteral(":tablename"), tableName);
    q.bindValue(QStringLiteral(":fieldname"), fieldName);
    return q.exec();
}

QSqlDatabase defaultConnection()
{
    return DefaultQuery() ? DefaultQuery()->connection() : QSqlDatabase();
}

} // namespace

int ReadCounter(QSqlDatabase& db, const QString& tableName, const QString& fieldName)
{
    RollbackTransaction(db);
    int result = -1;
    QString error;
    if (BeginTransaction(db, &error)) {
        QSqlQuery q(db);
        if (selectByName(q, tableName, fieldName)) {
            if (q.next())
                result = q.value(QStringLiteral("COUNTER")).toInt();
        } else {
            error = failure(q);
        }
    }
    if (!error.isEmpty())
        ShowWarning(Translate(QStringLiteral("Det gick inte att hämta värdet!")) + QStringLiteral("\r\r") + error);
    RollbackTransaction(db);
    return error.isEmpty() ? result : -1;
}

bool WriteCounter(QSqlDatabase& db, const QString& tableName, const QString& fieldName, int value)
{
    RollbackTransaction(db);
    QString error;
    bool ok = BeginTransaction(db, &error, true);
    if (ok) {
        QSqlQuery q(db);
        ok = q.prepare(QStringLiteral("UPDATE FIELDCOUNTERS SET COUNTER =:counter"
                                      " WHERE TABLENAME =:tablename AND FIELDNAME =:fieldname"));
        q.bindValue(QStringLiteral(":counter"), value);
        q.bindValue(QStringLiteral(":tablename"), tableName);
        q.bindValue(QStringLiteral(":fieldname"), fieldName);
        ok = ok && q.exec();
        if (ok && q.numRowsAffected() == 0) {
            ok = q.prepare(QStringLiteral("INSERT INTO FIELDCOUNTERS (TABLENAME, FIELDNAME, COUNTER)"
                                          " VALUES (:tablename, :fieldname, :counter)"));
            q.bindValue(QStringLiteral(":tablename"), tableName);
            q.bindValue(QStringLiteral(":fieldname"), fieldName);
            q.bindValue(QStringLiteral(":counter"), value);
            ok = ok && q.exec();
        }
        if (!ok)
            error = failure(q);
        ok = ok && CommitTransaction(db, &error);
    }
    if (!ok) {
        ShowError(Translate(QStringLiteral("Det gick inte att spara värdet!")) + QStringLiteral("\r\r") + error);
        RollbackTransaction(db);
    }
    return ok;
}

int ReadCounterValue(const QString& tableName, const QString& fieldName)
{
    if (tableName.trimmed().isEmpty() || fieldName.trimmed().isEmpty())
        return -1;
    if (DefaultQuery())
        DefaultQuery()->close();
    QSqlDatabase db = defaultConnection();
    return ReadCounter(db, tableName, fieldName);
}

void WriteCounterValue(const QString& tableName, const QString& fieldName, int value)
{
    if (DefaultQuery())
        DefaultQuery()->close();
    QSqlDatabase db = defaultConnection();
    WriteCounter(db, tableName, fieldName, value);
}

} // namespace toolkit
