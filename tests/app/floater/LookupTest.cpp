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
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

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

// A lookup lets messages run on its way. One asked for meanwhile (the
// journal coming back, an option switched on again) waits for it: run inside
// it, the first lookup's push would go out with the second patient's number.
TEST_P(LookupTest, ALookupAskedForDuringAnotherWaitsForIt)
{
    window->optionAction(Option::ChangePatInOrvanaRealtime)->trigger();
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    patient(6, "19121213-1213", "Other", "One");
    picture(1, 5, 3);
    sync.onCall = [&](const QString& personnr) { sync.result = personnr == "19121212-1212" ? 5 : 6; };
    QTimer::singleShot(0, window.get(), [&] { lookup().LookupPatient("19121213-1213", false); });
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_EQ(sync.calls, std::vector<QString>{"19121212-1212"});
    ASSERT_EQ(sentCount(window->messages().setActivePatient), 1);
    EXPECT_EQ(desktop.sent.back().message.wParam, 5);
    EXPECT_EQ(window->patientLabel(), "Other One"); // the later lookup's display wins
    EXPECT_EQ(window->countLabel(), "Antal bilder: 0");
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

// Ends the journal connection under the floater, as a server restart does.
void loseConnection(QSqlDatabase& db, dbtest::Engine engine, const dbtest::ScratchDatabase& scratch)
{
    if (engine == Engine::SQLite) {
        db.close();
        return;
    }
    QSqlDatabase admin = scratch.open("lookup-admin");
    dbtest::Exec(admin, {"SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                         " WHERE datname = current_database() AND pid <> pg_backend_pid()"});
    admin = QSqlDatabase();
    toolkit::RemoveConnection("lookup-admin");
}

bool waitUntil(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST_P(LookupTest, LostConnectionBlanksTheDisplayAndTheCurrentPatientComesBackWithIt)
{
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    patient(6, "19121213-1213", "Other", "One");
    picture(1, 5, 3);
    lookup().setReconnectBackoff({300, 600});
    lookup().LookupPatient("19121212-1212", true);
    ASSERT_EQ(window->patientLabel(), "Tolvan Tolvansson");
    const std::size_t boxesBefore = env.dialogs.shown.size();

    loseConnection(db, GetParam(), *scratch);
    lookup().LookupPatient("19121213-1213", true);
    ASSERT_EQ(env.dialogs.shown.size(), boxesBefore + 1);
    const QString box = "Det gick inte att öppna tabellen KUNDER!\r\r";
    const QString shown = env.dialogs.shown.back().text;
    EXPECT_TRUE(shown.startsWith(box) && shown.size() > box.size()) << shown.toStdString(); // says what failed
    EXPECT_EQ(window->patientLabel(), "(ingen hittad)");
    EXPECT_EQ(window->countLabel(), "Antal bilder: 0");
    EXPECT_EQ(window->tile(3)->caption(), "");
    EXPECT_TRUE(window->tile(3)->menu()->isEmpty());
    EXPECT_EQ(window->trayHint(), "Ingen förbindelse med journaldatabasen");
    EXPECT_EQ(window->frontLayer(), Layer::Message);
    EXPECT_FALSE(lookup().patientQuery().open);
    EXPECT_TRUE(lookup().reconnecting());

    // Q7 moves on while the journal is away: no second box. Then the
    // connection comes back by itself and the patient Q7 shows now is shown.
    lookup().LookupPatient("19121212-1212", true);
    EXPECT_EQ(env.dialogs.shown.size(), boxesBefore + 1);
    EXPECT_EQ(window->patientLabel(), "(ingen hittad)");
    ASSERT_TRUE(waitUntil([&] { return !lookup().reconnecting(); }));
    EXPECT_EQ(window->patientLabel(), "Tolvan Tolvansson");
    EXPECT_EQ(window->tile(3)->caption(), "1");
    EXPECT_TRUE(lookup().patientQuery().open);
    EXPECT_EQ(env.dialogs.shown.size(), boxesBefore + 1);
}

TEST(Reconnect, PausesDoubleUpToTheLimit)
{
    const app::Backoff backoff{1000, 30000};
    struct Case { int pause, next; } cases[] = {{0, 1000}, {1000, 2000}, {8000, 16000}, {16000, 30000}, {30000, 30000}};
    for (const auto& c : cases)
        EXPECT_EQ(backoff.after(c.pause), c.next) << c.pause;
}

// Whatever the floater shows belongs to the patient named in it, or is blank:
// after every way a lookup can end, the state file holds nothing of the
// patient shown before.
TEST_P(LookupTest, NothingOfTheEarlierPatientStaysWhateverWayTheNextLookupEnds)
{
    const QString stateFile = env.dir.filePath("state.json");
    window->setStateFile(stateFile);
    lookup().setReconnectBackoff({60000, 60000}); // the outage lasts the whole case
    // The earlier patient: seven extra-oral pictures, counts no one else has.
    patient(5, "19450505-5555", "Tidigare", "Patient");
    for (int i = 1; i <= 7; ++i)
        picture(i, 5, 2);
    patient(6, "19121212-1212", "Ny", "Patient");
    picture(20, 6, 0);
    patient(7, "19300303-3333", "Spärrad", "Patient", "T");
    picture(21, 7, 1);
    patient(8, "19400404-4444", "Dubbel", "Ett");
    patient(9, "19400404-4444", "Dubbel", "Två");

    const auto renamed = [this](const char* from, const char* to) {
        return [this, from, to] { dbtest::Exec(db, {QString("ALTER TABLE %1 RENAME TO %2").arg(from, to)}); };
    };
    const auto lookUp = [this](const char* number) {
        return [this, number] { lookup().LookupPatient(number, true); };
    };
    struct Case {
        const char* name;
        std::function<void()> before, lookup, after;
        QString patientLabel; // shows that the path ran
    } cases[] = {
        {"found", {}, lookUp("19121212-1212"), {}, "Ny Patient"},
        {"not found", {}, lookUp("19990101-0000"), {}, "19990101-0000"},
        {"several found", {}, lookUp("19400404-4444"), {}, "19400404-4444"},
        {"locked", {}, lookUp("19300303-3333"), {}, QStringLiteral("Spärrad Patient")},
        {"count query fails", renamed("PATBILDER", "PATBILDER_X"), lookUp("19121212-1212"),
         renamed("PATBILDER_X", "PATBILDER"), "Ny Patient"},
        {"lock query fails", renamed("UNLOCKEDKLINIKER", "UNLOCKED_X"), lookUp("19121212-1212"),
         renamed("UNLOCKED_X", "UNLOCKEDKLINIKER"), "Ny Patient"},
        {"wildcard", {}, lookUp("%"), {}, "(ingen hittad)"},
        {"connection lost", [&] { loseConnection(db, GetParam(), *scratch); }, lookUp("19121212-1212"),
         [&] {
             db.close();
             ASSERT_TRUE(db.open());
         },
         "(ingen hittad)"},
        {"patient information off",
         [&] { window->optionAction(Option::ShowPatInfo)->trigger(); }, lookUp("19300303-3333"), {},
         QStringLiteral("Spärrad Patient")},
        {"patient information on again", lookUp("19300303-3333"),
         [&] { window->optionAction(Option::ShowPatInfo)->trigger(); }, {}, QStringLiteral("Spärrad Patient")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lookup().LookupPatient("19450505-5555", true);
        ASSERT_EQ(window->countLabel(), "Antal bilder: 7");
        if (c.before)
            c.before();
        c.lookup();
        QFile f(stateFile);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        const QJsonObject state = QJsonDocument::fromJson(text).object();
        EXPECT_EQ(state["patientLabel"].toString(), c.patientLabel);
        for (const char* trace : {"Tidigare", "19450505-5555", "Antal bilder: 7", "/bilder/5_"})
            EXPECT_FALSE(text.contains(trace)) << trace << "\n" << text.toStdString();
        for (const QJsonValue& tile : state["tiles"].toArray())
            EXPECT_NE(tile["caption"].toString(), "7") << tile["title"].toString().toStdString();
        if (c.after)
            c.after();
    }
    // The locked patient shown after the option came back: counts, no pictures.
    EXPECT_EQ(window->tile(1)->caption(), "1");
    EXPECT_TRUE(window->tile(1)->menu()->isEmpty());
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

TEST_P(LookupTest, AFailedSyncSendsOrvanaNoPatientAndSaysSo)
{
    patient(5, "19121212-1212", "Tolvan", "Tolvansson");
    sync.result = -1;
    window->optionAction(Option::ChangePatInOrvanaRealtime)->trigger();
    struct Case { const char* number; } cases[] = {{"19121212-1212"}, {"19990101-0000"}}; // one row, none
    for (const auto& c : cases) {
        lookup().LookupPatient(c.number, true); // the realtime push fails too
        const std::size_t boxes = env.dialogs.shown.size();
        lookup().BitBtn1Click();
        EXPECT_EQ(sentCount(window->messages().setActivePatient), 0) << c.number;
        ASSERT_GT(env.dialogs.shown.size(), boxes) << c.number;
        EXPECT_TRUE(env.dialogs.shown.back().text.startsWith("Det gick inte att öppna aktuell patient!\r\r"))
            << c.number;
    }
    EXPECT_EQ(lookup().lastPushedPatient(), 0);
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
