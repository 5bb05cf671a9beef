#include "DbTestSupport.h"

#include "toolkit/core/Settings.h"
#include "toolkit/core/ToolkitPaths.h"
#include "toolkit/db/SqlConnections.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace dbtest {

Environment::Environment()
{
    QDir().mkpath(linksDir());
    registry_ = std::make_unique<toolkit::FileRegistry>(std::map<toolkit::RegistryRoot, std::string>{
        {toolkit::RegistryRoot::CurrentUser, path(QStringLiteral("user.reg")).toStdString()},
        {toolkit::RegistryRoot::LocalMachine, path(QStringLiteral("machine.reg")).toStdString()}});
    toolkit::setRegistry(registry_.get());
    toolkit::SetInstallKey(toolkit::InstallKeyFor("/opt/Floater"));
    ::setenv("TQ7_DATALINKS_DIR", linksDir().toLocal8Bit().constData(), 1);
    toolkit::InitToolkitPaths();
    toolkit::LocalizeDialogTexts();
    toolkit::setDialogPresenter(&dialogs);
}

Environment::~Environment()
{
    toolkit::setDialogPresenter(nullptr);
    toolkit::setRegistry(nullptr);
}

const char* EngineName(Engine e) { return e == Engine::SQLite ? "SQLite" : "PostgreSQL"; }

namespace {

QString pgBase()
{
    const char* port = std::getenv("TQ7_TEST_PG_PORT");
    if (!port || !*port)
        return {};
    return QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1,%1;User ID=tq7;Password=x")
        .arg(QString::fromLatin1(port));
}

void adminExec(const QString& sql)
{
    const QString name = QStringLiteral("tq7-test-admin");
    {
        QString error;
        QSqlDatabase db = toolkit::OpenConnection(name, pgBase() + QStringLiteral(";Initial Catalog=postgres"), &error);
        ASSERT_TRUE(db.isOpen()) << error.toStdString();
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    }
    toolkit::RemoveConnection(name);
}

} // namespace

ScratchDatabase::ScratchDatabase(Engine e, const QString& dir) : engine(e)
{
    if (engine == Engine::SQLite) {
        connectionString = QStringLiteral("Provider=SQLite;Data Source=") + QDir(dir).filePath(QStringLiteral("journal.sqlite"));
        return;
    }
    if (pgBase().isEmpty())
        return;
    static std::atomic<int> counter{0};
    pgDatabase = QStringLiteral("tq7_%1_%2").arg(::getpid()).arg(counter++);
    adminExec(QStringLiteral("CREATE DATABASE ") + pgDatabase);
    connectionString = pgBase() + QStringLiteral(";Initial Catalog=") + pgDatabase;
}

ScratchDatabase::~ScratchDatabase()
{
    if (!pgDatabase.isEmpty())
        adminExec(QStringLiteral("DROP DATABASE IF EXISTS ") + pgDatabase + QStringLiteral(" WITH (FORCE)"));
}

QSqlDatabase ScratchDatabase::open(const QString& connectionName) const
{
    QString error;
    QSqlDatabase db = toolkit::OpenConnection(connectionName, connectionString, &error);
    EXPECT_TRUE(db.isOpen()) << error.toStdString();
    return db;
}

void Exec(QSqlDatabase& db, const QStringList& statements)
{
    QSqlQuery q(db);
    for (const QString& sql : statements)
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

int CountRows(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    return q.next() ? q.value(0).toInt() : -1;
}

QString SqliteOdbcDriver() { return QStringLiteral("SQLite3"); }

} // namespace dbtest
