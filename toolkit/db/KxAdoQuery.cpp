#include "KxAdoQuery.h"

#include "SqlConnections.h"
#include "toolkit/Dialogs.h"

#include <QSqlError>

#include <algorithm>

namespace toolkit {

namespace {

std::vector<TKxAdoQuery*>& registry()
{
    static std::vector<TKxAdoQuery*> queries;
    return queries;
}

} // namespace

TKxAdoQuery::TKxAdoQuery(const QSqlDatabase& connection, bool editable)
    : connection_(connection), query_(connection), editable_(editable)
{
    registry().push_back(this);
}

TKxAdoQuery::~TKxAdoQuery()
{
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

void TKxAdoQuery::setParameter(const QString& name, const QVariant& value)
{
    parameters_.insert(name, value);
}

bool TKxAdoQuery::open(QString* error)
{
    close();
    query_.setForwardOnly(!editable_);
    bool ok = query_.prepare(SQL.join(u'\n'));
    if (ok) {
        for (auto it = parameters_.cbegin(); it != parameters_.cend(); ++it)
            query_.bindValue(u':' + it.key(), it.value());
        ok = query_.exec();
    }
    if (!ok && error)
        *error = ErrorText(query_.lastError());
    open_ = ok;
    return ok;
}

void TKxAdoQuery::close()
{
    query_.finish();
    open_ = false;
}

const std::vector<TKxAdoQuery*>& TKxAdoQuery::all() { return registry(); }

TKxAdoQuery*& DefaultQuery()
{
    static TKxAdoQuery* query = nullptr;
    return query;
}

TKxAdoQuery* OpenQuery(const QString& sql, bool editable)
{
    QSqlDatabase db = DefaultQuery() ? DefaultQuery()->connection() : QSqlDatabase();
    auto* q = new TKxAdoQuery(db, editable);
    q->SQL = QStringList{sql};
    QString error;
    if ((InTransaction(db) || BeginTransaction(db, &error)) && q->open(&error))
        return q;
    ShowError(Translate(QStringLiteral("Det gick inte att utföra SQL-frågan:")) + u' ' + sql
              + QStringLiteral("!\r\r") + error);
    delete q;
    return nullptr;
}

int RestartTransaction(QSqlDatabase& connection)
{
    std::vector<TKxAdoQuery*> reopen;
    int wasOpen = 0;
    for (TKxAdoQuery* q : TKxAdoQuery::all()) {
        if (q->connection().connectionName() != connection.connectionName())
            continue;
        if (q->isOpen()) {
            q->close();
            ++wasOpen;
            if (q->Tag == 1)
                reopen.push_back(q);
        } else {
            q->Tag = 0;
        }
    }
    RollbackTransaction(connection);
    QString error;
    if (!BeginTransaction(connection, &error))
        ShowError(Translate(QStringLiteral("Det gick inte att starta om transaktionen!"))
                  + QStringLiteral("\r\r") + error);
    for (TKxAdoQuery* q : reopen)
        q->open();
    return wasOpen;
}

} // namespace toolkit
