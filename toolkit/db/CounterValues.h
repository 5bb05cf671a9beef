#pragma once
// Reading and writing one value of the counter table FIELDCOUNTERS
// (TABLENAME, FIELDNAME, COUNTER). Each call runs in a transaction of its own
// on the given connection: reads are always rolled back, writes commit or
// leave nothing behind.

#include <QSqlDatabase>
#include <QString>

namespace toolkit {

// COUNTER of the row; -1 when there is none or after a warning.
int ReadCounter(QSqlDatabase& db, const QString& tableName, const QString& fieldName);
// Sets COUNTER, creating the row when it is missing; an error message and
// nothing written on failure. True when written.
bool WriteCounter(QSqlDatabase& db, const QString& tableName, const QString& fieldName, int value);

// The same on DefaultQuery's connection. ReadCounterValue gives -1 for a blank
// name without asking the database.
int ReadCounterValue(const QString& tableName, const QString& fieldName);
void WriteCounterValue(const QString& tableName, const QString& fieldName, int value);

} // namespace toolkit
