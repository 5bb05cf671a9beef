#pragma once
// Texts of the journal connection string: "Provider=<name>;Key=value;...".
// Keys are matched with letter case as written, the way the site's
// data-provider files write them, and only where a pair starts: a value may
// be quoted with " or ' and then hold ";" or text that looks like a key.

#include <QString>

namespace toolkit {

// The four parts of the journal connection string that messages show.
struct TDBConnection {
    QString Databasename; // "Initial Catalog="
    QString ServerName;   // "Data Source="
    QString Username;     // "User ID="
    QString Password;     // "Password="
};

// The value of the first pair with that key (e.g. "User ID="); empty when the
// key is missing. A quoted value may hold ";" (a doubled quote inside stands
// for one), so that a password with a semicolon survives the trip.
QString ConnectionValue(const QString& connectionString, const QString& key);
// Replaces the value of the key's pair, keeping the rest; an absent
// key gets ";" + key + value appended unless value is empty.
QString SetConnectionValue(const QString& connectionString, const QString& key,
                           const QString& value);
// The value as it must stand in a connection string: quoted when it holds a
// ";" or starts with a quote.
QString QuoteConnectionValue(const QString& value);
TDBConnection ParseDBConnection(const QString& connectionString);
// The provider name: the value of "Provider=" (any case).
QString ProviderName(const QString& connectionString);
// Whether "Integrated Security" (any case) is "SSPI".
bool UsesIntegratedSecurity(const QString& connectionString);

} // namespace toolkit
