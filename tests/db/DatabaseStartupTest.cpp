#include "DbTestSupport.h"

#include "app/database/DatabaseStartup.h"
#include "app/database/JournalSchema.h"
#include "toolkit/core/Settings.h"
#include "toolkit/db/JournalConnection.h"
#include "toolkit/db/KxAdoQuery.h"
#include "toolkit/db/SettingsCipher.h"
#include "toolkit/db/SqlConnections.h"
#include "tools/demo-data/DemoData.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <cstdlib>

using namespace dbtest;
using app::FloaterDatabases;

namespace {

class ScriptedLogin : public app::Q7LoginPrompt {
public:
    bool ok = true;
    QString answerUser = QStringLiteral("q7user"), answerPassword = QStringLiteral("q7pass");
    int asked = 0;
    QString shownUser, shownPassword, shownAlias;
    bool ask(QString& user, QString& password, const QString& alias) override
    {
        ++asked;
        shownUser = user;
        shownPassword = password;
        shownAlias = alias;
        if (ok) {
            user = answerUser;
            password = answerPassword;
        }
        return ok;
    }
};

// A demo site (journal, Q7 through its ODBC data source, data-provider file)
// in a temporary directory.
class DatabaseStartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        demo::DemoOptions options;
        options.patients = 20;
        options.odbcDriver = SqliteOdbcDriver();
        QString error;
        ASSERT_TRUE(demo::MakeDemoData(env.path(QStringLiteral("site")), options, &error)) << error.toStdString();
        ::setenv("ODBCINI", env.path(QStringLiteral("site/odbc.ini")).toLocal8Bit().constData(), 1);
        useDataProvider(env.path(QStringLiteral("site/Journal.udl")));
    }
    void TearDown() override { databases.shutdown(); }

    void useDataProvider(const QString& path)
    {
        toolkit::DataProviderFile().clear();
        toolkit::ChooseDataProviderFile({path}, QString());
    }
    void storeLogin(const QString& user, const QString& password)
    {
        toolkit::WriteSetting("Q7Database", "Username", cipher.encrypt(user).toStdString());
        toolkit::WriteSetting("Q7Database", "Password", cipher.encrypt(password).toStdString());
    }
    std::string setting(const char* name) { return toolkit::ReadSetting("Q7Database", name); }

    Environment env;
    toolkit::SettingsCipher cipher;
    ScriptedLogin login;
    FloaterDatabases databases;
};

const QString kPersonQuery = QStringLiteral(
    "SELECT Patient.Person_ID, Patient.DateOfBirth, Patient.Gender, Patient.SSN,\n"
    "Person.Title, Person.Forename1, Person.Surname, Address.Line1, Address.Line2,\n"
    "Address.Line3, Address.Line4, Address.Town, Address.PostCode, Address.Telephone  \n"
    "FROM Patient, Person, Address, Roles\nWHERE Patient.Person_ID = Person.Person_ID\n"
    "AND Patient.Clinic_ID = Person.Clinic_ID\nAND Patient.Area_ID = Person.Area_ID\n"
    "AND Person.Person_ID = Roles.Person_ID\nAND Person.Clinic_ID = Roles.Clinic_ID\n"
    "AND Person.Area_ID = Roles.Area_ID\nAND Address.Address_ID = Roles.Address_ID\n"
    "AND Patient.SSN =:personnr\nAND Roles.Type = 'HA'\nAND Address.EndDate IS NULL");

} // namespace

