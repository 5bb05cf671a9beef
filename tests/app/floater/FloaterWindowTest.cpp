#include "FloaterTestSupport.h"

#include "app/floater/FloaterOptions.h"
#include "app/floater/TQ7FloaterFrmOrvana.h"
#include "platform/memory/MemoryDesktop.h"
#include "toolkit/Dialogs.h"
#include "toolkit/core/TervalenUser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QJsonObject>
#include <QMenu>
#include <QScreen>

using namespace floater;
using floater_test::TempSettings;

namespace {

class FloaterWindowTest : public ::testing::Test {
protected:
    TempSettings settings;
    platform::MemoryDesktop desktop;
};

struct RecordingLookup : app::PatientLookup {
    std::vector<std::pair<std::string, bool>> calls;
    void LookupPatient(const std::string& number, bool push) override { calls.emplace_back(number, push); }
};

QStringList actionTexts(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

} // namespace

TEST_F(FloaterWindowTest, StartsWithTheEmptyFace)
{
    TQ7FloaterFrmOrvana w(&desktop, {});
    EXPECT_EQ(w.patientBarCaption(), "Aktuell patient:");
    EXPECT_EQ(w.patientLabel(), "(ingen)");
    EXPECT_EQ(w.countLabel(), "Antal bilder: 0");
    EXPECT_EQ(w.frontLayer(), Layer::Message);
    QStringList titles;
    for (int i = 0; i < 6; ++i)
        titles << w.tile(i)->title();
    EXPECT_EQ(titles, (QStringList{"Bilder", "Intraor.", "Extraor.", QStringLiteral("Röntgen"),
                                   QStringLiteral("Övriga"), "Dicom"}));
    EXPECT_EQ(w.width(), 240);
    EXPECT_FALSE(w.modalityRowVisible());
    // Missing start parameters are written empty (an empty value reads as absent,
    // so look at the stored value itself).
    const std::string key = std::string(toolkit::kSettingsRoot) + toolkit::InstallKey() + "Q7FloaterOrvana";
    for (const auto root : {toolkit::RegistryRoot::CurrentUser, toolkit::RegistryRoot::LocalMachine}) {
        const auto stored = toolkit::registry().queryValue(root, key, "OrvanaStartParameters");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(toolkit::ReadRegistryText(root, key, "OrvanaStartParameters"), "");
    }
    EXPECT_EQ(toolkit::ReadSetting("KlientSettings", "Style"), "Windows");
    const toolkit::TTervalenUser& user = toolkit::CurrentUser();
    EXPECT_TRUE(user.userTypeIsReadOnly);
    EXPECT_FALSE(user.UserHasSignRights);
    EXPECT_FALSE(user.UserhasDeleteDicomDirRights);
    EXPECT_EQ(user.currentUserPersonnr, "Q7FloaterOrvana");
    EXPECT_EQ(user.CurrentUserType, toolkit::UserType::utOrdinary);
}

TEST_F(FloaterWindowTest, StoredStartParametersAreKept)
{
    toolkit::WriteSetting("Q7FloaterOrvana", "OrvanaStartParameters", "/AUTO");
    TQ7FloaterFrmOrvana w(&desktop, {});
    EXPECT_EQ(toolkit::ReadSetting("Q7FloaterOrvana", "OrvanaStartParameters"), "/AUTO");
}

TEST_F(FloaterWindowTest, ShowCountNeedsItsSwitchCharacter)
{
    struct Case { QString arg; bool on; } cases[] = {
        {"-SHOWCOUNT", true}, {"/showcount", true}, {"SHOWCOUNT", false}, {"--SHOWCOUNT", false}};
    for (const auto& c : cases) {
        TQ7FloaterFrmOrvana w(&desktop, {c.arg});
        EXPECT_EQ(w.showCount(), c.on) << c.arg.toStdString();
    }
}

TEST_F(FloaterWindowTest, MenusInTheirOrder)
{
    TQ7FloaterFrmOrvana w(&desktop, {});
    EXPECT_EQ(actionTexts(w.optionsMenu()),
              (QStringList{QStringLiteral("Alltid överst"), "Starta minimerad", "Visa patientinformation",
                           QStringLiteral("Fråga innan patient läggs till/uppdateras"),
                           QStringLiteral("Byt/lägg till patient i Orvana direkt"), "Visa separat Dicom-info",
                           QStringLiteral("Visa ballonginfo om dataförändring")}));
    EXPECT_EQ(actionTexts(w.trayMenu()),
              (QStringList{QStringLiteral("Gå till Orvana"), "-", QStringLiteral("Visa formulär"), "-",
                           "Version:4.12.1", "-", "Avsluta"}));
    EXPECT_FALSE(w.trayMenu()->actions().at(4)->isEnabled());
}

TEST_F(FloaterWindowTest, OptionTogglesWriteMinusOneAndZero)
{
    TQ7FloaterFrmOrvana w(&desktop, {});
    for (const OptionInfo& info : optionTable()) {
        QAction* a = w.optionAction(info.option);
        EXPECT_EQ(a->isChecked(), info.defaultValue) << info.key;
        a->trigger();
        EXPECT_EQ(toolkit::ReadSetting(kSection, info.key), info.defaultValue ? "0" : "-1") << info.key;
        a->trigger();
        EXPECT_EQ(toolkit::ReadSetting(kSection, info.key), info.defaultValue ? "-1" : "0") << info.key;
    }
}

TEST_F(FloaterWindowTest, StoredOptionsAreReadAtCreation)
{
    toolkit::WriteSetting(kSection, "ShowPatInfo", "0");
    toolkit::WriteSetting(kSection, "ChangePatInOrvanaRealtime", "-1");
    TQ7FloaterFrmOrvana w(&desktop, {});
    EXPECT_FALSE(w.optionAction(Option::ShowPatInfo)->isChecked());
    EXPECT_TRUE(w.optionAction(Option::ChangePatInOrvanaRealtime)->isChecked());
    EXPECT_TRUE(w.compactLineVisible());
    EXPECT_EQ(w.height(), 33);
}

TEST_F(FloaterWindowTest, HeightFollowsTheVisibleAreas)
{
    TQ7FloaterFrmOrvana w(&desktop, {});
    w.show();
    EXPECT_EQ(w.height(), 102);
    w.setModalityRowVisible(true);
    EXPECT_EQ(w.height(), 138);
    w.optionAction(Option::ShowPatInfo)->trigger(); // off
    EXPECT_EQ(w.height(), 33);
    EXPECT_TRUE(w.compactLineVisible());
    w.setPatientLabel("Anna Andersson");
    EXPECT_EQ(w.stateSnapshot()["compactLine"].toString(), "Anna Andersson");
    w.optionAction(Option::ShowPatInfo)->trigger(); // on again
    EXPECT_FALSE(w.compactLineVisible());
    EXPECT_EQ(w.height(), 138);
    w.optionAction(Option::ShowDICOMInfo)->trigger(); // hides the modality row
    EXPECT_EQ(w.height(), 102);
    w.close();
}

TEST(FloaterHeight, Rule)
{
    struct Case { bool info, cat, mod; bool window; int value; } cases[] = {
        {false, true, true, true, 33}, {false, false, false, true, 33},
        {true, true, true, false, 138}, {true, true, false, false, 102}, {true, false, true, false, 102}};
    for (const auto& c : cases) {
        const HeightRule r = floaterHeight(c.info, c.cat, c.mod);
        EXPECT_EQ(r.windowHeight, c.window);
        EXPECT_EQ(r.value, c.value);
    }
}

TEST(Placement, Rule)
{
    struct Case { const char* stored; int screen, window, expected; } cases[] = {
        {"100", 1024, 240, 100},
        {"900", 1024, 240, 784},  // past the right edge: flush with it
        {"abc", 1024, 240, 392},  // not a number: centred
        {"", 1025, 241, 392},     // 1025 div 2 - 241 div 2
        {"-50", 1024, 240, -50},  // negative values stay
        {" 12 ", 1024, 240, 12},
    };
    for (const auto& c : cases)
        EXPECT_EQ(placeCoordinate(c.stored, c.screen, c.window), c.expected) << c.stored;
}

TEST_F(FloaterWindowTest, PositionIsStoredOnCloseAndUsedAtStart)
{
    toolkit::WriteSetting(kSection, "Formleft", "99999");
    toolkit::WriteSetting(kSection, "Formtop", "40");
    {
        TQ7FloaterFrmOrvana w(&desktop, {});
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(w.x(), screen.width() - 240);
        EXPECT_EQ(w.y(), 40);
        w.move(17, 23);
        w.close();
    }
    EXPECT_EQ(toolkit::ReadSetting(kSection, "Formleft"), "17");
    EXPECT_EQ(toolkit::ReadSetting(kSection, "Formtop"), "23");
}

TEST_F(FloaterWindowTest, HandOverMessageLooksUpWithoutPush)
{
    TQ7FloaterFrmOrvana w(&desktop, {});
    RecordingLookup recorder;
    auto& lookups = recorder.calls;
    w.setLookup(&recorder);
    const auto msg = w.messages().setActivePersonnr;
    // Only a whole personal number is looked up, trimmed; "%" would match everybody.
    struct Case { std::string atomText, looked; } cases[] = {
        {" 19121212-1212", "19121212-1212"}, {"191212121212 ", "191212121212"}, {"12345", ""},
        {"  123456 ", ""}, {"%", ""}, {"19121212-12_2", ""}, {"-4217", ""}};
    for (const auto& c : cases) {
        lookups.clear();
        w.DefaultHandler({0, msg, 0, desktop.addAtom(c.atomText)});
        ASSERT_EQ(lookups.size(), c.looked.empty() ? 0u : 1u) << c.atomText;
        if (!c.looked.empty()) {
            EXPECT_EQ(lookups[0].first, c.looked);
            EXPECT_FALSE(lookups[0].second);
        }
    }
    lookups.clear();
    w.DefaultHandler({0, msg, 0, 0});                                   // no atom
    w.DefaultHandler({0, w.messages().setActivePatient, 0, desktop.addAtom("19121212-1212")});
    EXPECT_TRUE(lookups.empty());
}

TEST_F(FloaterWindowTest, StateFileIsWrittenAsJson)
{
    const QString path = QString::fromStdString((settings.dir() / "state.json").string());
    TQ7FloaterFrmOrvana w(&desktop, {});
    w.setStateFile(path);
    w.setMessageText(QStringLiteral("Q7 är inte igång!"));
    w.trackingState().currentPersonalNumber = "19121212-1212";
    w.publishState();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonObject state = QJsonDocument::fromJson(f.readAll()).object();
    EXPECT_EQ(state["messageText"].toString(), QStringLiteral("Q7 är inte igång!"));
    EXPECT_EQ(state["patientLabel"].toString(), "(ingen)");
    EXPECT_EQ(state["frontLayer"].toString(), "message");
    EXPECT_EQ(state["currentPersonnr"].toString(), "19121212-1212");
    EXPECT_EQ(state["tiles"].toArray().size(), 6);
    EXPECT_EQ(state["trayIcon"].toInt(), 2);
}

// Each write is synced to disk, once a second while tracking: an unchanged
// state leaves the file alone, and a file that cannot be written is said once.
TEST_F(FloaterWindowTest, StateFileIsRewrittenOnlyWhenTheStateChanges)
{
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings << text; });
    const std::filesystem::path dir = settings.dir();
    std::ofstream(dir / "blocker") << "a file where a folder should be";
    struct Step {
        const char* message;  // the floater's message text before the pass
        bool rewritten;       // a new file stands at the path afterwards
    };
    const Step steps[] = {{"Q7 är inte igång!", true}, {"Q7 är inte igång!", false},
                          {"Q7 är igång", true}, {"Q7 är igång", false}};
    struct Case {
        std::filesystem::path file;
        bool writable;
    } cases[] = {{dir / "state.json", true}, {dir / "blocker" / "state.json", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.string());
        warnings.clear();
        TQ7FloaterFrmOrvana w(&desktop, {});
        w.setStateFile(QString::fromStdString(c.file.string()));
        struct stat before{};
        for (const Step& step : steps) {
            w.setMessageText(QString::fromUtf8(step.message));
            w.publishState();
            w.publishState();
            struct stat after{};
            const bool exists = ::stat(c.file.c_str(), &after) == 0;
            ASSERT_EQ(exists, c.writable);
            if (!exists)
                continue;
            EXPECT_EQ(after.st_ino != before.st_ino, step.rewritten) << step.message;
            before = after;
            QFile f(QString::fromStdString(c.file.string()));
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(QJsonDocument::fromJson(f.readAll()).object()["messageText"].toString(),
                      QString::fromUtf8(step.message));
        }
        const QStringList aboutFile = warnings.filter(QString::fromStdString(c.file.string()));
        EXPECT_EQ(aboutFile.size(), c.writable ? 0 : 1) << warnings.join(u'\n').toStdString();
    }
    qInstallMessageHandler(previous);
}

