// The patient lookup and the commands to Orvana, on SQLite and PostgreSQL.

#include "app/database/JournalSchema.h"
#include "app/floater/CountTile.h"
#include "app/floater/FloaterLookup.h"
#include "app/floater/TQ7FloaterFrmOrvana.h"
#include "platform/memory/MemoryDesktop.h"
#include "tests/db/DbTestSupport.h"
#include "toolkit/core/Settings.h"
#include "toolkit/db/SqlConnections.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSqlError>
#include <QSqlQuery>

using namespace floater;
using dbtest::Engine;

namespace {

struct RecordingSync : PersonSync {
    std::vector<QString> calls;
    std::function<void(const QString&)> onCall;
    int result = 0;
    int AddOrEditPersonFromQ7ToHalden32(const QString& personnr, bool quiet) override
    {
        EXPECT_FALSE(quiet);
        calls.push_back(personnr);
        if (onCall)
            onCall(personnr);
        return result;
    }
};

struct FakeDicom : DicomImageManager {
    std::vector<std::pair<QString, QString>> objects; // modality, study date
    QString askedFor;
    int GetDicomDataSetCount(const QString& patientId) override
    {
        askedFor = patientId;
        return static_cast<int>(objects.size());
    }
    void FillDataset(const QString&, const QStringList&, images::TKxVirtualTable& table) override
    {
        int n = 0;
        for (const auto& [modality, date] : objects) {
            const int row = table.Append();
            table.SetValue(row, "Modality", modality);
            table.SetValue(row, "StudyDate", date);
            table.SetValue(row, "SOPInstanceUID", "1.2.3." + QString::number(++n));
        }
    }
};

class LookupTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        scratch = std::make_unique<dbtest::ScratchDatabase>(GetParam(), env.dir.path());
        if (!scratch->available())
            GTEST_SKIP() << "PostgreSQL is not running for the tests";
        db = scratch->open("lookup");
        QString error;
        ASSERT_TRUE(app::CreateTables(db, app::JournalSchemaStatements(toolkit::DialectOf(db)), &error))
            << error.toStdString();
        dbtest::Exec(db, {"INSERT INTO PATBILDKATALOG (BILDKATALOG, BESKRIVNING) VALUES (1, 'Bilder')"});
        orvanaApp = desktop.add(0, "TApplication", "Orvana");
        orvanaForm = desktop.add(0, "TOrvanaMainform", "Orvana");
        window = std::make_unique<TQ7FloaterFrmOrvana>(&desktop, QStringList{});
        lookup().setJournal(db, switches);
        lookup().setPersonSync(&sync);
    }
    void TearDown() override
    {
        window.reset();
        db = QSqlDatabase();
        toolkit::RemoveConnection("lookup");
    }

    FloaterLookup& lookup() { return window->floaterLookup(); }
    void patient(int nr, const QString& personnr, const QString& first, const QString& last,
                 const QString& locked = "F")
    {
        QSqlQuery q(db);
        q.prepare("INSERT INTO KUNDER (PATIENTNR, PERSONNR, F_RNAMN, EFTERNAMN, PATLOCKED) VALUES (?, ?, ?, ?, ?)");
        for (const QVariant& v : {QVariant(nr), QVariant(personnr), QVariant(first), QVariant(last), QVariant(locked)})
            q.addBindValue(v);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    void picture(int lopnr, int patientnr, int bildflik)
    {
        QSqlQuery q(db);
        q.prepare("INSERT INTO PATBILDER (LOPNR, PATIENTNR, DATUM, BILDNAMN, BILDKATDIR, BILDFLIK, BILDKATALOG)"
                  " VALUES (?, ?, ?, ?, ?, ?, 1)");
        for (const QVariant& v : {QVariant(lopnr), QVariant(patientnr), QVariant(QDate(2024, 3, lopnr % 28 + 1)),
                                  QVariant(QString("%1_%2.jpg").arg(patientnr).arg(lopnr)), QVariant("/bilder"),
                                  QVariant(bildflik)})
            q.addBindValue(v);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    void unlock(int patientnr, const QVariant& slutdatum)
    {
        QSqlQuery q(db);
        q.prepare("INSERT INTO UNLOCKEDKLINIKER (PATIENTNR, KLINIKNR, SLUTDATUM) VALUES (?, 0, ?)");
        q.addBindValue(patientnr);
        q.addBindValue(slutdatum);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    QStringList tileCaptions()
    {
        QStringList out;
        for (int i = 0; i < 6; ++i)
            out << window->tile(i)->caption();
        return out;
    }
    int sentCount(platform::MessageId msg) const
    {
        return static_cast<int>(std::count_if(desktop.sent.begin(), desktop.sent.end(),
                                              [&](const auto& s) { return s.message.id == msg; }));
    }

    dbtest::Environment env;
    std::unique_ptr<dbtest::ScratchDatabase> scratch;
    QSqlDatabase db;
    platform::MemoryDesktop desktop;
    platform::WindowId orvanaApp = 0, orvanaForm = 0;
    app::SiteSwitches switches{true, false, false, false, false, false, false};
    RecordingSync sync;
    std::unique_ptr<TQ7FloaterFrmOrvana> window;
};

} // namespace

TEST_P(LookupTest, TwoPatientsSharingTheTenDigitFormAreNotChosenBetween)
{
    patient(1, "19121212-1212", "Tolvan", "Tolvansson");
    patient(2, "20121212-1212", "Nolla", "Nollsson");
    lookup().LookupPatient("121212-1212", true);
    EXPECT_EQ(window->messageText(), "Det finns 2 pat med sökt persnr");
    EXPECT_EQ(window->patientLabel(), "121212-1212");
    EXPECT_EQ(window->trayIconIndex(), 0);
    EXPECT_EQ(window->frontLayer(), Layer::Message);
    EXPECT_EQ(lookup().patientQuery().parameter, "%121212-1212%");
}

TEST_P(LookupTest, LockStateFollowsTheUnlockRowsEndDate)
{
    struct Case {
        QVariant slutdatum;
        bool unlockRow;
        QString caption;
        QString barColor;
    } cases[] = {
        {QDateTime::currentDateTime().addDays(-1), true, QStringLiteral("Låst patient:"), "#ff0000"},
        {QDateTime::currentDateTime().addDays(1), true, QStringLiteral("Upplåst patient:"), "#008000"},
        {QVariant(QMetaType::fromType<QDateTime>()), true, QStringLiteral("Upplåst patient:"), "#008000"},
        {{}, false, QStringLiteral("Låst patient:"), "#ff0000"},
    };
    int nr = 10;
    for (const auto& c : cases) {
        const QString pnr = QString("1950010%1-1234").arg(nr - 10);
        patient(nr, pnr, "Låst", "Patient", "T");
        picture(nr, nr, 1);
        if (c.unlockRow)
            unlock(nr, c.slutdatum);
        lookup().LookupPatient(pnr.toStdString(), true);
        EXPECT_EQ(window->patientBarCaption(), c.caption) << nr;
        EXPECT_EQ(window->stateSnapshot()["patientBarColor"].toString(), c.barColor) << nr;
        // A locked patient's pictures are counted but not listed.
        EXPECT_EQ(window->tile(1)->menu()->isEmpty(), c.caption == QStringLiteral("Låst patient:")) << nr;
        ++nr;
    }
}

TEST_P(LookupTest, ThreeXRaysOnly)
{
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    for (int i = 1; i <= 3; ++i)
        picture(i, 5, 3);
    lookup().LookupPatient("pnr=191212121212", true);
    EXPECT_EQ(window->trackingState().currentPersonalNumber, "19121212-1212");
    EXPECT_EQ(window->patientLabel(), "Tolvan Tolvansson");
    EXPECT_EQ(window->countLabel(), "Antal bilder: 3");
    EXPECT_EQ(window->stateSnapshot()["countColor"].toString(), "#00ff00");
    EXPECT_EQ(tileCaptions(), (QStringList{"", "", "", "3", "", ""}));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(window->tile(i)->color(), i == 3 ? QColor(0, 255, 0) : QColor(192, 192, 192)) << i;
        EXPECT_EQ(window->tile(i)->titleColor(), i == 3 ? QColor(Qt::white) : QColor(Qt::black)) << i;
    }
    EXPECT_EQ(window->frontLayer(), Layer::Category);
    EXPECT_EQ(window->trayIconIndex(), 1);
    EXPECT_EQ(window->trayHint(), "Tolvan Tolvansson\rAntal bilder: 3");
    QMenu* xray = window->tile(3)->menu();
    ASSERT_EQ(xray->actions().size(), 3);
    EXPECT_EQ(xray->actions()[0]->toolTip(), "/bilder/5_1.jpg");
    EXPECT_EQ(xray->actions()[0]->data().toInt(), 3);
}

