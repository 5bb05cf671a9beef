#include "SqlConnections.h"

#include "ConnectionString.h"

#include <QSet>
#include <QSqlDriver>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlQuery>
#include <QTextBoundaryFinder>

#include <mutex>

namespace toolkit {

namespace {

struct Target {
    QString driver, databaseName, host, user, password, options;
    int port = -1;
};

void splitHostPort(const QString& source, QChar separator, Target& t)
{
    const qsizetype at = source.lastIndexOf(separator);
    bool ok = false;
    const int port = at > 0 ? source.mid(at + 1).trimmed().toInt(&ok) : 0;
    t.host = ok ? source.left(at).trimmed() : source.trimmed();
    t.port = ok ? port : -1;
}

bool mapProvider(const QString& s, Target& t, QString* error)
{
    const QString provider = ProviderName(s);
    const QString source = ConnectionValue(s, QStringLiteral("Data Source="));
    const QString catalog = ConnectionValue(s, QStringLiteral("Initial Catalog="));
    const bool integrated = UsesIntegratedSecurity(s);
    if (!integrated) {
        t.user = ConnectionValue(s, QStringLiteral("User ID="));
        t.password = ConnectionValue(s, QStringLiteral("Password="));
    }
    const auto is = [&](const char* prefix) {
        return provider.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
    };
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        t.driver = QStringLiteral("QSQLITE");
        t.databaseName = source;
        t.options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000");
    } else if (provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0) {
        t.driver = QStringLiteral("QPSQL");
        splitHostPort(source, source.contains(u',') ? u',' : u':', t);
        t.databaseName = catalog;
        t.options = QStringLiteral("connect_timeout=5");
    } else if (is("SQLOLEDB") || is("SQLNCLI") || is("MSOLEDBSQL")) {
        Target server;
        splitHostPort(source, u',', server);
        t.driver = QStringLiteral("QODBC");
        t.databaseName = QStringLiteral("DRIVER={FreeTDS};SERVER=%1;DATABASE=%2;TDS_Version=7.4")
                             .arg(server.host, catalog);
        if (server.port > 0)
            t.databaseName += QStringLiteral(";PORT=%1").arg(server.port);
        if (integrated)
            t.databaseName += QStringLiteral(";Trusted_Connection=Yes");
    } else if (is("MSDASQL")) {
        t.driver = QStringLiteral("QODBC");
        t.databaseName = source; // a bare name: the driver connects to it as a data source
    } else {
        if (error)
            *error = QStringLiteral("Okänd dataprovider \"%1\"").arg(provider);
        return false;
    }
    return true;
}

std::mutex stateMutex;
QSet<QString>& openTransactions()
{
    static QSet<QString> names;
    return names;
}

void setInTransaction(const QSqlDatabase& db, bool open)
{
    std::lock_guard lock(stateMutex);
    if (open)
        openTransactions().insert(db.connectionName());
    else
        openTransactions().remove(db.connectionName());
}

} // namespace

