#pragma once
// The patient lookup's read-only queries on the journal connection. Each
// returns nothing, with the driver's error text in *error, when it fails.

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

namespace app {

struct PatientRow {
    QString personnr, firstName, lastName;
    int patientnr = 0;
};

// Rows of KUNDER whose PERSONNR is LIKE the pattern ("%" + number + "%").
std::optional<std::vector<PatientRow>> QueryPatients(QSqlDatabase db, const QString& pattern,
                                                      QString* error);

enum class LockState { Normal, Locked, Unlocked };

// The lock rule on the first row of the lock query: PATLOCKED "T" is locked
// unless this clinic has an unlock row that has not ended.
LockState LockStateOf(const QString& patlocked, bool kliniknrIsNull,
                      const std::optional<QDateTime>& slutdatum, const QDateTime& now);
std::optional<LockState> QueryLockState(QSqlDatabase db, int patientnr, int kliniknr,
                                        const QDateTime& now, QString* error);

std::optional<int> QueryImageCount(QSqlDatabase db, int patientnr, QString* error);

struct PictureRow {
    int lopnr = 0;
    QDate datum;
    QString bildnamn, bildkatdir;
    int bildflik = 0;
};
std::optional<std::vector<PictureRow>> QueryCategoryImages(QSqlDatabase db, int patientnr, int bildflik,
                                                           QString* error);

} // namespace app
