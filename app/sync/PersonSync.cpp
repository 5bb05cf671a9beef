#include "PersonSync.h"

#include "app/database/CounterTable.h"
#include "toolkit/Dialogs.h"
#include "toolkit/db/SqlConnections.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

#include <set>

namespace app {

namespace {

struct SyncError {
    QString text;
};

const QString kPersonSql = QStringLiteral(
    "SELECT Patient.Person_ID, Patient.DateOfBirth, Patient.Gender, Patient.SSN,\n"
    "Person.Title, Person.Forename1, Person.Surname, Address.Line1, Address.Line2,\n"
    "Address.Line3, Address.Line4, Address.Town, Address.PostCode, Address.Telephone  \n"
    "FROM Patient, Person, Address, Roles\n"
    "WHERE Patient.Person_ID = Person.Person_ID\n"
    "AND Patient.Clinic_ID = Person.Clinic_ID\n"
    "AND Patient.Area_ID = Person.Area_ID\n"
    "AND Person.Person_ID = Roles.Person_ID\n"
    "AND Person.Clinic_ID = Roles.Clinic_ID\n"
    "AND Person.Area_ID = Roles.Area_ID\n"
    "AND Address.Address_ID = Roles.Address_ID\n"
    "AND Patient.SSN =:personnr\n"
    "AND Roles.Type = 'HA'\n"
    "AND Address.EndDate IS NULL");
const QString kContactsSql = QStringLiteral(
    "SELECT Contact_Details.* FROM Contact_Details, Patient\n"
    "WHERE Patient.Person_ID = Contact_Details.Person_ID\n"
    "AND Patient.Area_ID = Contact_Details.Area_ID\n"
    "AND Patient.Clinic_ID = Contact_Details.Clinic_ID\n"
    "AND Patient.SSN =:personnr");
const QString kContactTypesSql = QStringLiteral("SELECT * FROM ContactType\nORDER BY SortOrder");
const QString kJournalSql = QStringLiteral("SELECT * FROM KUNDER\nWHERE PERSONNR =:personnr");

QSqlQuery run(const QSqlDatabase& db, const QString& sql, const QVariantMap& params = {})
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw SyncError{toolkit::ErrorText(q.lastError())};
    for (auto it = params.begin(); it != params.end(); ++it)
        q.bindValue(u':' + it.key(), it.value());
    if (!q.exec())
        throw SyncError{toolkit::ErrorText(q.lastError())};
    return q;
}

QString text(const QSqlQuery& q, const char* column)
{
    return q.value(QString::fromLatin1(column)).toString();
}

QString fieldText(const QSqlRecord& row, const QString& column)
{
    return row.value(column).toString();
}

} // namespace

struct TPersonSync::Person {
    bool found = false;
    QVariant dateOfBirth;
    QString gender, title, forename, surname, town, telephone, postcode;
    std::optional<QString> address;
};

QString JournalPostcode(const QString& q7PostCode)
{
    if (q7PostCode.size() == 5 && !q7PostCode.contains(u' '))
        return q7PostCode.left(3) + u' ' + q7PostCode.mid(3);
    return q7PostCode;
}

std::optional<QString> JournalAddress(const QString& line1, const QString& line2,
                                      const QString& line3, const QString& line4)
{
    for (const QString* line : {&line2, &line1, &line3, &line4})
        if (!line->trimmed().isEmpty())
            return *line;
    return std::nullopt;
}

QString JournalGender(const QString& q7Gender)
{
    return q7Gender.toUpper() == u"F" ? QStringLiteral("K") : QStringLiteral("M");
}

QString DefaultContactColumn(int type)
{
    switch (type) {
    case 1: return QStringLiteral("TEL1NOT");
    case 3: return QStringLiteral("TEL2");
    case 6: return QStringLiteral("EMAIL");
    default: return {};
    }
}

TPersonSync::TPersonSync(PersonSyncContext context) : ctx_(std::move(context)) {}

std::optional<int> TPersonSync::columnSize(const QString& column)
{
    const QString key = column.toUpper();
    auto it = sizes_.find(key);
    if (it == sizes_.end())
        it = sizes_.emplace(key, toolkit::DeclaredTextSize(ctx_.journal, QStringLiteral("KUNDER"), column)).first;
    return it->second;
}