TEST_P(LookupTest, PicturesNotAllowedLeavesMenusEmptyButCounts)
{
    switches.AllowFloaterReadPics = false;
    lookup().setJournal(db, switches);
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    picture(1, 5, 0);
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_EQ(window->tile(0)->caption(), "1");
    EXPECT_TRUE(window->tile(0)->menu()->isEmpty());
}

TEST_P(LookupTest, NoPicturesAndNoPatient)
{
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_EQ(window->messageText(), "Inga bilder sparade i Orvana");
    EXPECT_EQ(window->frontLayer(), Layer::Message);
    EXPECT_EQ(window->countLabel(), "Antal bilder: 0");

    lookup().LookupPatient("19990101-0000", true);
    EXPECT_EQ(window->messageText(), "Patienten finns ej i Orvana");
    EXPECT_EQ(window->patientLabel(), "19990101-0000");
    EXPECT_EQ(window->trayHint(), "Patienten finns ej i Orvana");
    EXPECT_EQ(window->trayIconIndex(), 0);
    EXPECT_TRUE(sync.calls.empty()); // the realtime option is off
}

TEST_P(LookupTest, SamePatientTwiceWithPushSendsOnce)
{
    window->optionAction(Option::ChangePatInOrvanaRealtime)->trigger();
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    sync.result = 5;
    lookup().LookupPatient("19121212-1212", true);
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_EQ(sentCount(window->messages().setActivePatient), 1);
    EXPECT_EQ(desktop.sent.at(0).message.target, orvanaForm);
    EXPECT_EQ(desktop.sent.at(0).message.wParam, 5);
    EXPECT_EQ(lookup().lastPushedPatient(), 5);
    // A hand-over is never pushed.
    patient(6, "19121213-1213", "Other", "One");
    lookup().LookupPatient("19121213-1213", false);
    EXPECT_EQ(sentCount(window->messages().setActivePatient), 1);
}