TEST_F(FloaterWindowTest, MissingManualSaysWhere)
{
    struct Presenter : toolkit::DialogPresenter {
        QString text;
        int show(toolkit::DialogKind, const QString&, const QString& t, const QStringList&) override
        {
            text = t;
            return 0;
        }
        void balloon(const QString&, const QString&, QWidget*, const QPoint&) override {}
    } presenter;
    toolkit::setDialogPresenter(&presenter);
    toolkit::WriteSetting("Q7FloaterOrvana", "OrvanaDirectory", settings.dir().string());
    TQ7FloaterFrmOrvana w(&desktop, {});
    w.openManual();
    toolkit::setDialogPresenter(nullptr);
    EXPECT_EQ(presenter.text,
              QStringLiteral("Hittade inte hjälpfilen!\r\rSe till att filen 'Användarmanual för "
                             "sammankoppling av Orvana och Q7.doc' finns i katalogen ") +
                  QString::fromStdString(settings.dir().string()));
    EXPECT_TRUE(desktop.shellCalls.empty());
}

TEST_F(FloaterWindowTest, TrackingPassWithoutQ7ResetsTheDisplay)
{
    TQ7FloaterFrmOrvana w(&desktop, {});
    w.trackingState().currentPersonalNumber = "19121212-1212";
    w.setPatientLabel("Anna Andersson");
    w.Timer3Timer();
    EXPECT_EQ(w.messageText(), QStringLiteral("Q7 är inte igång!"));
    EXPECT_EQ(w.patientLabel(), "(ingen hittad)");
    EXPECT_EQ(w.countLabel(), "Antal bilder: 0");
    EXPECT_EQ(w.trayIconIndex(), 2);
    EXPECT_EQ(w.trayHint(), QStringLiteral("Q7 är inte igång!"));
    EXPECT_EQ(w.frontLayer(), Layer::Message);
    EXPECT_TRUE(w.trackingState().currentPersonalNumber.empty());
    const QJsonObject lamp = w.stateSnapshot()["ocrLamp"].toObject();
    EXPECT_TRUE(lamp["visible"].toBool());
    EXPECT_EQ(lamp["color"].toString(), "#00ff00");
}