TEST_F(DatabaseStartupTest, StoredLoginOpensAllThreeWithoutDialogAndReadsQ7)
{
    storeLogin(QStringLiteral("q7"), QStringLiteral("hemligt"));
    const std::string storedUser = setting("Username");
    EXPECT_FALSE(databases.start(login));
    EXPECT_EQ(login.asked, 0);
    EXPECT_TRUE(env.dialogs.shown.empty());
    EXPECT_EQ(setting("Username"), storedUser) << "a working login is not written back";
    EXPECT_TRUE(databases.journal().isOpen());
    EXPECT_TRUE(QSqlDatabase::database(app::kCounterConnection, false).isOpen());
    ASSERT_TRUE(databases.q7().isOpen());
    EXPECT_EQ(databases.q7().driverName(), "QODBC");
    ASSERT_NE(toolkit::DefaultQuery(), nullptr);
    EXPECT_EQ(toolkit::DefaultQuery()->connection().connectionName(), app::kJournalConnection);

    const auto& s = databases.switches();
    EXPECT_TRUE(s.AllowFloaterReadPics);
    EXPECT_TRUE(s.USEQ7FLOATERCONTACTTYPES);
    EXPECT_FALSE(s.floatermaychangepat);
    EXPECT_FALSE(s.dicomEnabled) << "this build has no DICOM component";

    // A Q7 person through the data source, with the person sync's query.
    QSqlDatabase journal = databases.journal();
    QSqlQuery patient(journal);
    ASSERT_TRUE(patient.exec(QStringLiteral("SELECT PERSONNR, EFTERNAMN FROM KUNDER ORDER BY PATIENTNR")));
    ASSERT_TRUE(patient.next());
    const QString personnr = patient.value(0).toString().remove(u'-');
    QSqlQuery person(databases.q7());
    ASSERT_TRUE(person.prepare(kPersonQuery));
    person.bindValue(QStringLiteral(":personnr"), personnr);
    ASSERT_TRUE(person.exec());
    ASSERT_TRUE(person.next());
    EXPECT_EQ(person.value(QStringLiteral("SSN")).toString(), personnr);
    EXPECT_EQ(person.value(QStringLiteral("Surname")).toString().left(40), patient.value(1).toString());
    EXPECT_FALSE(person.value(QStringLiteral("Town")).toString().isEmpty());
    // ODBC reports the declared sizes the person sync compares against.
    QSqlDatabase q7 = databases.q7();
    EXPECT_EQ(toolkit::DeclaredTextSize(q7, QStringLiteral("Person"), QStringLiteral("Surname")), 60);
}

TEST_F(DatabaseStartupTest, MissingStoredLoginAsksAndStoresTheAnswerEncrypted)
{
    EXPECT_FALSE(databases.start(login));
    EXPECT_EQ(login.asked, 1);
    EXPECT_EQ(login.shownUser, "Enter username here");
    EXPECT_EQ(login.shownPassword, "Enter password here");
    EXPECT_EQ(login.shownAlias, "BorvikQ7");
    EXPECT_TRUE(databases.q7().isOpen());
    EXPECT_EQ(cipher.decrypt(QString::fromStdString(setting("Username"))), "q7user");
    EXPECT_EQ(cipher.decrypt(QString::fromStdString(setting("Password"))), "q7pass");
}

TEST_F(DatabaseStartupTest, UnreadableStoredLoginAsks)
{
    toolkit::WriteSetting("Q7Database", "Username", "klartext");
    toolkit::WriteSetting("Q7Database", "Password", "klartext");
    EXPECT_FALSE(databases.start(login));
    EXPECT_EQ(login.asked, 1);
    EXPECT_EQ(login.shownUser, "Enter username here");
}

TEST_F(DatabaseStartupTest, CancelledLoginKeepsNoPlaceholders)
{
    login.ok = false;
    EXPECT_FALSE(databases.start(login)) << "the data source takes any login";
    EXPECT_EQ(login.asked, 1);
    EXPECT_EQ(setting("Username"), "ERROR");
    EXPECT_EQ(setting("Password"), "ERROR");
}

TEST_F(DatabaseStartupTest, Q7ThatCannotBeReachedClosesAfterTheDialog)
{
    storeLogin(QStringLiteral("q7"), QStringLiteral("hemligt"));
    toolkit::WriteSetting("Q7Database", "ODBCAlias", "SaknadQ7");
    login.answerUser = QStringLiteral("anna");
    EXPECT_TRUE(databases.start(login));
    EXPECT_EQ(login.asked, 1);
    EXPECT_EQ(login.shownUser, "Enter username here") << "the stored login failed";
    EXPECT_EQ(login.shownAlias, "SaknadQ7");
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_EQ(env.dialogs.shown[0].kind, toolkit::DialogKind::Information);
    EXPECT_TRUE(env.dialogs.shown[0].text.startsWith(
        "Det gick inte att ansluta till databasen SaknadQ7 med användarnamnet anna\r\r"))
        << env.dialogs.shown[0].text.toStdString();
    EXPECT_GT(env.dialogs.shown[0].text.size(), 75) << "the driver's error text follows";
    EXPECT_EQ(cipher.decrypt(QString::fromStdString(setting("Username"))), "q7") << "nothing written back";
}