TEST_P(LookupTest, MissingPatientWithRealtimeIsCreatedThroughTheSyncAndShown)
{
    window->optionAction(Option::ChangePatInOrvanaRealtime)->trigger();
    // The first call creates the patient; the push after showing it updates.
    sync.onCall = [&](const QString& personnr) {
        if (sync.calls.size() == 1)
            patient(7, personnr, "Ny", "Patient");
    };
    sync.result = 7;
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_EQ(sync.calls, (std::vector<QString>{"19121212-1212", "19121212-1212"}));
    EXPECT_EQ(window->patientLabel(), "Ny Patient");
    ASSERT_EQ(sentCount(window->messages().setActivePatient), 1);
    EXPECT_EQ(desktop.sent.back().message.wParam, 7);
}

TEST_P(LookupTest, WildcardsInTheNumberAreOnlyAValue)
{
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    patient(6, "19121213-1213", "Other", "One");
    lookup().LookupPatient("19121212-1212' OR '1'='1", true);
    EXPECT_EQ(window->messageText(), "Patienten finns ej i Orvana");
    dbtest::Exec(db, {"SELECT 1 FROM KUNDER"}); // the table is still there
}

TEST_P(LookupTest, LostConnectionSaysSoAndTheNextLookupWorksAgain)
{
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    lookup().LookupPatient("19121212-1212", true);
    db.close();
    env.dialogs.shown.clear();
    lookup().LookupPatient("19121213-1213", true);
    lookup().LookupPatient("19121214-1214", true);
    ASSERT_EQ(env.dialogs.shown.size(), 2u);
    const QString box = "Det gick inte att öppna tabellen KUNDER!\r\r";
    for (const auto& shown : env.dialogs.shown) // each one says what failed
        EXPECT_TRUE(shown.text.startsWith(box) && shown.text.size() > box.size()) << shown.text.toStdString();
    EXPECT_EQ(window->patientLabel(), "Tolvan Tolvansson"); // the display keeps what it had
    EXPECT_FALSE(lookup().patientQuery().open);
    ASSERT_TRUE(db.open());
    lookup().setJournal(db, switches);
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_TRUE(lookup().patientQuery().open);
}

