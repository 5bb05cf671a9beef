#include "SyncSite.h"

#include <QSqlQuery>

using namespace synctest;
using dbtest::Engine;

namespace {

const QString kSsn = QStringLiteral("198005071234");
const QString kPnr = QStringLiteral("19800507-1234");

class PersonSyncTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        site = std::make_unique<SyncSite>(GetParam(), env.dir.path());
        if (!site->available())
            GTEST_SKIP() << "PostgreSQL is not running (TQ7_TEST_PG_PORT)";
        ASSERT_TRUE(site->q7.isOpen());
    }
    void TearDown() override { site.reset(); }

    int sync(bool quiet, const std::function<void(app::PersonSyncContext&)>& adjust = {})
    {
        app::PersonSyncContext c = site->context();
        if (adjust)
            adjust(c);
        app::TPersonSync s(c);
        return s.AddOrEditPersonFromQ7ToHalden32(kPnr, quiet);
    }
    // The journal row as it stands after an unchanged sync of this person.
    QVariantMap existing(const QVariantMap& overrides = {})
    {
        QVariantMap m{{"F_RNAMN", "Anna"}, {"EFTERNAMN", "Berg"}, {"ADRESS", "Storgatan 1"},
                      {"ORT", "Umeå"},     {"POSTNR", "903 25"},  {"TEL1", "090-123456"},
                      {"TITEL", ""},       {"KON", "K"},          {"NOTERINGAR", "Gammal notering"}};
        for (auto it = overrides.begin(); it != overrides.end(); ++it)
            m[it.key()] = it.value();
        return m;
    }
    QStringList dialogs() const
    {
        QStringList out;
        for (const auto& s : env.dialogs.shown)
            out << s.text;
        return out;
    }

    dbtest::Environment env;
    std::unique_ptr<SyncSite> site;
};

} // namespace

TEST(PersonSyncRules, PostcodeAddressAndGender)
{
    EXPECT_EQ(app::JournalPostcode("79083"), "790 83");
    EXPECT_EQ(app::JournalPostcode("790 83"), "790 83");
    EXPECT_EQ(app::JournalPostcode("7908"), "7908");
    EXPECT_EQ(app::JournalPostcode("DK-2100"), "DK-2100");
    EXPECT_EQ(app::JournalAddress("Line1", " ", "Line3", ""), QString("Line1"));
    EXPECT_EQ(app::JournalAddress("Line1", " c/o Berg ", "", ""), QString(" c/o Berg "));
    EXPECT_EQ(app::JournalAddress(" ", "", "", "Line4"), QString("Line4"));
    EXPECT_EQ(app::JournalAddress(" ", "", " ", ""), std::nullopt);
    EXPECT_EQ(app::JournalGender("f"), "K");
    EXPECT_EQ(app::JournalGender("F"), "K");
    EXPECT_EQ(app::JournalGender("M"), "M");
    EXPECT_EQ(app::JournalGender(""), "M");
}

