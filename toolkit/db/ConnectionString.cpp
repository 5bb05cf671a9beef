#include "ConnectionString.h"

#include <optional>

namespace toolkit {

namespace {

bool isQuote(QChar c) { return c == u'"' || c == u'\''; }

// End of the value that starts at `start`: past the closing quote of a quoted
// value (a doubled quote inside stands for one), else the next ";" or the end.
qsizetype valueEnd(const QString& s, qsizetype start)
{
    if (start < s.size() && isQuote(s[start])) {
        const QChar quote = s[start];
        for (qsizetype i = start + 1; i < s.size(); ++i) {
            if (s[i] != quote)
                continue;
            if (i + 1 < s.size() && s[i + 1] == quote)
                ++i;
            else
                return i + 1;
        }
        return s.size();
    }
    const qsizetype end = s.indexOf(u';', start);
    return end < 0 ? s.size() : end;
}

struct Pair {
    qsizetype key, value, end; // key starts at `key`; its value runs from `value` to `end`
};

// The pair whose key (with its "=") is `key`, found where pairs start, so
// that text inside a value is never taken for a key.
std::optional<Pair> findPair(const QString& s, const QString& key, Qt::CaseSensitivity cs)
{
    qsizetype pos = 0;
    while (pos < s.size()) {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
        const qsizetype semicolon = s.indexOf(u';', pos), equals = s.indexOf(u'=', pos);
        if (equals < 0)
            return std::nullopt;
        if (semicolon >= 0 && semicolon < equals) { // a part without a key
            pos = semicolon + 1;
            continue;
        }
        const Pair pair{pos, equals + 1, valueEnd(s, equals + 1)};
        if (QStringView(s).mid(pos, pair.value - pos).compare(key, cs) == 0)
            return pair;
        const qsizetype next = s.indexOf(u';', pair.end);
        if (next < 0)
            return std::nullopt;
        pos = next + 1;
    }
    return std::nullopt;
}

QString unquoted(const QString& raw)
{
    if (raw.size() >= 2 && isQuote(raw.front()) && raw.back() == raw.front()) {
        const QString quote(raw.front());
        return raw.mid(1, raw.size() - 2).replace(quote + quote, quote);
    }
    return raw;
}

} // namespace

QString QuoteConnectionValue(const QString& value)
{
    if (!value.contains(u';') && !(value.size() > 0 && isQuote(value.front())))
        return value;
    return u'"' + QString(value).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString ConnectionValue(const QString& connectionString, const QString& key)
{
    const auto pair = findPair(connectionString, key, Qt::CaseSensitive);
    return pair ? unquoted(connectionString.mid(pair->value, pair->end - pair->value)) : QString();
}

QString SetConnectionValue(const QString& connectionString, const QString& key,
                           const QString& value)
{
    const QString quoted = QuoteConnectionValue(value);
    const auto pair = findPair(connectionString, key, Qt::CaseSensitive);
    if (!pair)
        return value.isEmpty() ? connectionString : connectionString + u';' + key + quoted;
    QString result = connectionString;
    return result.replace(pair->value, pair->end - pair->value, quoted);
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
    const auto pair = findPair(connectionString, QStringLiteral("PROVIDER="), Qt::CaseInsensitive);
    return pair ? unquoted(connectionString.mid(pair->value, pair->end - pair->value)).trimmed() : QString();
}

bool UsesIntegratedSecurity(const QString& connectionString)
{
    const auto pair = findPair(connectionString, QStringLiteral("INTEGRATED SECURITY="), Qt::CaseInsensitive);
    return pair && unquoted(connectionString.mid(pair->value, pair->end - pair->value)).trimmed()
                       .compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0;
}

} // namespace toolkit