bool TPersonSync::CompareField(const QSqlField& field, const QString& q7Text)
{
    const QString stored = field.value().toString();
    if (stored == q7Text)
        return false;
    const QString column = field.name().toUpper(); // PostgreSQL reports lower case
    const QString lead = toolkit::Translate(QStringLiteral("Datasträngen från Q7: ")) + q7Text + u'\r';
    const QString differs = lead + toolkit::Translate(QStringLiteral("skiljer sig från Orvanas databas: ")) +
                            column + u'=' + stored;
    const std::optional<int> size = columnSize(column);
    bool result = true;
    QString balloon = differs;
    // A text too long for the column is stored cut; its cut copy counts as
    // equal. A cut copy is the text's beginning: an empty field, or a word
    // found somewhere inside ("Berg" in "Karlberg"), is no copy and differs.
    if (size && toolkit::ColumnTextLength(q7Text, toolkit::DialectOf(ctx_.journal)) > *size) {
        result = stored.isEmpty() || !q7Text.toUpper().startsWith(stored.toUpper());
        balloon = result ? differs + u'\r' + toolkit::Translate(QStringLiteral("Och fältlängden är för liten ")) +
                               QString::number(*size)
                         : lead + toolkit::Translate(QStringLiteral("får inte plats i fältet ")) + column +
                               toolkit::Translate(QStringLiteral(" i Orvanas databas!")) + u'\r' +
                               toolkit::Translate(QStringLiteral("Fältlängd för ")) + column + u'=' +
                               QString::number(*size);
    }
    if (ctx_.showBalloons)
        toolkit::ShowBalloonHint(balloon, ctx_.balloonAnchor);
    return result;
}

TPersonSync::Person TPersonSync::readPerson(const QString& plain)
{
    QSqlQuery q = run(ctx_.q7, kPersonSql, {{QStringLiteral("personnr"), plain}});
    Person p;
    if (!q.next())
        return p;
    p.found = true;
    p.dateOfBirth = q.value(QStringLiteral("DateOfBirth"));
    p.gender = text(q, "Gender");
    p.title = text(q, "Title");
    p.forename = text(q, "Forename1");
    p.surname = text(q, "Surname");
    p.town = text(q, "Town");
    p.telephone = text(q, "Telephone");
    p.postcode = JournalPostcode(text(q, "PostCode"));
    p.address = JournalAddress(text(q, "Line1"), text(q, "Line2"), text(q, "Line3"), text(q, "Line4"));
    return p;
}

std::vector<TPersonSync::Contact> TPersonSync::readContacts(const QString& plain)
{
    QSqlQuery q = run(ctx_.q7, kContactsSql, {{QStringLiteral("personnr"), plain}});
    std::vector<Contact> contacts;
    while (q.next())
        contacts.push_back({q.value(QStringLiteral("Type_ID")).toInt(), text(q, "Number")});
    return contacts;
}

void TPersonSync::loadContactTypes()
{
    if (contactTypes_)
        return;
    QSqlQuery q = run(ctx_.q7, kContactTypesSql);
    contactTypes_.emplace();
    while (q.next())
        contactTypes_->emplace(q.value(QStringLiteral("Type_ID")).toInt(), text(q, "Description"));
}

QString TPersonSync::contactColumn(int type, const QSqlRecord& kunder)
{
    auto it = contactColumns_.find(type);
    if (it == contactColumns_.end()) {
        // What the system register saves comes first, then the older table,
        // then the built-in mapping.
        QString column = ctx_.counters ? ctx_.counters->GetDataText2(kContactTypesTable, type) : QString();
        if (column.isEmpty() && ctx_.counters)
            column = ctx_.counters->GetDataText2(kOldContactTypesTable, type);
        if (column.isEmpty())
            column = DefaultContactColumn(type);
        it = contactColumns_.emplace(type, column.trimmed()).first;
    }
    const int index = it->second.isEmpty() ? -1 : kunder.indexOf(it->second);
    return index < 0 ? QString() : kunder.fieldName(index);
}

bool TPersonSync::contactsDiffer(const std::vector<Contact>& contacts, const QSqlRecord& row)
{
    const QString notes = fieldText(row, QStringLiteral("NOTERINGAR")).trimmed().toUpper();
    std::set<int> used;
    for (const Contact& c : contacts) {
        const QString column = contactColumn(c.type, row);
        if (column.isEmpty())
            continue;
        if (used.insert(c.type).second) {
            if (CompareField(row.field(column), c.number))
                return true;
        } else if (!c.number.trimmed().isEmpty() && !notes.contains(c.number.toUpper())) {
            return true;
        }
    }
    return false;
}

bool TPersonSync::fieldsDiffer(const Person& p, const QSqlRecord& row)
{
    const auto differs = [&](const char* column, const QString& q7) {
        return CompareField(row.field(QString::fromLatin1(column)), q7);
    };
    return differs("F_RNAMN", p.forename) || differs("EFTERNAMN", p.surname) ||
           differs("ORT", p.town) ||
           (!p.telephone.trimmed().isEmpty() && differs("TEL1", p.telephone)) ||
           differs("ADRESS", p.address.value_or(QString())) || differs("TITEL", p.title) ||
           differs("POSTNR", p.postcode);
}