TEST_F(DatabaseStartupTest, JournalThatCannotBeReachedNamesServerDatabaseUserAndWhyThatLogin)
{
    struct Case {
        const char* login;     // in the data-provider file
        const char* user;      // named in the message
        bool namesLoginTable;  // the built-in login stood in: why
    } cases[] = {
        {"User ID=orvana;Password=x;", "orvana", false},
        {"", "kxuser", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        env.dialogs.shown.clear();
        const QString udl = env.path(QStringLiteral("Down.udl"));
        QFile f(udl);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("[oledb]\nProvider=PostgreSQL;") + c.login
                + "Initial Catalog=orvana;Data Source=127.0.0.1,1\n");
        f.close();
        useDataProvider(udl);
        EXPECT_TRUE(databases.start(login));
        EXPECT_EQ(login.asked, 0);
        ASSERT_EQ(env.dialogs.shown.size(), 1u);
        const QString text = env.dialogs.shown[0].text;
        EXPECT_TRUE(text.startsWith("Det gick inte att ansluta till databasen 127.0.0.1,1: orvana med användarnamnet "
                                    + QString::fromLatin1(c.user) + "\r\r"))
            << text.toStdString();
        EXPECT_EQ(text.contains("Inloggningen i TERVALENUSER kunde inte läsas: "), c.namesLoginTable)
            << text.toStdString();
        EXPECT_EQ(toolkit::DefaultQuery(), nullptr);
        databases.shutdown();
    }
}

TEST_F(DatabaseStartupTest, NoConnectionStringClosesNow)
{
    const QString udl = env.path(QStringLiteral("Trasig.udl"));
    QFile f(udl);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("inget ini-innehåll");
    f.close();
    useDataProvider(udl);
    EXPECT_TRUE(databases.start(login));
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_EQ(env.dialogs.shown[0].kind, toolkit::DialogKind::Error);
    EXPECT_FALSE(databases.journal().isValid());
}

