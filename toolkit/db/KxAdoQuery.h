#pragma once
// The system's SQL query: SQL text as a list of lines, named parameters
// (":patientnr"), and a reopen mark for RestartTransaction. Every live query
// is known, in creation order, so a connection's queries can be visited.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace toolkit {

class TKxAdoQuery {
public:
    explicit TKxAdoQuery(const QSqlDatabase& connection, bool editable = false);
    ~TKxAdoQuery();
    TKxAdoQuery(const TKxAdoQuery&) = delete;
    TKxAdoQuery& operator=(const TKxAdoQuery&) = delete;

    QStringList SQL;     // joined with line breaks when opened
    int Tag = 0;         // 1 = reopen after RestartTransaction
    void setParameter(const QString& name, const QVariant& value); // name without ':'

    // Runs the SQL with the parameters; false with the error text in *error.
    bool open(QString* error = nullptr);
    void close();
    bool isOpen() const { return open_; }
    bool editable() const { return editable_; }
    QSqlQuery& query() { return query_; }
    QSqlDatabase connection() const { return connection_; }

    static const std::vector<TKxAdoQuery*>& all();

private:
    QSqlDatabase connection_;
    QSqlQuery query_;
    QVariantMap parameters_;
    bool editable_;
    bool open_ = false;
};

// The shared query on the journal connection; the floater creates it at
// start-up and frees it at shutdown.
TKxAdoQuery*& DefaultQuery();

// A new query on DefaultQuery's connection, inside a transaction, owned by the
// caller; none after an error message.
TKxAdoQuery* OpenQuery(const QString& sql, bool editable);

// Closes the connection's queries, rolls back and begins anew, then reopens
// the queries that were open and carry the reopen mark. Returns how many were open.
int RestartTransaction(QSqlDatabase& connection);

} // namespace toolkit
