#include "DbTestSupport.h"

#include "app/database/DatabaseStartup.h"
#include "app/database/JournalSchema.h"
#include "toolkit/core/Settings.h"
#include "toolkit/db/JournalConnection.h"
#include "toolkit/db/SettingsCipher.h"
#include "toolkit/db/SqlConnections.h"

#include <QFile>
#include <QSqlQuery>

using namespace toolkit;
using dbtest::Environment;

TEST(ConnectionValueTest, ReadsAndSetsValuesInPlace)
{
    const QString s = QStringLiteral("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Orvana;Data Source=SRV");
    EXPECT_EQ(ConnectionValue(s, "User ID="), "sa");
    EXPECT_EQ(ConnectionValue(s, "Data Source="), "SRV");
    EXPECT_EQ(ConnectionValue(s, "Password="), "");
    EXPECT_EQ(ConnectionValue(s, "user id="), "") << "keys are matched with case as written";
    EXPECT_EQ(ProviderName(s), "SQLOLEDB.1");

    struct Case {
        const char *key, *value, *expected;
    } cases[] = {
        {"User ID=", "kx", "Provider=SQLOLEDB.1;User ID=kx;Initial Catalog=Orvana;Data Source=SRV"},
        {"Data Source=", "", "Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Orvana;Data Source="},
        {"Password=", "pw", "Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Orvana;Data Source=SRV;Password=pw"},
        {"Password=", "", "Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Orvana;Data Source=SRV"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SetConnectionValue(s, c.key, c.value), QString::fromLatin1(c.expected)) << c.key;
}

TEST(ConnectionValueTest, QuotesValuesThatHoldSemicolonsOrQuotes)
{
    const QString s = SetConnectionValue(SetConnectionValue(QStringLiteral("Provider=SQLite;Password=old;User ID=u"),
                                                            "Password=", "a;b\"c"),
                                         "User ID=", "\"x");
    EXPECT_EQ(s, "Provider=SQLite;Password=\"a;b\"\"c\";User ID=\"\"\"x\"");
    EXPECT_EQ(ConnectionValue(s, "Password="), "a;b\"c");
    EXPECT_EQ(ConnectionValue(s, "User ID="), "\"x");
    EXPECT_EQ(SetConnectionValue(s, "Password=", "plain"), "Provider=SQLite;Password=plain;User ID=\"\"\"x\"");
}

TEST(SqlConnectionsTest, MapsProvidersOntoDrivers)
{
    struct Case {
        const char *string, *driver, *database;
    } cases[] = {
        {"Provider=SQLOLEDB.1;User ID=sa;Password=x;Initial Catalog=Orvana;Data Source=srv\\SQL2019", "QODBC",
         "DRIVER={FreeTDS};SERVER=srv\\SQL2019;DATABASE=Orvana;TDS_Version=7.4"},
        {"Provider=SQLNCLI11;Integrated Security=SSPI;Initial Catalog=Orvana;Data Source=srv,1533", "QODBC",
         "DRIVER={FreeTDS};SERVER=srv;DATABASE=Orvana;TDS_Version=7.4;PORT=1533;Trusted_Connection=Yes"},
        {"Provider=MSDASQL.1;Password=p;User ID=u;Data Source=BorvikQ7", "QODBC", "BorvikQ7"},
        {"Provider=SQLite;Data Source=/var/lib/orvana.sqlite", "QSQLITE", "/var/lib/orvana.sqlite"},
        {"Provider=PostgreSQL;Data Source=db.local:5433;Initial Catalog=orvana", "QPSQL", "orvana"},
    };
    for (const Case& c : cases) {
        QString error;
        const QSqlDatabase db = CreateConnection(QStringLiteral("mapping"), QString::fromLatin1(c.string), &error);
        ASSERT_TRUE(db.isValid()) << c.string << ": " << error.toStdString();
        EXPECT_EQ(db.driverName(), QString::fromLatin1(c.driver)) << c.string;
        EXPECT_EQ(db.databaseName(), QString::fromLatin1(c.database)) << c.string;
    }
    {
        const QSqlDatabase pg = CreateConnection(QStringLiteral("mapping"),
            QStringLiteral("Provider=PostgreSQL;Data Source=db.local:5433;User ID=u;Password=p"), nullptr);
        EXPECT_EQ(pg.hostName(), "db.local");
        EXPECT_EQ(pg.port(), 5433);
        EXPECT_EQ(pg.userName(), "u");
        EXPECT_EQ(pg.password(), "p");
    }
    QString error;
    EXPECT_FALSE(CreateConnection(QStringLiteral("mapping"), QStringLiteral("Provider=Jet.OLEDB.4.0"), &error).isValid());
    EXPECT_EQ(error, "Okänd dataprovider \"Jet.OLEDB.4.0\"");
    RemoveConnection(QStringLiteral("mapping"));
}

// Keys are found only where a pair starts: text inside a value, quoted or
// not, never stands for another key.
TEST(ConnectionValueTest, KeysInsideValuesAreNotKeys)
{
    struct Case {
        const char* name;
        QString string;
        const char *source, *catalog, *user, *password;
        bool integrated;
    } cases[] = {
        {"quoted password with a data source", app::Q7ConnectionString("u", "x;Data Source=evil", "BorvikQ7"),
         "BorvikQ7", "", "u", "x;Data Source=evil", false},
        {"unquoted password with a data source", app::Q7ConnectionString("u", "pwData Source=evil", "BorvikQ7"),
         "BorvikQ7", "", "u", "pwData Source=evil", false},
        {"user name with a password", app::Q7ConnectionString("Password=x", "real", "BorvikQ7"), "BorvikQ7", "",
         "Password=x", "real", false},
        {"password asking for the system login",
         app::Q7ConnectionString("u", "a;Integrated Security=SSPI", "BorvikQ7"), "BorvikQ7", "", "u",
         "a;Integrated Security=SSPI", false},
        {"single quotes", QStringLiteral("Provider=SQLOLEDB;Password='it''s;Initial Catalog=x';Initial Catalog=Orvana;"
                                         "Data Source=srv"),
         "srv", "Orvana", "", "it's;Initial Catalog=x", false},
        {"blanks after a separator", QStringLiteral("Provider=SQLOLEDB; Integrated Security=SSPI; Data Source=srv"),
         "srv", "", "", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TDBConnection parsed = ParseDBConnection(c.string);
        EXPECT_EQ(parsed.ServerName, QString::fromUtf8(c.source)) << c.string.toStdString();
        EXPECT_EQ(parsed.Databasename, QString::fromUtf8(c.catalog));
        EXPECT_EQ(parsed.Username, QString::fromUtf8(c.user));
        EXPECT_EQ(parsed.Password, QString::fromUtf8(c.password));
        EXPECT_EQ(UsesIntegratedSecurity(c.string), c.integrated);
        // Setting a value replaces the pair, not text inside another value.
        const QString moved = SetConnectionValue(c.string, QStringLiteral("Data Source="), QStringLiteral("other"));
        EXPECT_EQ(ParseDBConnection(moved).ServerName, "other") << moved.toStdString();
        EXPECT_EQ(ParseDBConnection(moved).Password, QString::fromUtf8(c.password)) << moved.toStdString();
        const QSqlDatabase db = CreateConnection(QStringLiteral("mapping"), c.string, nullptr);
        if (db.driverName() == "QODBC" && c.string.startsWith("Provider=MSDASQL")) {
            EXPECT_EQ(db.databaseName(), QString::fromUtf8(c.source));
            EXPECT_EQ(db.password(), QString::fromUtf8(c.password));
        }
    }
    RemoveConnection(QStringLiteral("mapping"));
}

namespace {

class BuildConnectionStringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        JournalConnectionString().clear();
        DataProviderFile().clear();
        DBConnection() = {};
        SetDataProviderChooser([this](const QString& valueName) {
            chooserAsked = valueName;
            return chosen;
        });
    }
    void TearDown() override { SetDataProviderChooser({}); }

    // A data-provider file in the data-links folder, UTF-16 with a byte-order mark.
    QString writeUdl(const QString& name, const QString& provider, bool utf16 = true)
    {
        const QString text = QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n"
                                            "Provider=") + provider + QStringLiteral("\r\n");
        QFile f(env.linksDir() + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        if (utf16) {
            f.write("\xff\xfe", 2);
            f.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        } else {
            f.write(text.toUtf8());
        }
        return f.fileName();
    }
    QString build(const QStringList& args = {})
    {
        ChooseDataProviderFile(args, env.path(QStringLiteral("prog/")));
        EXPECT_TRUE(BuildConnectionString());
        return JournalConnectionString();
    }

    Environment env;
    QString chosen, chooserAsked;
};

} // namespace

