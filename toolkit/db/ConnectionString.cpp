#include "ConnectionString.h"

namespace toolkit {

namespace {

// End of the value that starts at `start`: the closing quote of a quoted
// value, else the next ";" or the end of the string.
qsizetype valueEnd(const QString& s, qsizetype start)
{
    if (start < s.size() && s[start] == u'"') {
        for (qsizetype i = start + 1; i < s.size(); ++i) {
            if (s[i] != u'"')
                continue;
            if (i + 1 < s.size() && s[i + 1] == u'"')
                ++i; // a doubled quote stands for one
            else
                return i + 1;
        }
        return s.size();
    }
    const qsizetype end = s.indexOf(u';', start);
    return end < 0 ? s.size() : end;
}

} // namespace

QString QuoteConnectionValue(const QString& value)
{
    if (!value.contains(u';') && !value.startsWith(u'"'))
        return value;
    return u'"' + QString(value).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString ConnectionValue(const QString& connectionString, const QString& key)
{
    const qsizetype at = connectionString.indexOf(key);
    if (at < 0)
        return {};
    const qsizetype start = at + key.size();
    const QString raw = connectionString.mid(start, valueEnd(connectionString, start) - start);
    if (raw.size() >= 2 && raw.startsWith(u'"') && raw.endsWith(u'"'))
        return raw.mid(1, raw.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return raw;
}

QString SetConnectionValue(const QString& connectionString, const QString& key,
                           const QString& value)
{
    const QString quoted = QuoteConnectionValue(value);
    const qsizetype at = connectionString.indexOf(key);
    if (at < 0)
        return value.isEmpty() ? connectionString : connectionString + u';' + key + quoted;
    const qsizetype start = at + key.size();
    QString result = connectionString;
    return result.replace(start, valueEnd(connectionString, start) - start, quoted);
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
