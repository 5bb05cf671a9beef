#include "JournalConnection.h"

#include "DataProvidersDialog.h"
#include "SettingsCipher.h"
#include "SqlConnections.h"
#include "toolkit/Dialogs.h"
#include "toolkit/core/Settings.h"
#include "toolkit/core/ToolkitPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringConverter>

namespace toolkit {

QString& DataProviderFile()
{
    static QString value;
    return value;
}

QString DataLinksDir() { return QString::fromStdString(Paths().DataLinksDir); }

QString& JournalConnectionString()
{
    static QString value;
    return value;
}

TDBConnection& DBConnection()
{
    static TDBConnection value;
    return value;
}

QString& FallbackLoginReason()
{
    static QString value;
    return value;
}

namespace {

DataProviderChooser& chooser()
{
    static DataProviderChooser value;
    return value;
}

QString decodeText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff"))
        return QStringDecoder(QStringConverter::Utf16)(bytes);
    // UTF-16 written without a byte-order mark still has a zero in every
    // other byte of plain text: the odd ones little-endian, the even ones big.
    if (bytes.size() >= 4 && bytes[1] == '\0' && bytes[3] == '\0')
        return QStringDecoder(QStringConverter::Utf16LE)(bytes);
    if (bytes.size() >= 4 && bytes[0] == '\0' && bytes[2] == '\0')
        return QStringDecoder(QStringConverter::Utf16BE)(bytes);
    return QStringDecoder(QStringConverter::Utf8)(bytes);
}

std::optional<QString> iniValue(const QString& text, const QString& section, const QString& key)
{
    bool inSection = false;
    for (const QString& raw : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")))) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inSection = line.endsWith(u']')
                        && line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (inSection && !line.startsWith(u';') && eq > 0
            && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return std::nullopt;
}

std::string std8(const QString& s) { return s.toStdString(); }

// A SQLite journal must be there already: opening would otherwise make an
// empty database at the path. The reason, naming the file, when it is not
// a database.
std::optional<QString> unusableSqliteJournal(const QString& connectionString)
{
    if (ProviderName(connectionString).compare(QLatin1String("SQLite"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString path = ConnectionValue(connectionString, QStringLiteral("Data Source="));
    QFile file(path);
    const auto reason = [&](const char* text) {
        return Translate(QString::fromUtf8(text)).arg(u'"' + path + u'"');
    };
    if (!QFileInfo(path).isFile())
        return reason("Journaldatabasen %1 finns inte.");
    if (!file.open(QIODevice::ReadOnly))
        return reason("Journaldatabasen %1 kan inte läsas.") + u' ' + file.errorString();
    if (file.size() == 0)
        return reason("Journaldatabasen %1 är tom.");
    if (file.read(16) != QByteArray("SQLite format 3", 16))
        return reason("Journaldatabasen %1 är ingen SQLite-databas.");
    return std::nullopt;
}

// Step 1 of BuildConnectionString: find a data-provider file and read it.
bool startFromDataProviderFile(QString* error)
{
    QString& file = DataProviderFile();
    if (!file.isEmpty() && !QFileInfo::exists(file) && QFileInfo::exists(DataLinksDir() + file))
        file = DataLinksDir() + file;
    if (!QFileInfo(file).isFile()) {
        const QStringList udl = QDir(DataLinksDir()).entryList({QStringLiteral("*.udl")}, QDir::Files);
        if (udl.size() == 1) {
            file = QDir(DataLinksDir()).absoluteFilePath(udl.front());
            WriteSetting("DataProvider", "DefaultDataProvider", std8(file));
        }
    }
    if (!QFileInfo(file).isFile()) {
        // Only a named file that is missing is worth a warning; with nothing
        // named (a first start) the choice comes at once.
        if (!file.isEmpty())
            ShowWarning(Translate(QStringLiteral("Kunde inte hitta den angivna DataProvider-filen "))
                        + u'"' + file + QStringLiteral("\"!\r")
                        + Translate(QStringLiteral("Kontrollera att filen finns i den aktuella katalogen och försök igen!"))
                        + QStringLiteral("\r\r") + Translate(QStringLiteral("Välj databasanslutning i nästa dialog")));
        const DataProviderChooser& choose = chooser();
        file = DataLinksDir() + (choose ? choose : OpenDataProviderDialog)(QStringLiteral("DefaultDataProvider"));
        // A cancelled choice leaves no file: the provider then reads as empty
        // and opening the connection fails with its own message.
        if (!QFileInfo(file).isFile()) {
            JournalConnectionString() = QStringLiteral("Provider=");
            return true;
        }
    }
    const auto value = ReadDataProviderValue(file, error);
    if (!value)
        return false;
    JournalConnectionString() = QStringLiteral("Provider=") + *value;
    return true;
}

// Step 3: the installation's login from TERVALENUSER, read over a temporary
// connection; false, with the reason in *failure, when it cannot be read.
bool readLoginTable(const QString& userName, const QString& password, QString* failure)
{
    const QString provider = ProviderName(JournalConnectionString());
    const TDBConnection& c = DBConnection();
    const QString tail = QStringLiteral(";Initial Catalog=") + QuoteConnectionValue(c.Databasename)
                         + QStringLiteral(";Data Source=") + QuoteConnectionValue(c.ServerName);
    const QString name = QStringLiteral("tq7-login-lookup");
    bool ok = false;
    {
        QString error;
        QSqlDatabase db;
        for (const QString& login :
             {QStringLiteral(";Integrated Security=SSPI;Persist Security Info=False"),
              QStringLiteral(";Password=") + QuoteConnectionValue(password)
                  + QStringLiteral(";Persist Security Info=True;User ID=") + QuoteConnectionValue(userName)}) {
            db = QSqlDatabase(); // the handle must be gone before the connection is replaced
            db = OpenConnection(name, QStringLiteral("Provider=") + provider + login + tail, &error);
            if (db.isOpen())
                break;
        }
        if (db.isOpen() && BeginTransaction(db, &error)) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT * FROM TERVALENUSER"))) {
                error = ErrorText(q);
            } else if (!q.next()) {
                error = Translate(QStringLiteral("Tabellen TERVALENUSER är tom"));
            } else {
                const SettingsCipher cipher;
                const auto user = cipher.decrypt(q.value(QStringLiteral("KXUSERNAME")).toString());
                const auto pass = cipher.decrypt(q.value(QStringLiteral("KXPASSWORD")).toString());
                if (user && pass) {
                    DBConnection().Username = *user;
                    DBConnection().Password = *pass;
                    ok = true;
                } else {
                    error = Translate(QStringLiteral("Inloggningen i TERVALENUSER kan inte avkrypteras"));
                }
            }
            q.finish();
            RollbackTransaction(db);
        }
        if (!ok && failure)
            *failure = error;
    }
    RemoveConnection(name);
    return ok;
}

} // namespace

std::optional<QString> ReadDataProviderValue(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const auto value = iniValue(decodeText(file.readAll()), QStringLiteral("oledb"), QStringLiteral("Provider"));
    if (!value) {
        if (error)
            *error = QStringLiteral("%1 saknar värdet Provider i avsnittet [oledb]").arg(path);
        return std::nullopt;
    }
    return value->left(254);
}

void ChooseDataProviderFile(const QStringList& arguments, const QString& programDir)
{
    // An absent setting names no file: "ERROR" is no file name.
    const std::string setting = ReadSetting("DataProvider", "DefaultDataProvider");
    QString file = setting == kAbsent ? QString() : QString::fromStdString(setting);
    if (!file.isEmpty() && !QFileInfo::exists(file))
        file = DataLinksDir() + file;
    for (const QString& arg : arguments) {
        if (!arg.contains(QStringLiteral(".UDL"), Qt::CaseInsensitive))
            continue;
        for (const QString& candidate : {arg, programDir + arg, DataLinksDir() + arg}) {
            if (QFileInfo::exists(candidate)) {
                file = candidate;
                break;
            }
        }
    }
    DataProviderFile() = file;
    JournalConnectionString().clear();
    if (QFileInfo::exists(file)) {
        if (const auto value = ReadDataProviderValue(file, nullptr))
            JournalConnectionString() = QStringLiteral("Provider=") + *value;
    }
}

void SetDataProviderChooser(DataProviderChooser c) { chooser() = std::move(c); }

bool BuildConnectionString(const QString& userName, const QString& password)
{
    FallbackLoginReason().clear();
    QString error;
    if (!JournalConnectionString().contains(QStringLiteral("PROVIDER="), Qt::CaseInsensitive)
        && !startFromDataProviderFile(&error)) {
        ShowError(Translate(QStringLiteral("Det gick inte att hämta användarnamn och lösenord till databasen!"))
                  + QStringLiteral("\r\r") + error);
        return false;
    }
    QString& s = JournalConnectionString();
    if (const auto unusable = unusableSqliteJournal(s)) {
        ShowError(*unusable);
        return false;
    }
    DBConnection() = ParseDBConnection(s);
    if (UsesIntegratedSecurity(s))
        return true;
    TDBConnection& c = DBConnection();
    if ((c.Username.trimmed().isEmpty() || c.Password.trimmed().isEmpty())
        && !readLoginTable(userName, password, &FallbackLoginReason())) {
        c.Username = QString::fromLatin1(kFallbackUserName);
        c.Password = QString::fromLatin1(kFallbackPassword);
    }
    s = SetConnectionValue(s, QStringLiteral("Persist Security Info="), QStringLiteral("True"));
    s = SetConnectionValue(s, QStringLiteral("Initial Catalog="), c.Databasename);
    s = SetConnectionValue(s, QStringLiteral("Data Source="), c.ServerName);
    s = SetConnectionValue(s, QStringLiteral("User ID="), c.Username);
    s = SetConnectionValue(s, QStringLiteral("Password="), c.Password);
    return true;
}

} // namespace toolkit
