#pragma once
// Texts of the journal connection string: "Provider=<name>;Key=value;...".
// Keys are matched with letter case as written, the way the site's
// data-provider files write them.

#include <QString>

namespace toolkit {

// The four parts of the journal connection string that messages show.
struct TDBConnection {
    QString Databasename; // "Initial Catalog="
    QString ServerName;   // "Data Source="
    QString Username;     // "User ID="
    QString Password;     // "Password="
};

// The text after the first occurrence of key (e.g. "User ID=") up to the next
// ";" or the end; empty when the key is missing. A value in double quotes may
// hold ";" (a doubled quote inside stands for one), so that a password with
// a semicolon survives the trip through the string.
QString ConnectionValue(const QString& connectionString, const QString& key);
// Replaces the value after key up to the next ";", keeping the rest; an absent
// key gets ";" + key + value appended unless value is empty.
QString SetConnectionValue(const QString& connectionString, const QString& key,
                           const QString& value);
// The value as it must stand in a connection string: quoted when it holds a
// ";" or starts with a quote.
QString QuoteConnectionValue(const QString& value);
TDBConnection ParseDBConnection(const QString& connectionString);
// The provider name: the value of "Provider=" up to the first ";".
QString ProviderName(const QString& connectionString);
bool UsesIntegratedSecurity(const QString& connectionString);

} // namespace toolkit
