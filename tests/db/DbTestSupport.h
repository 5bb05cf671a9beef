#pragma once
// Shared pieces of the database tests: a private settings store and data-links
// folder, a recording dialog presenter, and scratch databases on SQLite and
// on the test PostgreSQL server (TQ7_TEST_PG_PORT).

#include "toolkit/Dialogs.h"
#include "toolkit/core/FileRegistry.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace dbtest {

struct Shown {
    toolkit::DialogKind kind;
    QString text;
};

class RecordingPresenter : public toolkit::DialogPresenter {
public:
    int answer = 0; // index of the button pressed: 0 is Yes (or OK), 1 is No
    std::vector<Shown> shown;
    int show(toolkit::DialogKind kind, const QString&, const QString& text, const QStringList&) override
    {
        shown.push_back({kind, text});
        return answer;
    }
    void balloon(const QString&, const QString& text, QWidget*, const QPoint&) override
    {
        shown.push_back({toolkit::DialogKind::Information, text});
    }
};

// A temporary directory with the settings store, the data-links folder
// ("links/") and the dialog presenter installed; all undone at the end.
class Environment {
public:
    Environment();
    ~Environment();
    QString path(const QString& name) const { return dir.filePath(name); }
    QString linksDir() const { return dir.filePath(QStringLiteral("links/")); }

    QTemporaryDir dir;
    RecordingPresenter dialogs;

private:
    std::unique_ptr<toolkit::FileRegistry> registry_;
};

enum class Engine { SQLite, PostgreSQL };
const char* EngineName(Engine e);

// A fresh, empty database: a SQLite file, or a new PostgreSQL database that
// is dropped again at the end. available() is false when PostgreSQL is not
// running for the tests.
class ScratchDatabase {
public:
    ScratchDatabase(Engine engine, const QString& dir);
    ~ScratchDatabase();
    bool available() const { return !connectionString.isEmpty(); }
    // Opens a Qt connection of that name on it.
    QSqlDatabase open(const QString& connectionName) const;

    Engine engine;
    QString connectionString; // journal connection string with a login
    QString pgDatabase;
};

// Runs statements, failing the test on the first error.
void Exec(QSqlDatabase& db, const QStringList& statements);
int CountRows(QSqlDatabase& db, const QString& sql);

// The SQLite ODBC driver name to use in odbc.ini files.
QString SqliteOdbcDriver();

} // namespace dbtest