TEST_F(FloaterWindowTest, TrackingPassHandsAShownPatientToTheLookupOnce)
{
    const auto q7 = desktop.add(0, "Q7Main", "Q7 Kliniksystem");
    const auto mdi = desktop.add(q7, "MDIClient", "");
    const auto doc = desktop.add(mdi, "Q7Doc", "Patient");
    desktop.add(doc, "Edit", "19121212-1212");
    desktop.window(mdi).mdiActive = doc;
    TQ7FloaterFrmOrvana w(&desktop, {});
    // Without a journal the lookup says it cannot open KUNDER, after storing the number.
    struct Presenter : toolkit::DialogPresenter {
        QStringList texts;
        int show(toolkit::DialogKind, const QString&, const QString& t, const QStringList&) override
        {
            texts << t;
            return 0;
        }
        void balloon(const QString&, const QString&, QWidget*, const QPoint&) override {}
    } presenter;
    toolkit::setDialogPresenter(&presenter);
    w.Timer3Timer();
    w.Timer3Timer();
    toolkit::setDialogPresenter(nullptr);
    ASSERT_EQ(presenter.texts.size(), 1);
    EXPECT_TRUE(presenter.texts[0].startsWith(QStringLiteral("Det gick inte att öppna tabellen KUNDER!")));
    EXPECT_EQ(w.stateSnapshot()["currentPersonnr"].toString(), "19121212-1212");
    EXPECT_EQ(w.stateSnapshot()["lastLookedUp"].toString(), "19121212-1212");
    EXPECT_FALSE(w.stateSnapshot()["ocrLamp"].toObject()["visible"].toBool());
    RecordingLookup recorder;
    w.setLookup(&recorder);
    w.Timer3Timer();
    EXPECT_TRUE(recorder.calls.empty()); // the same patient is not looked up again
}