void TPersonSync::setText(QSqlRecord& row, const QString& column, const QString& value)
{
    if (row.indexOf(column) < 0)
        return;
    // Cut here rather than leave it to the engine, which may refuse the
    // row or keep the whole text: the stored text is then the cut copy
    // that CompareField counts as equal.
    const std::optional<int> size = columnSize(column);
    row.setValue(column, size ? toolkit::CutToColumnSize(value, *size, toolkit::DialectOf(ctx_.journal)) : value);
}

void TPersonSync::setPersonFields(const Person& p, QSqlRecord& row, bool isNew)
{
    setText(row, QStringLiteral("F_RNAMN"), p.forename);
    setText(row, QStringLiteral("EFTERNAMN"), p.surname);
    const QDateTime born = p.dateOfBirth.toDateTime();
    row.setValue(QStringLiteral("FODELSEDAG"), born.isValid() ? QVariant(born) : QVariant());
    setText(row, QStringLiteral("KON"), JournalGender(p.gender));
    if (p.address || !isNew)
        setText(row, QStringLiteral("ADRESS"), p.address.value_or(QString()));
    setText(row, QStringLiteral("ORT"), p.town);
    setText(row, QStringLiteral("POSTNR"), p.postcode);
    if (isNew || !p.telephone.trimmed().isEmpty())
        setText(row, QStringLiteral("TEL1"), p.telephone);
    setText(row, QStringLiteral("TITEL"), p.title);
}

void TPersonSync::setContactFields(const std::vector<Contact>& contacts, QSqlRecord& row)
{
    loadContactTypes();
    QString notes = fieldText(row, QStringLiteral("NOTERINGAR")).trimmed();
    std::set<int> used;
    for (const Contact& c : contacts) {
        const QString column = contactColumn(c.type, row);
        if (column.isEmpty())
            continue;
        if (used.insert(c.type).second) {
            setText(row, column, c.number);
        } else if (!c.number.trimmed().isEmpty() && !notes.toUpper().contains(c.number.toUpper())) {
            const auto type = contactTypes_->find(c.type);
            notes += u'\r' + (type == contactTypes_->end() ? QString() : type->second) + QStringLiteral(": ") + c.number;
        }
    }
    setText(row, QStringLiteral("NOTERINGAR"), notes.trimmed());
}

void TPersonSync::write(const QSqlRecord& row, const QSqlRecord& before, bool isNew)
{
    QStringList columns, targets;
    QVariantMap params;
    for (int i = 0; i < row.count(); ++i) {
        const bool changed = isNew ? row.isGenerated(i) && !row.isNull(i)
                                   : row.value(i) != before.value(i) || row.isNull(i) != before.isNull(i);
        if (!changed)
            continue;
        columns << row.fieldName(i);
        targets << QStringLiteral(":v%1").arg(i);
        params.insert(QStringLiteral("v%1").arg(i), row.value(i));
    }
    if (columns.isEmpty())
        return;
    QString sql;
    if (isNew) {
        sql = QStringLiteral("INSERT INTO KUNDER (") + columns.join(u", ") + QStringLiteral(") VALUES (") +
              targets.join(u", ") + u')';
    } else {
        QStringList sets;
        for (qsizetype i = 0; i < columns.size(); ++i)
            sets << columns[i] + QStringLiteral(" = ") + targets[i];
        sql = QStringLiteral("UPDATE KUNDER SET ") + sets.join(u", ") +
              QStringLiteral(" WHERE PATIENTNR = :patientnr");
        params.insert(QStringLiteral("patientnr"), before.value(QStringLiteral("PATIENTNR")));
    }
    QString error;
    if (!toolkit::InTransaction(ctx_.journal) && !toolkit::BeginTransaction(ctx_.journal, &error, true))
        throw SyncError{error};
    run(ctx_.journal, sql, params);
    if (!toolkit::CommitTransaction(ctx_.journal, &error))
        throw SyncError{error};
}

void TPersonSync::report(const QString& message, bool quiet)
{
    if (quiet) {
        if (ctx_.batchLog)
            ctx_.batchLog(message);
    } else {
        toolkit::ShowInfo(message);
    }
}

