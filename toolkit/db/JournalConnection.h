#pragma once
// The journal database's connection string: which data-provider file
// describes the site's database, and the complete string built from it.

#include "ConnectionString.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace toolkit {

// Module state, set up once at start (ChooseDataProviderFile, BuildConnectionString).
QString& DataProviderFile();
QString DataLinksDir(); // the toolkit's data-links folder, ending with "/"
QString& JournalConnectionString();
TDBConnection& DBConnection();

// Why the built-in login below stands in for the TERVALENUSER one; empty
// when it does not. Set by BuildConnectionString.
QString& FallbackLoginReason();

// Used only when the TERVALENUSER login cannot be read.
inline constexpr const char* kFallbackUserName = "kxuser";
inline constexpr const char* kFallbackPassword = "kxpw";

// The "Provider" value of section "oledb" of a data-provider file (UTF-16
// with byte-order mark, or UTF-8), at most 254 characters. Nothing, with the
// reason in *error, when the file cannot be read or lacks the value.
std::optional<QString> ReadDataProviderValue(const QString& path, QString* error);

// Chooses DataProviderFile from the "DefaultDataProvider" setting and the
// ".udl" arguments of the command line (later ones win), and starts
// JournalConnectionString from the file when it can be read.
void ChooseDataProviderFile(const QStringList& arguments, const QString& programDir);

// Asks the user for a data-provider file; returns its name (the data-provider
// dialog by default; tests replace it).
using DataProviderChooser = std::function<QString(const QString& valueName)>;
void SetDataProviderChooser(DataProviderChooser chooser); // empty restores the dialog

// Completes JournalConnectionString with the login and fills DBConnection.
// False, after an error message, when no string could be made.
bool BuildConnectionString(const QString& userName = {}, const QString& password = {});

} // namespace toolkit