QSqlDatabase CreateConnection(const QString& name, const QString& connectionString, QString* error)
{
    Target t;
    if (!mapProvider(connectionString, t, error))
        return {};
    RemoveConnection(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(t.driver, name);
    if (!db.isValid()) {
        if (error)
            *error = QStringLiteral("Databasdrivrutinen %1 saknas").arg(t.driver);
        return db;
    }
    db.setDatabaseName(t.databaseName);
    db.setHostName(t.host);
    db.setPort(t.port);
    db.setUserName(t.user);
    db.setPassword(t.password);
    db.setConnectOptions(t.options);
    return db;
}

QSqlDatabase OpenConnection(const QString& name, const QString& connectionString, QString* error)
{
    QSqlDatabase db = CreateConnection(name, connectionString, error);
    if (db.isValid() && !db.open() && error)
        *error = ErrorText(db.lastError());
    return db;
}

void RemoveConnection(const QString& name)
{
    if (!QSqlDatabase::contains(name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        CloseConnection(db);
    }
    QSqlDatabase::removeDatabase(name);
}

SqlDialect DialectOf(const QSqlDatabase& db)
{
    switch (db.driver() ? db.driver()->dbmsType() : QSqlDriver::UnknownDbms) {
    case QSqlDriver::SQLite: return SqlDialect::SQLite;
    case QSqlDriver::PostgreSQL: return SqlDialect::PostgreSQL;
    case QSqlDriver::MSSqlServer: return SqlDialect::SqlServer;
    default: return SqlDialect::Odbc;
    }
}

QString ErrorText(const QSqlError& error)
{
    const QString driver = error.driverText().trimmed(), database = error.databaseText().trimmed();
    if (database.isEmpty())
        return driver;
    if (driver.isEmpty())
        return database;
    return driver + u' ' + database;
}

QString ErrorText(const QSqlQuery& query)
{
    const QString text = ErrorText(query.lastError());
    if (!text.isEmpty())
        return text;
    return query.driver() && query.driver()->isOpen() ? query.lastError().text()
                                                       : QStringLiteral("Anslutningen är stängd");
}

std::optional<int> DeclaredTextSize(QSqlDatabase& db, const QString& table, const QString& column)
{
    const SqlDialect dialect = DialectOf(db);
    if (dialect == SqlDialect::Odbc) {
        const QSqlField field = db.record(table).field(column);
        return field.isValid() && field.length() > 0 ? std::optional<int>(field.length()) : std::nullopt;
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (dialect == SqlDialect::SQLite)
        q.prepare(QStringLiteral("SELECT type FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE"));
    else
        q.prepare(QStringLiteral("SELECT character_maximum_length FROM INFORMATION_SCHEMA.COLUMNS"
                                 " WHERE UPPER(table_name) = UPPER(?) AND UPPER(column_name) = UPPER(?)"));
    q.addBindValue(table);
    q.addBindValue(column);
    if (!q.exec() || !q.next() || q.value(0).isNull())
        return std::nullopt;
    if (dialect != SqlDialect::SQLite)
        return q.value(0).toInt();
    static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    const QRegularExpressionMatch m = size.match(q.value(0).toString());
    return m.hasMatch() ? std::optional<int>(m.captured(1).toInt()) : std::nullopt;
}

qsizetype ColumnTextLength(const QString& text, SqlDialect dialect)
{
    switch (dialect) {
    case SqlDialect::SQLite:
    case SqlDialect::PostgreSQL: return QStringView(text).toUcs4().size();
    default: return QStringView(text).toUtf8().size();
    }
}

QString CutToColumnSize(const QString& text, qsizetype size, SqlDialect dialect)
{
    if (ColumnTextLength(text, dialect) <= size)
        return text;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype fits = 0;
    for (qsizetype at = characters.toNextBoundary(); at > 0; at = characters.toNextBoundary()) {
        if (ColumnTextLength(text.left(at), dialect) > size)
            break;
        fits = at;
    }
    return text.left(fits);
}

bool InTransaction(const QSqlDatabase& db)
{
    std::lock_guard lock(stateMutex);
    return openTransactions().contains(db.connectionName());
}

bool BeginTransaction(QSqlDatabase& db, QString* error, bool forWriting)
{
    bool ok = false;
    QSqlError failure;
    if (forWriting && DialectOf(db) == SqlDialect::SQLite) {
        QSqlQuery begin(db);
        ok = begin.exec(QStringLiteral("BEGIN IMMEDIATE"));
        failure = begin.lastError();
    } else {
        ok = db.transaction();
        failure = db.lastError();
    }
    if (!ok && error)
        *error = db.isOpen() ? ErrorText(failure) : QStringLiteral("Anslutningen är stängd");
    setInTransaction(db, ok);
    return ok;
}

bool CommitTransaction(QSqlDatabase& db, QString* error)
{
    const bool ok = db.commit();
    if (!ok && error)
        *error = ErrorText(db.lastError());
    if (ok)
        setInTransaction(db, false);
    return ok;
}

void RollbackTransaction(QSqlDatabase& db)
{
    if (!InTransaction(db))
        return;
    db.rollback();
    setInTransaction(db, false);
}

void CloseConnection(QSqlDatabase& db)
{
    setInTransaction(db, false);
    db.close();
}

} // namespace toolkit
