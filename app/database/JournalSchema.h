#pragma once
// Tables of the journal database that this program reads or writes, with
// declared text sizes (the person sync compares against them), for the
// engines we run on here, and the tables of Q7's database that the person
// sync reads.

#include "toolkit/db/SqlConnections.h"

#include <QSqlDatabase>
#include <QStringList>

namespace app {

QStringList JournalSchemaStatements(toolkit::SqlDialect dialect);
QStringList Q7SchemaStatements();

// Runs the statements in one transaction; false with the error when one fails
// (and nothing is created).
bool CreateTables(QSqlDatabase& db, const QStringList& statements, QString* error);

} // namespace app
