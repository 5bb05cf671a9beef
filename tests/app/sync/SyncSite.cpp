#include "SyncSite.h"

#include "app/database/JournalSchema.h"
#include "toolkit/db/SqlConnections.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <cstdlib>

namespace synctest {

namespace {

void check(QSqlQuery& q, const QString& what)
{
    EXPECT_TRUE(q.exec()) << what.toStdString() << ": " << q.lastError().text().toStdString();
}

} // namespace

SyncSite::SyncSite(dbtest::Engine engine, const QString& dir)
    : scratch_(std::make_unique<dbtest::ScratchDatabase>(engine, dir))
{
    if (!available())
        return;
    journal = scratch_->open(QStringLiteral("journal"));
    QString error;
    EXPECT_TRUE(app::CreateTables(journal, app::JournalSchemaStatements(toolkit::DialectOf(journal)), &error))
        << error.toStdString();
    counterDb = scratch_->open(QStringLiteral("counter"));
    counters = std::make_unique<app::CounterTable>(counterDb);
    counters->wait = [](int) {};

    q7File_ = dir + QStringLiteral("/q7.sqlite");
    q7Writer_ = toolkit::OpenConnection(QStringLiteral("q7writer"),
                                        QStringLiteral("Provider=SQLite;Data Source=") + q7File_, &error);
    EXPECT_TRUE(app::CreateTables(q7Writer_, app::Q7SchemaStatements(), &error)) << error.toStdString();
    for (const auto& [type, description, order] :
         {std::tuple{1, "Arbete", 2}, std::tuple{3, "Mobil", 1}, std::tuple{6, "E-post", 3}})
        q7Exec(QStringLiteral("INSERT INTO ContactType VALUES (%1, '%2', %3)").arg(type).arg(description).arg(order));

    const QString ini = dir + QStringLiteral("/odbc.ini");
    QFile file(ini);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("[TestQ7]\nDriver=%1\nDatabase=%2\n").arg(dbtest::SqliteOdbcDriver(), q7File_).toUtf8());
    file.close();
    ::setenv("ODBCINI", ini.toLocal8Bit().constData(), 1);
    q7 = toolkit::OpenConnection(QStringLiteral("q7"), QStringLiteral("Provider=MSDASQL.1;Data Source=TestQ7"), &error);
    EXPECT_TRUE(q7.isOpen()) << error.toStdString();
}

SyncSite::~SyncSite()
{
    counters.reset();
    journal = counterDb = q7 = q7Writer_ = QSqlDatabase();
    for (const char* name : {"journal", "counter", "q7", "q7writer"})
        toolkit::RemoveConnection(QString::fromLatin1(name));
}

void SyncSite::q7Exec(const QString& sql)
{
    QSqlQuery q(q7Writer_);
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
}

void SyncSite::addQ7(const Q7Person& p)
{
    const int id = nextPerson_++;
    personIds_[p.ssn] = id;
    QSqlQuery q(q7Writer_);
    q.prepare(QStringLiteral("INSERT INTO Patient VALUES (?, 1, 1, ?, ?, ?)"));
    q.addBindValue(id);
    q.addBindValue(p.born);
    q.addBindValue(p.gender);
    q.addBindValue(p.ssn);
    check(q, QStringLiteral("Patient"));
    q.prepare(QStringLiteral("INSERT INTO Person VALUES (?, 1, 1, ?, ?, ?)"));
    q.addBindValue(id);
    q.addBindValue(p.title);
    q.addBindValue(p.forename);
    q.addBindValue(p.surname);
    check(q, QStringLiteral("Person"));
    // An ended address first: only the current one counts.
    q.prepare(QStringLiteral("INSERT INTO Address VALUES (?, 'Gamla vägen 9', '', '', '', 'Förr', '11111',"
                             " '', '2001-01-01')"));
    q.addBindValue(id * 2);
    check(q, QStringLiteral("old Address"));
    q.prepare(QStringLiteral("INSERT INTO Address VALUES (?, ?, ?, ?, ?, ?, ?, ?, NULL)"));
    q.addBindValue(id * 2 + 1);
    for (const QString* v : {&p.line1, &p.line2, &p.line3, &p.line4, &p.town, &p.postcode, &p.telephone})
        q.addBindValue(*v);
    check(q, QStringLiteral("Address"));
    for (int address : {id * 2, id * 2 + 1}) {
        q.prepare(QStringLiteral("INSERT INTO Roles VALUES (?, 1, 1, ?, 'HA')"));
        q.addBindValue(id);
        q.addBindValue(address);
        check(q, QStringLiteral("Roles"));
    }
}

void SyncSite::addContact(const QString& ssn, int type, const QString& number)
{
    static int contactId = 1;
    QSqlQuery q(q7Writer_);
    q.prepare(QStringLiteral("INSERT INTO Contact_Details VALUES (?, ?, 1, 1, ?, ?)"));
    q.addBindValue(contactId++);
    q.addBindValue(personIds_.at(ssn));
    q.addBindValue(type);
    q.addBindValue(number);
    check(q, QStringLiteral("Contact_Details"));
}

void SyncSite::addKunder(int patientnr, const QString& personnr, const QVariantMap& fields)
{
    QStringList columns{QStringLiteral("PATIENTNR"), QStringLiteral("PERSONNR")};
    QStringList marks{QStringLiteral("?"), QStringLiteral("?")};
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        columns << it.key();
        marks << QStringLiteral("?");
    }
    QSqlQuery q(journal);
    q.prepare(QStringLiteral("INSERT INTO KUNDER (%1) VALUES (%2)").arg(columns.join(u','), marks.join(u',')));
    q.addBindValue(patientnr);
    q.addBindValue(personnr);
    for (const QVariant& v : fields)
        q.addBindValue(v);
    check(q, QStringLiteral("KUNDER"));
}

QVariantMap SyncSite::kunder(const QString& personnr)
{
    QSqlQuery q(journal);
    q.prepare(QStringLiteral("SELECT * FROM KUNDER WHERE PERSONNR = ?"));
    q.addBindValue(personnr);
    check(q, QStringLiteral("read KUNDER"));
    QVariantMap row;
    if (q.next())
        for (int i = 0; i < q.record().count(); ++i)
            row.insert(q.record().fieldName(i).toUpper(), q.value(i));
    return row;
}

int SyncSite::kunderCount() { return dbtest::CountRows(journal, QStringLiteral("SELECT COUNT(*) FROM KUNDER")); }

app::PersonSyncContext SyncSite::context()
{
    app::PersonSyncContext c;
    c.journal = journal;
    c.q7 = q7;
    c.counters = counters.get();
    c.batchLog = [this](const QString& line) { log << line; };
    c.markError = [this] { ++errors; };
    return c;
}

} // namespace synctest