// A SQLite journal is opened, never made: one message names the file, and a
// missing one stays missing.
TEST_F(DatabaseStartupTest, SqliteJournalThatIsNoDatabaseIsOneMessageNamingTheFile)
{
    struct Case {
        const char* name;
        const char* content; // nothing: no file at all
    } cases[] = {{"missing", nullptr}, {"empty", ""}, {"not a database", "inget databasinnehåll"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.dialogs.shown.clear();
        const QString journal = env.path(QStringLiteral("%1.sqlite").arg(QString::fromUtf8(c.name)));
        if (c.content) {
            QFile j(journal);
            ASSERT_TRUE(j.open(QIODevice::WriteOnly));
            j.write(c.content);
        }
        const QString udl = env.path(QStringLiteral("Lokal.udl"));
        QFile f(udl);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(("[oledb]\nProvider=SQLite;Data Source=" + journal + "\n").toUtf8());
        f.close();
        useDataProvider(udl);
        EXPECT_TRUE(databases.start(login)) << "the floater closes";
        ASSERT_EQ(env.dialogs.shown.size(), 1u);
        EXPECT_TRUE(env.dialogs.shown[0].text.contains(journal)) << env.dialogs.shown[0].text.toStdString();
        EXPECT_EQ(QFileInfo::exists(journal), c.content != nullptr);
        EXPECT_EQ(login.asked, 0);
        databases.shutdown();
    }
}

TEST_F(DatabaseStartupTest, ShutdownRollsBackAndClosesEverything)
{
    storeLogin(QStringLiteral("q7"), QStringLiteral("x"));
    ASSERT_FALSE(databases.start(login));
    QSqlDatabase journal = databases.journal();
    QString error;
    ASSERT_TRUE(toolkit::BeginTransaction(journal, &error));
    Exec(journal, {"UPDATE KUNDER SET EFTERNAMN = 'Halvskriven'"});
    journal = QSqlDatabase();
    databases.shutdown();
    EXPECT_EQ(toolkit::DefaultQuery(), nullptr);
    for (const char* name : {app::kJournalConnection, app::kCounterConnection, app::kQ7Connection})
        EXPECT_FALSE(QSqlDatabase::contains(QLatin1String(name))) << name;
    QSqlDatabase check = toolkit::OpenConnection(QStringLiteral("check"),
        QStringLiteral("Provider=SQLite;Data Source=") + env.path(QStringLiteral("site/journal.sqlite")), &error);
    EXPECT_EQ(CountRows(check, "SELECT COUNT(*) FROM KUNDER WHERE EFTERNAMN = 'Halvskriven'"), 0);
    check = QSqlDatabase();
    toolkit::RemoveConnection(QStringLiteral("check"));
}

namespace {

struct SwitchCase {
    const char* name;
    QStringList rows; // FIELDCOUNTERS rows as "TABLENAME,FIELDNAME,COUNTER"
    bool dicomComponent;
    bool dropDicomServers;
    app::SiteSwitches expected;
    int messages;
};

class SiteSwitchesTest : public ::testing::TestWithParam<SwitchCase> {};

app::SiteSwitches on(std::initializer_list<bool app::SiteSwitches::*> flags)
{
    app::SiteSwitches s;
    for (auto f : flags)
        s.*f = true;
    return s;
}

using S = app::SiteSwitches;

} // namespace

TEST_P(SiteSwitchesTest, ReadsTheCounterTable)
{
    const SwitchCase& c = GetParam();
    Environment env;
    ScratchDatabase scratch(Engine::SQLite, env.dir.path());
    QSqlDatabase db = scratch.open(QStringLiteral("counter"));
    QString error;
    ASSERT_TRUE(app::CreateTables(db, app::JournalSchemaStatements(toolkit::SqlDialect::SQLite), &error));
    for (const QString& row : c.rows) {
        const QStringList v = row.split(u',');
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO FIELDCOUNTERS VALUES (?, ?, ?)"));
        q.addBindValue(v[0]);
        q.addBindValue(v[1]);
        q.addBindValue(v[2].toInt());
        ASSERT_TRUE(q.exec());
    }
    if (c.dropDicomServers)
        Exec(db, {"DROP TABLE DICOMSERVERS"});
    S s;
    {
        app::CounterTable counters(db);
        s = app::ReadSiteSwitches(counters, db, [&] { return c.dicomComponent; });
    }
    EXPECT_EQ(s.AllowFloaterReadPics, c.expected.AllowFloaterReadPics);
    EXPECT_EQ(s.USEQ7FLOATERCONTACTTYPES, c.expected.USEQ7FLOATERCONTACTTYPES);
    EXPECT_EQ(s.floatermaychangepat, c.expected.floatermaychangepat);
    EXPECT_EQ(s.dicomEnabled, c.expected.dicomEnabled);
    EXPECT_EQ(s.useOnlyDicom, c.expected.useOnlyDicom);
    EXPECT_EQ(s.useCitrixAE, c.expected.useCitrixAE);
    EXPECT_EQ(s.useCPNameAE, c.expected.useCPNameAE);
    ASSERT_EQ(int(env.dialogs.shown.size()), c.messages);
    if (c.messages) {
        EXPECT_EQ(env.dialogs.shown[0].text, "DICOM är aktiverat men DICOM-tabellerna finns inte! "
                                             "DICOM-inaktiveras.\rKontakta Tervalen AB!");
    }
    db = QSqlDatabase();
    toolkit::RemoveConnection(QStringLiteral("counter"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SiteSwitchesTest,
    ::testing::Values(
        SwitchCase{"EmptyTable", {}, false, false, on({&S::USEQ7FLOATERCONTACTTYPES}), 0},
        SwitchCase{"ContactTypesOff", {"FLOATERSETTINGS,USEQ7FLOATERCONTACTTYPES,0"}, false, false, S{}, 0},
        SwitchCase{"ContactTypesAnyOtherValue", {"FLOATERSETTINGS,USEQ7FLOATERCONTACTTYPES,5"}, false, false,
                   on({&S::USEQ7FLOATERCONTACTTYPES}), 0},
        SwitchCase{"OnlyOneMeansOn",
                   {"DICOMSETTINGS,ALLOWFLOATERREADPICS,2", "FLOATERSETTINGS,DISALLOWFLOATERCHANGEPAT,-1",
                    "FLOATERSETTINGS,USEQ7FLOATERCONTACTTYPES,0"},
                   false, false, S{}, 0},
        SwitchCase{"PicsAndDisallow",
                   {"DICOMSETTINGS,ALLOWFLOATERREADPICS,1", "FLOATERSETTINGS,DISALLOWFLOATERCHANGEPAT,1"}, false,
                   false, on({&S::AllowFloaterReadPics, &S::USEQ7FLOATERCONTACTTYPES, &S::floatermaychangepat}), 0},
        SwitchCase{"DicomSwitchesNeedTheComponent",
                   {"DICOMSETTINGS,USEONLYDICOM,1", "DICOMSETTINGS,USECITRIXAE,1", "DICOMSETTINGS,USECPNAMEAE,1"},
                   false, true, on({&S::USEQ7FLOATERCONTACTTYPES}), 0},
        SwitchCase{"DicomSwitchesWithComponent",
                   {"DICOMSETTINGS,USEONLYDICOM,1", "DICOMSETTINGS,USECITRIXAE,1", "DICOMSETTINGS,USECPNAMEAE,1"},
                   true, false,
                   on({&S::USEQ7FLOATERCONTACTTYPES, &S::dicomEnabled, &S::useOnlyDicom, &S::useCitrixAE,
                       &S::useCPNameAE}),
                   0},
        SwitchCase{"MissingDicomTablesTurnDicomOff", {"DICOMSETTINGS,USEONLYDICOM,1"}, true, true,
                   on({&S::USEQ7FLOATERCONTACTTYPES}), 1}),
    [](const auto& info) { return std::string(info.param.name); });