int TPersonSync::sync(const QString& plain, const QString& hyphenated, bool quiet)
{
    const Person person = readPerson(plain);
    if (!person.found) {
        report(toolkit::Translate(QStringLiteral("Ingen patient med personnumret ")) + plain +
                   toolkit::Translate(QStringLiteral(" i Q7:s databas")),
               quiet);
        return 0;
    }
    const std::vector<Contact> contacts = readContacts(plain);
    const QVariantMap byNumber{{QStringLiteral("personnr"), hyphenated}};
    QSqlQuery journal = run(ctx_.journal, kJournalSql, byNumber);

    if (!journal.next()) {
        journal.finish();
        // The journal must hold no read lock while the counter connection
        // writes the running number.
        QString error;
        if (toolkit::InTransaction(ctx_.journal) && !toolkit::CommitTransaction(ctx_.journal, &error))
            throw SyncError{error};
        const int patientnr = ctx_.counters ? ctx_.counters->increaseCounterField(
                                                  QStringLiteral("Kunder"), QStringLiteral("patientnr"))
                                            : -1;
        if (patientnr < 0)
            throw SyncError{toolkit::Translate(
                QStringLiteral("Det gick inte att tilldela patienten ett nytt patientnummer."))};
        if (!toolkit::BeginTransaction(ctx_.journal, &error, true))
            throw SyncError{error};
        // Another workstation may have created the patient meanwhile.
        QSqlQuery again = run(ctx_.journal, kJournalSql, byNumber);
        if (again.next()) {
            const int existing = again.value(QStringLiteral("PATIENTNR")).toInt();
            again.finish();
            toolkit::RollbackTransaction(ctx_.journal);
            return existing;
        }
        // The query's own columns: the driver's table description may miss
        // the table under another letter case.
        QSqlRecord row = again.record();
        again.finish();
        row.clearValues();
        row.setValue(QStringLiteral("PATIENTNR"), patientnr);
        row.setValue(QStringLiteral("PERSONNR"), hyphenated);
        setPersonFields(person, row, true);
        if (ctx_.useContactTypes)
            setContactFields(contacts, row);
        write(row, QSqlRecord(), true);
        return patientnr;
    }

    const QSqlRecord before = journal.record();
    journal.finish();
    const int patientnr = before.value(QStringLiteral("PATIENTNR")).toInt();
    // Both runs go to the end of their own chain, so each shows its balloons.
    const bool contactDiff = ctx_.useContactTypes && contactsDiffer(contacts, before);
    const bool fieldDiff = fieldsDiffer(person, before);
    if (!contactDiff && !fieldDiff) {
        if (quiet && ctx_.batchLog)
            ctx_.batchLog(toolkit::Translate(QStringLiteral("Ingen förändring på ")) + hyphenated);
        return patientnr;
    }
    if (!quiet && ctx_.askBeforeUpdate &&
        toolkit::AskYesNo(toolkit::Translate(QStringLiteral(
            "Patientens adressuppgifter har ändrats!\r\rVill du uppdatera Orvanas databas med uppgifter från Q7?")),
                          toolkit::DefaultAnswer::No) !=
            toolkit::mrYes) {
        toolkit::RollbackTransaction(ctx_.journal);
        return patientnr;
    }
    QSqlRecord row = before;
    setPersonFields(person, row, false);
    if (ctx_.useContactTypes)
        setContactFields(contacts, row);
    write(row, before, false);
    if (quiet && ctx_.batchLog)
        ctx_.batchLog(toolkit::Translate(QStringLiteral("Uppdaterat ")) + hyphenated);
    return patientnr;
}

int TPersonSync::AddOrEditPersonFromQ7ToHalden32(const QString& personnr, bool quiet)
{
    QString plain = personnr;
    if (const qsizetype dash = plain.indexOf(u'-'); dash >= 0)
        plain.remove(dash, 1);
    QString hyphenated = personnr;
    if (!hyphenated.contains(u'-') && hyphenated.size() >= 4)
        hyphenated.insert(hyphenated.size() - 4, u'-');

    int result = -1;
    try {
        QString error;
        if (!toolkit::InTransaction(ctx_.q7) && !toolkit::BeginTransaction(ctx_.q7, &error))
            throw SyncError{error};
        result = sync(plain, hyphenated, quiet);
    } catch (const SyncError& e) {
        // Nothing of this call stays half-done in the journal.
        toolkit::RollbackTransaction(ctx_.journal);
        if (ctx_.markError)
            ctx_.markError();
        report(toolkit::Translate(QStringLiteral("Det gick inte att hämta personuppgifter från Q7!")) +
                   QStringLiteral("\r\r") + e.text,
               quiet);
    }
    toolkit::RollbackTransaction(ctx_.q7);
    return result;
}

} // namespace app