TEST_P(PersonSyncTest, NewPatientGetsTheNextNumberAndQ7sData)
{
    Q7Person p{kSsn};
    p.postcode = "79083";
    p.line1 = "Storgatan 1";
    p.line2 = "  ";
    p.gender = "f";
    p.telephone = " ";
    site->addQ7(p);
    site->addContact(kSsn, 3, "070-1111111");
    site->addContact(kSsn, 3, "070-2222222");
    site->addContact(kSsn, 6, "anna@example.se");
    site->counters->SetDataText("Kunder", "patientnr", 41);

    EXPECT_EQ(sync(true, [](auto& c) { c.useContactTypes = true; }), 42);
    const QVariantMap row = site->kunder(kPnr);
    ASSERT_FALSE(row.isEmpty());
    EXPECT_EQ(row["PATIENTNR"].toInt(), 42);
    EXPECT_EQ(row["POSTNR"].toString(), "790 83");
    EXPECT_EQ(row["ADRESS"].toString(), "Storgatan 1");
    EXPECT_EQ(row["KON"].toString(), "K");
    EXPECT_EQ(row["TEL1"].toString(), " ") << "a new patient gets the blank telephone";
    EXPECT_EQ(row["TEL2"].toString(), "070-1111111");
    EXPECT_EQ(row["EMAIL"].toString(), "anna@example.se");
    EXPECT_EQ(row["NOTERINGAR"].toString(), "Mobil: 070-2222222");
    EXPECT_EQ(row["FODELSEDAG"].toDateTime().date(), QDate(1980, 5, 7));
    EXPECT_TRUE(site->log.isEmpty()) << "no log line for a new patient";
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_P(PersonSyncTest, NewPatientWithBlankAddressLeavesItUnset)
{
    Q7Person p{kSsn};
    p.line1 = "";
    site->addQ7(p);
    EXPECT_EQ(sync(true), 1);
    EXPECT_TRUE(site->kunder(kPnr)["ADRESS"].isNull());
}

TEST_P(PersonSyncTest, NoNumberForANewPatientWritesNothing)
{
    site->addQ7(Q7Person{kSsn});
    site->q7Exec("SELECT 1"); // Q7 is fine; the counter table is what fails
    QSqlQuery(site->counterDb).exec("DROP TABLE FIELDCOUNTERS");
    EXPECT_EQ(sync(true), -1);
    EXPECT_EQ(site->kunderCount(), 0);
    EXPECT_EQ(site->errors, 1);
    ASSERT_EQ(site->log.size(), 1);
    EXPECT_TRUE(site->log[0].startsWith("Det gick inte att hämta personuppgifter från Q7!\r\r"));
}

TEST_P(PersonSyncTest, UnchangedPatientLogsNoChangeAndWritesNothing)
{
    site->addQ7(Q7Person{kSsn});
    site->addKunder(7, kPnr, existing());
    EXPECT_EQ(sync(true), 7);
    EXPECT_EQ(site->log, QStringList{"Ingen förändring på " + kPnr});
}

TEST_P(PersonSyncTest, ChangedPatientIsRewrittenAndLogged)
{
    Q7Person p{kSsn};
    p.town = "Luleå";
    p.telephone = "";
    site->addQ7(p);
    site->addKunder(7, kPnr, existing());
    EXPECT_EQ(sync(true), 7);
    EXPECT_EQ(site->log, QStringList{"Uppdaterat " + kPnr});
    const QVariantMap row = site->kunder(kPnr);
    EXPECT_EQ(row["ORT"].toString(), "Luleå");
    EXPECT_EQ(row["TEL1"].toString(), "090-123456") << "a blank telephone never clears TEL1";
    EXPECT_EQ(row["NOTERINGAR"].toString(), "Gammal notering") << "contacts are off";
}

TEST_P(PersonSyncTest, BlankTelephoneAloneIsNoChange)
{
    Q7Person p{kSsn};
    p.telephone = "  ";
    site->addQ7(p);
    site->addKunder(7, kPnr, existing());
    EXPECT_EQ(sync(true), 7);
    EXPECT_EQ(site->log, QStringList{"Ingen förändring på " + kPnr});
}

TEST_P(PersonSyncTest, SurnameTooLongForTheColumn)
{
    const QString longName = QString("Andersson-Lindqvist-Östergren-Karlberg-Nordenstam-Ek"); // 51 > 40
    Q7Person p{kSsn};
    p.surname = longName;
    site->addQ7(p);
    site->addKunder(7, kPnr, existing({{"EFTERNAMN", longName.left(40)}}));
    EXPECT_EQ(sync(true, [](auto& c) { c.showBalloons = true; }), 7);
    EXPECT_EQ(site->log, QStringList{"Ingen förändring på " + kPnr});
    EXPECT_TRUE(dialogs().contains("Datasträngen från Q7: " + longName +
                                   "\rfår inte plats i fältet EFTERNAMN i Orvanas databas!\rFältlängd för EFTERNAMN=40\r"))
        << dialogs().join("|").toStdString();

    // A different name is written cut to the column, and then counts as equal.
    site->log.clear();
    QSqlQuery(site->journal).exec("UPDATE KUNDER SET EFTERNAMN = 'Berg'");
    EXPECT_EQ(sync(true), 7);
    EXPECT_EQ(site->kunder(kPnr)["EFTERNAMN"].toString(), longName.left(40));
    EXPECT_EQ(sync(true), 7);
    EXPECT_EQ(site->log, (QStringList{"Uppdaterat " + kPnr, "Ingen förändring på " + kPnr}));
}

// The cut never splits a character: not a surrogate pair, not a letter from
// its combining accent. The cut copy then counts as equal at the next sync.
TEST_P(PersonSyncTest, LongTextsAreCutBetweenCharacters)
{
    const QString a39(39, u'a');
    struct Case {
        const char* name;
        QString q7, stored;
    } cases[] = {
        {"emoji ending at the limit", a39 + QStringLiteral("\U0001F600bc"), a39 + QStringLiteral("\U0001F600")},
        {"emoji across the limit", a39 + u'a' + QStringLiteral("\U0001F600"), a39 + u'a'},
        {"accent after the limit", a39 + QStringLiteral("e\u0301xyz"), a39},
        {"letters outside ASCII count once", QString(41, u'å'), QString(40, u'å')},
    };
    int patientnr = 7;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        site->log.clear();
        const QString ssn = QStringLiteral("1980050712%1").arg(patientnr, 2, 10, QLatin1Char('0'));
        const QString pnr = ssn.left(8) + u'-' + ssn.mid(8);
        Q7Person p{ssn};
        p.surname = c.q7;
        site->addQ7(p);
        site->addKunder(patientnr, pnr, existing({{"EFTERNAMN", "Berg"}}));
        app::TPersonSync first(site->context());
        EXPECT_EQ(first.AddOrEditPersonFromQ7ToHalden32(pnr, true), patientnr);
        EXPECT_EQ(site->kunder(pnr)["EFTERNAMN"].toString(), c.stored);
        app::TPersonSync second(site->context());
        EXPECT_EQ(second.AddOrEditPersonFromQ7ToHalden32(pnr, true), patientnr);
        EXPECT_EQ(site->log, (QStringList{"Uppdaterat " + pnr, "Ingen förändring på " + pnr}));
        ++patientnr;
    }
}

