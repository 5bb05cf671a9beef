#pragma once
// A journal database (SQLite or the test PostgreSQL server) with its counter
// connection, and a Q7 database in a SQLite file read through unixODBC with
// the SQLite ODBC driver, as the floater reads it.

#include "../../db/DbTestSupport.h"
#include "app/database/CounterTable.h"
#include "app/sync/PersonSync.h"

#include <QSqlDatabase>
#include <QVariantMap>

#include <map>
#include <ostream>
#include <memory>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace synctest {

struct Q7Person {
    explicit Q7Person(QString s) : ssn(std::move(s)) {}
    QString ssn; // 12 digits
    QString forename = QStringLiteral("Anna"), surname = QStringLiteral("Berg");
    QString line1 = QStringLiteral("Storgatan 1"), line2, line3, line4;
    QString town = QStringLiteral("Umeå"), postcode = QStringLiteral("90325");
    QString telephone = QStringLiteral("090-123456");
    QString gender = QStringLiteral("F"), title;
    QString born = QStringLiteral("1980-05-07 00:00:00");
};

class SyncSite {
public:
    SyncSite(dbtest::Engine engine, const QString& dir);
    ~SyncSite();
    bool available() const { return scratch_->available(); }

    // Q7 side, written directly into its SQLite file.
    void addQ7(const Q7Person& p);
    void addContact(const QString& ssn, int type, const QString& number);
    void q7Exec(const QString& sql);

    // Journal side.
    void addKunder(int patientnr, const QString& personnr, const QVariantMap& fields);
    // The row of that personal number, empty when none.
    QVariantMap kunder(const QString& personnr);
    int kunderCount();

    app::PersonSyncContext context();

    QSqlDatabase journal, counterDb, q7;
    std::unique_ptr<app::CounterTable> counters;
    QStringList log;
    int errors = 0;

private:
    std::unique_ptr<dbtest::ScratchDatabase> scratch_;
    QString q7File_;
    QSqlDatabase q7Writer_;
    int nextPerson_ = 1;
    std::map<QString, int> personIds_;
};

} // namespace synctest
