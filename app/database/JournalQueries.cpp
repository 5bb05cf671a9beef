#include "JournalQueries.h"

#include "toolkit/db/SqlConnections.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace app {

namespace {

const char* const kPatientSql =
    "SELECT PERSONNR, F_RNAMN, EFTERNAMN, PATIENTNR FROM KUNDER\n"
    "WHERE PERSONNR LIKE :personnr";

const char* const kLockSql =
    "SELECT KUNDER.PATIENTNR, UNLOCKEDKLINIKER.SLUTDATUM, UNLOCKEDKLINIKER.KLINIKNR, PATLOCKED\n"
    "FROM KUNDER LEFT JOIN UNLOCKEDKLINIKER ON KUNDER.PATIENTNR = UNLOCKEDKLINIKER.PATIENTNR AND\n"
    "UNLOCKEDKLINIKER.KLINIKNR =:kliniknr\n"
    "WHERE KUNDER.PATIENTNR =:patientnr";

const char* const kImageCountSql =
    "SELECT COUNT (DISTINCT PATBILDER.LOPNR) AS RESULT FROM\n"
    "PATBILDER, KUNDER\n"
    "WHERE KUNDER.PATIENTNR = PATBILDER.PATIENTNR\n"
    "AND KUNDER.PATIENTNR =:patientnr";

const char* const kCategorySql =
    "SELECT DISTINCT PATBILDER.LOPNR AS LOPNR, DATUM, BILDNAMN, BILDKATDIR, BILDFLIK FROM\n"
    "PATBILDER, KUNDER, PATBILDKATALOG\n"
    "WHERE KUNDER.PATIENTNR = PATBILDER.PATIENTNR\n"
    "AND KUNDER.PATIENTNR =:patientnr\n"
    "AND PATBILDER.BILDFLIK =:bildflik\n"
    "AND PATBILDER.BILDKATALOG = PATBILDKATALOG.BILDKATALOG";

// Prepares and runs one query with its named values.
bool run(QSqlQuery& q, const char* sql, std::initializer_list<std::pair<const char*, QVariant>> values,
         QString* error)
{
    q.setForwardOnly(true);
    if (!q.prepare(QString::fromLatin1(sql))) {
        *error = toolkit::ErrorText(q);
        return false;
    }
    for (const auto& [name, value] : values)
        q.bindValue(QString::fromLatin1(name), value);
    if (!q.exec()) {
        *error = toolkit::ErrorText(q);
        return false;
    }
    return true;
}

// Date and time columns arrive as text from SQLite.
std::optional<QDateTime> dateTimeOf(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    QDateTime t = v.toDateTime();
    if (!t.isValid())
        t = QDateTime::fromString(v.toString(), Qt::ISODate);
    return t.isValid() ? std::optional<QDateTime>(t) : std::nullopt;
}

} // namespace

std::optional<std::vector<PatientRow>> QueryPatients(QSqlDatabase db, const QString& pattern,
                                                      QString* error)
{
    QSqlQuery q(db);
    if (!run(q, kPatientSql, {{":personnr", pattern}}, error))
        return std::nullopt;
    std::vector<PatientRow> rows;
    while (q.next())
        rows.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toInt()});
    if (q.lastError().isValid()) {
        *error = toolkit::ErrorText(q);
        return std::nullopt;
    }
    return rows;
}

LockState LockStateOf(const QString& patlocked, bool kliniknrIsNull,
                      const std::optional<QDateTime>& slutdatum, const QDateTime& now)
{
    if (patlocked != QLatin1String("T"))
        return LockState::Normal;
    if (kliniknrIsNull || (slutdatum && now > *slutdatum))
        return LockState::Locked;
    return LockState::Unlocked;
}

std::optional<LockState> QueryLockState(QSqlDatabase db, int patientnr, int kliniknr,
                                        const QDateTime& now, QString* error)
{
    QSqlQuery q(db);
    if (!run(q, kLockSql, {{":kliniknr", kliniknr}, {":patientnr", patientnr}}, error))
        return std::nullopt;
    if (!q.next())
        return LockState::Normal;
    return LockStateOf(q.value(3).toString(), q.value(2).isNull(), dateTimeOf(q.value(1)), now);
}

std::optional<int> QueryImageCount(QSqlDatabase db, int patientnr, QString* error)
{
    QSqlQuery q(db);
    if (!run(q, kImageCountSql, {{":patientnr", patientnr}}, error))
        return std::nullopt;
    return q.next() ? q.value(0).toInt() : 0;
}

std::optional<std::vector<PictureRow>> QueryCategoryImages(QSqlDatabase db, int patientnr, int bildflik,
                                                           QString* error)
{
    QSqlQuery q(db);
    if (!run(q, kCategorySql, {{":patientnr", patientnr}, {":bildflik", bildflik}}, error))
        return std::nullopt;
    std::vector<PictureRow> rows;
    while (q.next()) {
        const QVariant datum = q.value(1);
        QDate date = datum.toDate();
        if (!date.isValid())
            date = QDate::fromString(datum.toString().left(10), Qt::ISODate);
        rows.push_back({q.value(0).toInt(), date, q.value(2).toString(), q.value(3).toString(), q.value(4).toInt()});
    }
    return rows;
}

} // namespace app
