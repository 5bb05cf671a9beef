#pragma once
// Turning a journal connection string into a Qt SQL connection.
//
// Provider names and the Qt driver each one uses:
//   SQLOLEDB*, SQLNCLI*, MSOLEDBSQL*  SQL Server -> QODBC with the FreeTDS driver
//                                     ("Data Source" = host, host\instance or host,port)
//   MSDASQL*                          ODBC data source -> QODBC, "Data Source" = DSN
//   SQLite                            QSQLITE, "Data Source" = database file
//   PostgreSQL                        QPSQL, "Data Source" = host[:port] or host,port,
//                                     "Initial Catalog" = database
// "Integrated Security=SSPI" means the operating-system login: Trusted_Connection
// for SQL Server, libpq's own user for PostgreSQL.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <optional>

namespace toolkit {

enum class SqlDialect { SQLite, PostgreSQL, SqlServer, Odbc };

// Adds the Qt connection `name` for the string (an older one of that name is
// removed first); not yet opened. Invalid, with *error set, for an unknown provider.
QSqlDatabase CreateConnection(const QString& name, const QString& connectionString,
                              QString* error);
// CreateConnection and open; the error text of the failure in *error.
QSqlDatabase OpenConnection(const QString& name, const QString& connectionString, QString* error);
void RemoveConnection(const QString& name);

SqlDialect DialectOf(const QSqlDatabase& db);
// The driver's own text of the last error, as messages show it.
QString ErrorText(const QSqlError& error);
// The same for a query's last error. A query on a closed connection fails
// without any error; the text then says the connection is closed.
QString ErrorText(const QSqlQuery& query);

// The declared size of a text column (VARCHAR(40) gives 40); nothing when
// the column is unknown or has no size. Qt's SQLite and PostgreSQL drivers
// report no sizes, so the engine's own description of the table is asked.
std::optional<int> DeclaredTextSize(QSqlDatabase& db, const QString& table, const QString& column);

// The length of a text as the engine counts it against a column's declared
// size: characters (code points) on SQLite and PostgreSQL; UTF-8 bytes on
// SQL Server and other ODBC sources, whose VARCHAR counts bytes and which
// is never less than what an NVARCHAR counts.
qsizetype ColumnTextLength(const QString& text, SqlDialect dialect);
// The longest beginning of text whose length fits size, cut only between
// user-perceived characters (never inside a surrogate pair or between a
// letter and its combining marks).
QString CutToColumnSize(const QString& text, qsizetype size, SqlDialect dialect);

// Transactions, with the state Qt does not keep: whether one is open.
bool InTransaction(const QSqlDatabase& db);
// forWriting takes the engine's write lock at once where reads would
// otherwise not queue behind another writer (SQLite: BEGIN IMMEDIATE).
bool BeginTransaction(QSqlDatabase& db, QString* error, bool forWriting = false);
bool CommitTransaction(QSqlDatabase& db, QString* error);
// Rolls back when one is open; errors are ignored.
void RollbackTransaction(QSqlDatabase& db);
// Closes the connection and forgets its transaction.
void CloseConnection(QSqlDatabase& db);

} // namespace toolkit
