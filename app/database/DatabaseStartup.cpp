#include "DatabaseStartup.h"

#include "toolkit/Dialogs.h"
#include "toolkit/core/Settings.h"
#include "toolkit/db/ConnectionString.h"
#include "toolkit/db/JournalConnection.h"
#include "toolkit/db/KxAdoQuery.h"
#include "toolkit/db/SettingsCipher.h"
#include "toolkit/db/SqlConnections.h"

#include <QSqlQuery>

namespace app {

namespace {

const QString kQ7Section = QStringLiteral("Q7Database");
const QString kUserPlaceholder = QStringLiteral("Enter username here");
const QString kPasswordPlaceholder = QStringLiteral("Enter password here");

QString setting(const QString& name, const QString& fallback = QStringLiteral("ERROR"))
{
    return QString::fromStdString(
        toolkit::ReadSettingOrDefault(kQ7Section.toStdString(), name.toStdString(), fallback.toStdString()));
}

QString cannotConnect(const QString& target, const QString& user, const QString& error)
{
    return toolkit::Translate(QStringLiteral("Det gick inte att ansluta till databasen ")) + target
           + toolkit::Translate(QStringLiteral(" med användarnamnet ")) + user + QStringLiteral("\r\r")
           + error;
}

bool tableExists(QSqlDatabase& db, const QString& table)
{
    QSqlQuery scratch(db);
    return scratch.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE 1 = 0"));
}

} // namespace

SiteSwitches ReadSiteSwitches(CounterTable& counters, QSqlDatabase& journal,
                              const DicomComponentCheck& dicomComponent)
{
    SiteSwitches s;
    const QString dicom = QStringLiteral("DICOMSETTINGS"), floater = QStringLiteral("FLOATERSETTINGS");
    s.AllowFloaterReadPics = counters.GetDataText(dicom, QStringLiteral("ALLOWFLOATERREADPICS")) == 1;
    s.dicomEnabled = dicomComponent && dicomComponent();
    if (s.dicomEnabled && !tableExists(journal, QStringLiteral("DICOMSERVERS"))) {
        toolkit::ShowError(toolkit::Translate(QStringLiteral(
            "DICOM är aktiverat men DICOM-tabellerna finns inte! DICOM-inaktiveras.\rKontakta Tervalen AB!")));
        s.dicomEnabled = false;
    }
    s.USEQ7FLOATERCONTACTTYPES = counters.GetDataText(floater, QStringLiteral("USEQ7FLOATERCONTACTTYPES")) != 0;
    s.floatermaychangepat = counters.GetDataText(floater, QStringLiteral("DISALLOWFLOATERCHANGEPAT")) == 1;
    if (s.dicomEnabled) {
        s.useOnlyDicom = counters.GetDataText(dicom, QStringLiteral("USEONLYDICOM")) == 1;
        s.useCitrixAE = counters.GetDataText(dicom, QStringLiteral("USECITRIXAE")) == 1;
        s.useCPNameAE = counters.GetDataText(dicom, QStringLiteral("USECPNAMEAE")) == 1;
    }
    return s;
}

QString Q7ConnectionString(const QString& user, const QString& password, const QString& alias)
{
    return QStringLiteral("Provider=MSDASQL.1;Password=") + toolkit::QuoteConnectionValue(password)
           + QStringLiteral(";Persist Security Info=True;User ID=") + toolkit::QuoteConnectionValue(user)
           + QStringLiteral(";Data Source=") + toolkit::QuoteConnectionValue(alias);
}

FloaterDatabases::FloaterDatabases() = default;

FloaterDatabases::~FloaterDatabases() { shutdown(); }

QSqlDatabase FloaterDatabases::journal() const
{
    return QSqlDatabase::database(QLatin1String(kJournalConnection), false);
}

QSqlDatabase FloaterDatabases::q7() const
{
    return QSqlDatabase::database(QLatin1String(kQ7Connection), false);
}

bool FloaterDatabases::start(Q7LoginPrompt& loginPrompt)
{
    started_ = true;
    // Without a connection string nothing works; the floater stops instead of
    // running on without its journal (the message has been shown).
    if (!toolkit::BuildConnectionString())
        return true;
    if (!openJournal())
        return true;
    QSqlDatabase db = journal();
    switches_ = ReadSiteSwitches(*counters_, db, dicomComponent);
    return !openQ7(loginPrompt);
}

bool FloaterDatabases::openJournal()
{
    const QString& s = toolkit::JournalConnectionString();
    QString error;
    QSqlDatabase journalDb = toolkit::OpenConnection(QLatin1String(kJournalConnection), s, &error);
    QSqlDatabase counterDb;
    if (journalDb.isOpen())
        counterDb = toolkit::OpenConnection(QLatin1String(kCounterConnection), s, &error);
    if (!journalDb.isOpen() || !counterDb.isOpen()) {
        const toolkit::TDBConnection& c = toolkit::DBConnection();
        // The built-in login is tried only because the site's own could not
        // be read: that is the failure worth naming.
        if (!toolkit::FallbackLoginReason().isEmpty())
            error += QStringLiteral("\r\r")
                     + toolkit::Translate(QStringLiteral("Inloggningen i TERVALENUSER kunde inte läsas: "))
                     + toolkit::FallbackLoginReason();
        toolkit::ShowInfo(cannotConnect(c.ServerName + QStringLiteral(": ") + c.Databasename, c.Username, error));
        return false;
    }
    counters_ = std::make_unique<CounterTable>(counterDb);
    delete toolkit::DefaultQuery();
    toolkit::DefaultQuery() = new toolkit::TKxAdoQuery(journalDb);
    return true;
}

bool FloaterDatabases::openQ7(Q7LoginPrompt& loginPrompt)
{
    const QString name = QLatin1String(kQ7Connection);
    toolkit::RemoveConnection(name);
    const toolkit::SettingsCipher cipher;
    const QString alias = setting(QStringLiteral("ODBCAlias"), QStringLiteral("BorvikQ7"));
    const auto storedUser = cipher.decrypt(setting(QStringLiteral("Username")));
    const auto storedPassword = cipher.decrypt(setting(QStringLiteral("Password")));
    QString user = kUserPlaceholder, password = kPasswordPlaceholder, error;
    bool open = false;
    if (storedUser && storedPassword) {
        user = *storedUser;
        password = *storedPassword;
        open = toolkit::OpenConnection(name, Q7ConnectionString(user, password, alias), &error).isOpen();
        if (!open) {
            user = kUserPlaceholder;
            password = kPasswordPlaceholder;
        }
    }
    if (open)
        return true;
    const bool answered = loginPrompt.ask(user, password, alias);
    QSqlDatabase db = toolkit::OpenConnection(name, Q7ConnectionString(user, password, alias), &error);
    if (!db.isOpen()) {
        toolkit::ShowInfo(cannotConnect(alias, user, error));
        return false;
    }
    // The placeholders of a cancelled dialog are no login worth keeping.
    if (answered) {
        const std::string section = kQ7Section.toStdString();
        toolkit::WriteSetting(section, "Username", cipher.encrypt(user).toStdString());
        toolkit::WriteSetting(section, "Password", cipher.encrypt(password).toStdString());
    }
    return true;
}

void FloaterDatabases::shutdown()
{
    if (!started_)
        return;
    started_ = false;
    for (const char* name : {kJournalConnection, kQ7Connection}) {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(name), false);
        if (db.isOpen())
            toolkit::RestartTransaction(db);
    }
    counters_.reset();
    delete toolkit::DefaultQuery();
    toolkit::DefaultQuery() = nullptr;
    for (const char* name : {kJournalConnection, kQ7Connection, kCounterConnection})
        toolkit::RemoveConnection(QLatin1String(name));
}

} // namespace app