TEST_P(PersonSyncTest, EmptyFieldIsNoCutCopyOfALongText)
{
    Q7Person p{kSsn};
    p.surname = QString(45, 'x');
    site->addQ7(p);
    site->addKunder(7, kPnr, existing({{"EFTERNAMN", ""}}));
    EXPECT_EQ(sync(true), 7);
    EXPECT_EQ(site->kunder(kPnr)["EFTERNAMN"].toString(), QString(40, 'x'));
}

TEST_P(PersonSyncTest, DifferenceBalloonNamesColumnAndStoredText)
{
    Q7Person p{kSsn};
    p.forename = "Anne";
    site->addQ7(p);
    site->addKunder(7, kPnr, existing());
    sync(true, [](auto& c) { c.showBalloons = true; });
    EXPECT_EQ(dialogs(), QStringList{"Datasträngen från Q7: Anne\rskiljer sig från Orvanas databas: F_RNAMN=Anna\r"});
}

TEST_P(PersonSyncTest, TwoContactsOfOneTypeGoIntoTheNotesOnce)
{
    site->addQ7(Q7Person{kSsn});
    site->addContact(kSsn, 3, "070-1111111");
    site->addContact(kSsn, 3, "070-2222222");
    site->addKunder(7, kPnr, existing());
    const auto contacts = [](auto& c) { c.useContactTypes = true; };
    EXPECT_EQ(sync(true, contacts), 7);
    EXPECT_EQ(sync(true, contacts), 7);
    EXPECT_EQ(site->log, (QStringList{"Uppdaterat " + kPnr, "Ingen förändring på " + kPnr}));
    const QVariantMap row = site->kunder(kPnr);
    EXPECT_EQ(row["TEL2"].toString(), "070-1111111");
    EXPECT_EQ(row["NOTERINGAR"].toString(), "Gammal notering\rMobil: 070-2222222");
}