TEST_F(BuildConnectionStringTest, IntegratedSecurityLeavesTheStringUnchanged)
{
    const QString value = QStringLiteral("SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;"
                                         "Initial Catalog=Orvana;Data Source=KLINIK01");
    WriteSetting("DataProvider", "DefaultDataProvider", writeUdl("Orvana.udl", value).toStdString());
    EXPECT_EQ(build(), QStringLiteral("Provider=") + value);
    EXPECT_EQ(DBConnection().ServerName, "KLINIK01");
    EXPECT_EQ(DBConnection().Databasename, "Orvana");
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_F(BuildConnectionStringTest, FileWithLoginKeepsItAndSetsValuesInPlace)
{
    writeUdl("Orvana.udl", QStringLiteral("SQLOLEDB.1;Password=hemligt;Persist Security Info=False;"
                                          "User ID=orvana;Initial Catalog=Orvana;Data Source=KLINIK01"),
             false);
    WriteSetting("DataProvider", "DefaultDataProvider", "Orvana.udl"); // a bare name in the data-links folder
    EXPECT_EQ(build(), "Provider=SQLOLEDB.1;Password=hemligt;Persist Security Info=True;"
                       "User ID=orvana;Initial Catalog=Orvana;Data Source=KLINIK01");
    EXPECT_EQ(DBConnection().Username, "orvana");
    EXPECT_EQ(DBConnection().Password, "hemligt");
}

TEST_F(BuildConnectionStringTest, UnreachableServerWithoutLoginTableGetsTheFallbackLoginAppended)
{
    // Nothing listens on port 1 of the loopback: both login attempts fail.
    writeUdl("Orvana.udl", QStringLiteral("PostgreSQL;Initial Catalog=orvana;Data Source=127.0.0.1,1"));
    EXPECT_EQ(build({QStringLiteral("Orvana.UDL")}),
              "Provider=PostgreSQL;Initial Catalog=orvana;Data Source=127.0.0.1,1;Persist Security Info=True"
              ";User ID=kxuser;Password=kxpw");
    EXPECT_TRUE(env.dialogs.shown.empty()) << "the fallback is silent";
}

TEST_F(BuildConnectionStringTest, ReadsTheLoginTableWhenTheFileHasNoLogin)
{
    const QString file = env.path(QStringLiteral("journal.sqlite"));
    {
        QSqlDatabase db = OpenConnection(QStringLiteral("setup"), QStringLiteral("Provider=SQLite;Data Source=") + file, nullptr);
        QString error;
        ASSERT_TRUE(app::CreateTables(db, app::JournalSchemaStatements(SqlDialect::SQLite), &error)) << error.toStdString();
        QSqlQuery q(db);
        ASSERT_TRUE(q.prepare(QStringLiteral("INSERT INTO TERVALENUSER (KXUSERNAME, KXPASSWORD) VALUES (?, ?)")));
        q.addBindValue(SettingsCipher().encrypt(QStringLiteral("orvanasql")));
        q.addBindValue(SettingsCipher().encrypt(QStringLiteral("p;w")));
        ASSERT_TRUE(q.exec());
    }
    RemoveConnection(QStringLiteral("setup"));
    writeUdl("Demo.udl", QStringLiteral("SQLite;User ID=;Data Source=") + file);
    EXPECT_EQ(build({QStringLiteral("Demo.udl")}),
              QStringLiteral("Provider=SQLite;User ID=orvanasql;Data Source=") + file
                  + QStringLiteral(";Persist Security Info=True;Password=\"p;w\""));
    EXPECT_EQ(DBConnection().Password, "p;w");
    EXPECT_EQ(ParseDBConnection(JournalConnectionString()).Password, "p;w") << "the string reads back whole";
}

TEST_F(BuildConnectionStringTest, SingleFileInDataLinksIsTakenAndStored)
{
    const QString path = writeUdl("Klinik.udl", QStringLiteral("SQLOLEDB.1;Integrated Security=SSPI;Data Source=S"));
    EXPECT_EQ(build(), "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=S");
    EXPECT_EQ(DataProviderFile(), path);
    EXPECT_EQ(ReadSetting("DataProvider", "DefaultDataProvider"), path.toStdString());
}

TEST_F(BuildConnectionStringTest, LaterUdlArgumentsWinAndUnknownOnesAreIgnored)
{
    writeUdl("A.udl", QStringLiteral("SQLOLEDB.1;Integrated Security=SSPI;Data Source=A"));
    const QString b = writeUdl("B.udl", QStringLiteral("SQLOLEDB.1;Integrated Security=SSPI;Data Source=B"));
    EXPECT_EQ(build({QStringLiteral("a.UDL"), QStringLiteral("B.udl"), QStringLiteral("missing.udl")}),
              "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=B");
    EXPECT_EQ(DataProviderFile(), b);
}

TEST_F(BuildConnectionStringTest, NoFileWarnsAndAsksForOne)
{
    writeUdl("A.udl", QStringLiteral("SQLOLEDB.1;Integrated Security=SSPI;Data Source=A"));
    writeUdl("B.udl", QStringLiteral("SQLOLEDB.1;Integrated Security=SSPI;Data Source=B"));
    WriteSetting("DataProvider", "DefaultDataProvider", "Borta.udl");
    chosen = QStringLiteral("B.udl");
    EXPECT_EQ(build(), "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=B");
    EXPECT_EQ(chooserAsked, "DefaultDataProvider");
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_EQ(env.dialogs.shown[0].text,
              "Kunde inte hitta den angivna DataProvider-filen \"" + env.linksDir()
                  + "Borta.udl\"!\rKontrollera att filen finns i den aktuella katalogen och försök igen!"
                    "\r\rVälj databasanslutning i nästa dialog");
}

TEST_F(BuildConnectionStringTest, NothingNamedGoesStraightToTheChoice)
{
    // A first start: no setting, no file on the command line, two files to choose from.
    writeUdl("A.udl", QStringLiteral("SQLOLEDB.1;Integrated Security=SSPI;Data Source=A"));
    writeUdl("B.udl", QStringLiteral("SQLOLEDB.1;Integrated Security=SSPI;Data Source=B"));
    chosen = QStringLiteral("B.udl");
    EXPECT_EQ(build(), "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=B");
    EXPECT_EQ(chooserAsked, "DefaultDataProvider");
    EXPECT_TRUE(env.dialogs.shown.empty()) << env.dialogs.shown[0].text.toStdString();
}

TEST_F(BuildConnectionStringTest, CancelledChoiceLeavesAnEmptyProvider)
{
    chosen = QStringLiteral("Borta.udl");
    ChooseDataProviderFile({}, env.path(QStringLiteral("prog/")));
    EXPECT_TRUE(BuildConnectionString());
    EXPECT_TRUE(JournalConnectionString().startsWith("Provider=;")) << JournalConnectionString().toStdString();
    QString error;
    EXPECT_FALSE(OpenConnection(QStringLiteral("x"), JournalConnectionString(), &error).isOpen());
    EXPECT_EQ(error, "Okänd dataprovider \"\"");
}

TEST_F(BuildConnectionStringTest, MalformedFileIsAnErrorAndNoString)
{
    const QString path = env.linksDir() + QStringLiteral("Trasig.udl");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[general]\r\nProvider=SQLite;Data Source=/tmp/x\r\n");
    f.close();
    ChooseDataProviderFile({path}, QString());
    EXPECT_FALSE(BuildConnectionString());
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_EQ(env.dialogs.shown[0].kind, DialogKind::Error);
    EXPECT_EQ(env.dialogs.shown[0].text, "Det gick inte att hämta användarnamn och lösenord till databasen!\r\r"
                                             + path + " saknar värdet Provider i avsnittet [oledb]");
}

TEST(DataProviderFileTest, ReadsEveryEncodingAndCutsLongValues)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.udl"));
    const QString text = QStringLiteral("[OLEDB]\r\nprovider = SQLite;Data Source=") + QString(300, u'å') + QStringLiteral("\r\n");
    QByteArray le, be;
    for (const QChar ch : text) {
        le.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
        be.append(char(ch.unicode() >> 8)).append(char(ch.unicode() & 0xFF));
    }
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-16 LE with mark", QByteArray("\xff\xfe", 2) + le},
        {"UTF-16 BE with mark", QByteArray("\xfe\xff", 2) + be},
        {"UTF-16 LE without mark", le},
        {"UTF-16 BE without mark", be},
        {"UTF-8", text.toUtf8()},
        {"UTF-8 with mark", QByteArray("\xef\xbb\xbf") + text.toUtf8()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        const auto value = ReadDataProviderValue(path, nullptr);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->size(), 254);
        EXPECT_TRUE(value->startsWith("SQLite;Data Source=ååå")) << value->left(30).toStdString();
    }
    QString error;
    EXPECT_FALSE(ReadDataProviderValue(dir.filePath(QStringLiteral("none.udl")), &error));
    EXPECT_FALSE(error.isEmpty());
}