TEST_P(LookupTest, GoToOrvanaAndTileDoubleClicks)
{
    // Before any lookup: a plain SET_ACTIVE_PATIENT 0.
    lookup().BitBtn1Click();
    ASSERT_EQ(desktop.sent.size(), 1u);
    EXPECT_EQ(desktop.sent[0].message.wParam, 0);
    lookup().CategoryTileDoubleClick(3); // nothing while the query is not open
    EXPECT_EQ(desktop.sent.size(), 1u);

    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    lookup().LookupPatient("19121212-1212", true);
    sync.result = 5;
    lookup().BitBtn1Click();
    EXPECT_EQ(sync.calls.back(), "19121212-1212");
    EXPECT_EQ(desktop.sent.back().message.id, window->messages().setActivePatient);
    EXPECT_EQ(desktop.sent.back().message.wParam, 5);

    lookup().CategoryTileDoubleClick(3);
    EXPECT_EQ(desktop.sent.back().message.id, window->messages().setActiveBildflik);
    EXPECT_EQ(desktop.sent.back().message.wParam, 3);
    EXPECT_EQ(desktop.sent.back().message.lParam, 5);
}

TEST_P(LookupTest, GoToOrvanaForAMissingPatientAsksFirst)
{
    lookup().LookupPatient("19990101-0000", true);
    env.dialogs.answer = 1; // Nej
    lookup().BitBtn1Click();
    EXPECT_TRUE(sync.calls.empty());
    EXPECT_TRUE(desktop.sent.empty());
    EXPECT_EQ(env.dialogs.shown.back().text, "Patienten finns ej i Orvana!\r\rVill du lägga till den?");
    env.dialogs.answer = 0; // Ja
    lookup().BitBtn1Click();
    EXPECT_EQ(sync.calls.size(), 1u);
    EXPECT_EQ(desktop.sent.size(), 1u);
}

TEST_P(LookupTest, DicomObjectsCountAndFillTheModalityRow)
{
    FakeDicom dicom;
    dicom.objects = {{"CR", "20240101"}, {"IO", "20240102"}, {"CR", "20240103"}};
    switches.dicomEnabled = true;
    lookup().setJournal(db, switches);
    lookup().setDicomManager(&dicom);
    window->show();
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    picture(1, 5, 3);
    picture(2, 5, 3);
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_EQ(dicom.askedFor, "19121212-1212");
    EXPECT_EQ(window->countLabel(), "Antal bilder: 5");
    EXPECT_EQ(window->tile(5)->caption(), "3");
    ASSERT_TRUE(window->modalityRowVisible());
    EXPECT_EQ(window->height(), 138);
    CountTile* cr = window->modalityTile("CR");
    CountTile* io = window->modalityTile("IO");
    ASSERT_TRUE(cr && io);
    EXPECT_EQ(cr->caption(), "2");
    EXPECT_EQ(io->caption(), "1");
    EXPECT_EQ(cr->color(), QColor(0, 255, 0));
    ASSERT_EQ(cr->menu()->actions().size(), 2);
    EXPECT_EQ(cr->menu()->actions()[1]->text(), "20240103");
    EXPECT_EQ(cr->menu()->actions()[1]->toolTip(), "1.2.3.3");

    emit cr->doubleClicked();
    EXPECT_EQ(desktop.sent.back().message.id, window->messages().setActiveBildflik);
    EXPECT_EQ(desktop.sent.back().message.wParam, -1);
    EXPECT_EQ(desktop.sent.back().atomText, "Modality - CR");

    // The next lookup rebuilds the row; without "Visa separat Dicom-info" it stays hidden.
    window->optionAction(Option::ShowDICOMInfo)->trigger();
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_FALSE(window->modalityRowVisible());
    EXPECT_EQ(window->modalityTile("CR"), nullptr);
    EXPECT_EQ(window->tile(5)->caption(), "3");
}

INSTANTIATE_TEST_SUITE_P(Engines, LookupTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return std::string(dbtest::EngineName(info.param)); });

TEST(LockRule, Table)
{
    const QDateTime now(QDate(2026, 12, 11), QTime(12, 0));
    struct Case { const char* patlocked; bool kliniknrNull; std::optional<QDateTime> end; app::LockState expected; } cases[] = {
        {"F", true, std::nullopt, app::LockState::Normal},
        {"", false, now.addDays(-1), app::LockState::Normal},
        {"T", true, std::nullopt, app::LockState::Locked},
        {"T", false, now.addDays(-1), app::LockState::Locked},
        {"T", false, now.addSecs(60), app::LockState::Unlocked},
        {"T", false, std::nullopt, app::LockState::Unlocked},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::LockStateOf(c.patlocked, c.kliniknrNull, c.end, now), c.expected) << c.patlocked;
}