TEST_P(PersonSyncTest, ContactMappingFromTheSystemRegisterThenTheOldTableThenDefaults)
{
    site->addQ7(Q7Person{kSsn});
    site->addContact(kSsn, 3, "070-1111111");
    site->addContact(kSsn, 6, "anna@example.se");
    site->addContact(kSsn, 1, "090-999999");
    site->counters->SetDataText(app::kContactTypesTable, "EMAIL", 3);     // saved by the dialog
    site->counters->SetDataText(app::kOldContactTypesTable, "TEL2NOT", 6); // the older table
    EXPECT_EQ(sync(true, [](auto& c) { c.useContactTypes = true; }), 1);
    const QVariantMap row = site->kunder(kPnr);
    EXPECT_EQ(row["EMAIL"].toString(), "070-1111111");
    EXPECT_EQ(row["TEL2NOT"].toString(), "anna@example.se");
    EXPECT_EQ(row["TEL1NOT"].toString(), "090-999999");
    EXPECT_TRUE(row["TEL2"].isNull());
}

TEST_P(PersonSyncTest, AnsweringNoWritesNothingButGivesTheNumber)
{
    Q7Person p{kSsn};
    p.town = "Luleå";
    site->addQ7(p);
    site->addKunder(7, kPnr, existing());
    env.dialogs.answer = 1; // No
    EXPECT_EQ(sync(false, [](auto& c) { c.askBeforeUpdate = true; }), 7);
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_EQ(env.dialogs.shown[0].kind, toolkit::DialogKind::Confirmation);
    EXPECT_EQ(site->kunder(kPnr)["ORT"].toString(), "Umeå");
    env.dialogs.answer = 0; // Yes
    EXPECT_EQ(sync(false, [](auto& c) { c.askBeforeUpdate = true; }), 7);
    EXPECT_EQ(site->kunder(kPnr)["ORT"].toString(), "Luleå");
}

TEST_P(PersonSyncTest, QuietModeShowsNoDialogForAnyOutcome)
{
    Q7Person p{kSsn};
    p.town = "Luleå";
    site->addQ7(p);
    site->addKunder(7, kPnr, existing());
    const auto quietAsking = [](auto& c) { c.askBeforeUpdate = true; };
    EXPECT_EQ(sync(true, quietAsking), 7);                    // changed, not asked
    EXPECT_EQ(site->kunder(kPnr)["ORT"].toString(), "Luleå");
    app::TPersonSync s(site->context());
    EXPECT_EQ(s.AddOrEditPersonFromQ7ToHalden32("19991231-0000", true), 0); // missing in Q7
    site->q7Exec("DROP TABLE Contact_Details");
    EXPECT_EQ(sync(true), -1); // error
    EXPECT_TRUE(env.dialogs.shown.empty());
    ASSERT_EQ(site->log.size(), 3);
    EXPECT_EQ(site->log[1], "Ingen patient med personnumret 199912310000 i Q7:s databas");
    EXPECT_TRUE(site->log[2].startsWith("Det gick inte att hämta personuppgifter från Q7!\r\r"));
    EXPECT_EQ(site->errors, 1);
}

TEST_P(PersonSyncTest, InteractiveMissingPatientAndErrorAreShown)
{
    EXPECT_EQ(sync(false), 0);
    site->q7Exec("DROP TABLE Person");
    EXPECT_EQ(sync(false), -1);
    ASSERT_EQ(dialogs().size(), 2);
    EXPECT_EQ(dialogs()[0], "Ingen patient med personnumret " + kSsn + " i Q7:s databas");
    EXPECT_TRUE(dialogs()[1].startsWith("Det gick inte att hämta personuppgifter från Q7!\r\r"));
    EXPECT_TRUE(site->log.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Engines, PersonSyncTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return std::string(dbtest::EngineName(info.param)); });
