#include "ConnectionString.h"

namespace toolkit {

QString ConnectionValue(const QString& connectionString, const QString& key)
{
    const qsizetype at = connectionString.indexOf(key);
    if (at < 0)
        return {};
    const qsizetype start = at + key.size();
    const qsizetype end = connectionString.indexOf(u';', start);
    return connectionString.mid(start, end < 0 ? -1 : end - start);
}

QString SetConnectionValue(const QString& connectionString, const QString& key,
                           const QString& value)
{
    const qsizetype at = connectionString.indexOf(key);
    if (at < 0)
        return value.isEmpty() ? connectionString : connectionString + u';' + key + value;
    const qsizetype start = at + key.size();
    qsizetype end = connectionString.indexOf(u';', start);
    if (end < 0)
        end = connectionString.size();
    QString result = connectionString;
    return result.replace(start, end - start, value);
}

TDBConnection ParseDBConnection(const QString& connectionString)
{
    return {ConnectionValue(connectionString, QStringLiteral("Initial Catalog=")),
            ConnectionValue(connectionString, QStringLiteral("Data Source=")),
            ConnectionValue(connectionString, QStringLiteral("User ID=")),
            ConnectionValue(connectionString, QStringLiteral("Password="))};
}

QString ProviderName(const QString& connectionString)
{
    const qsizetype at = connectionString.indexOf(QStringLiteral("PROVIDER="), 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const qsizetype start = at + 9;
    const qsizetype end = connectionString.indexOf(u';', start);
    return connectionString.mid(start, end < 0 ? -1 : end - start).trimmed();
}

bool UsesIntegratedSecurity(const QString& connectionString)
{
    return connectionString.contains(QStringLiteral("INTEGRATED SECURITY=SSPI"), Qt::CaseInsensitive);
}

} // namespace toolkit
