#include "platform/memory/MemoryDesktop.h"
#include "toolkit/Dialogs.h"
#include "toolkit/InputForm.h"
#include "toolkit/Progress.h"
#include "toolkit/Utilities.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>

using namespace toolkit;

namespace {

class CountingPresenter : public DialogPresenter {
public:
    QStringList texts;
    int show(DialogKind, const QString&, const QString& text, const QStringList&) override
    {
        texts << text;
        return 0;
    }
    void balloon(const QString&, const QString& text, QWidget*, const QPoint&) override
    {
        texts << text;
    }
};

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitProgress(nullptr);
        setDialogPresenter(&presenter);
    }
    void TearDown() override
    {
        EndProgress(true);
        InitProgress(nullptr);
        SetProgressTiming({});
        setDialogPresenter(nullptr);
        QLocale::setDefault(QLocale::c());
    }
    CountingPresenter presenter;
};

bool waitFor(const std::function<bool()>& done, int ms = 3000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

TEST_F(ProgressTest, InProcessWindowShowsAndUpdatesUntilTheEnd)
{
    StartProgress("Hämtar bilder", "Systemet arbetar");
    TfrmProgress* form = CurrentProgressForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Hämtar bilder");
    EXPECT_EQ(form->Label1()->text(), "Systemet arbetar");
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);

    StartProgress("Sparar", "Nästan klart");
    EXPECT_EQ(CurrentProgressForm(), form) << "one window at a time";
    EXPECT_EQ(form->Label1()->text(), "Nästan klart");

    form->close();
    EXPECT_TRUE(form->isVisible()) << "the user cannot close it";
    EndProgress(false);
    EXPECT_EQ(CurrentProgressForm(), nullptr);
}

TEST_F(ProgressTest, ExternalOnlyShowsNothingWithoutTheProgram)
{
    StartProgress("Hämtar", "Bilder", true);
    EXPECT_EQ(CurrentProgressForm(), nullptr);
}

TEST_F(ProgressTest, TitleCountsSecondsWithTheUsersDecimalSeparator)
{
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    SetProgressTiming({0, 60000}); // one tick, then quiet
    StartProgress("Sparar", "Bilden sparas");
    ASSERT_TRUE(waitFor([] {
        return CurrentProgressForm() && CurrentProgressForm()->windowTitle() != "Sparar";
    }));
    EXPECT_EQ(CurrentProgressForm()->windowTitle(), "Sparar - 1,2s");
    EXPECT_EQ(CurrentProgressForm()->Animation()->value(), 1);
}

TEST_F(ProgressTest, MessageDialogsAndBalloonsEndTheDisplayFirst)
{
    StartProgress("Hämtar", "Bilder");
    ShowInfo("Klart");
    EXPECT_EQ(CurrentProgressForm(), nullptr);
    StartProgress("Hämtar", "Bilder");
    ShowBalloonHintAt("Klart", QPoint());
    EXPECT_EQ(CurrentProgressForm(), nullptr);
    EXPECT_EQ(presenter.texts.size(), 2);
}

TEST_F(ProgressTest, ProgramOnTheDesktopReplacesTheOwnWindow)
{
    platform::MemoryDesktop desktop;
    desktop.add(0, kProgressMessageWindowClass, "", false);
    ProgressProgramSetup setup;
    setup.suiteDataDir = "/suite/";
    setup.programDir = "/prog/";
    setup.fileExists = [](const std::string& f) { return f == "/suite/Kx_VadudaziDiz.exe"; };
    setup.fileVersion = [](const std::string&) { return 4106; };
    InitProgress(&desktop, setup);
    StartProgress("Hämtar", "Bilder");
    EXPECT_EQ(CurrentProgressForm(), nullptr);
    EXPECT_EQ(CurrentProgressProgram()->useCount(), 1);
    EXPECT_EQ(desktop.sent.size(), 5u);
    ShowError("Fel");
    EXPECT_EQ(CurrentProgressProgram()->useCount(), 0);
    InitProgress(nullptr); // the desktop goes with this test
}

namespace {
QString g_typed;
int typeAndClose(TInputForm& form)
{
    EXPECT_TRUE(form.Edit()->hasFocus() || form.focusWidget() == form.Edit());
    form.Edit()->setText(g_typed);
    return g_typed == "avbryt" ? QDialog::Rejected : QDialog::Accepted;
}
} // namespace

TEST(InputBox, ReturnsTheTextWhicheverButtonClosedIt)
{
    setInputFormRunner(typeAndClose);
    for (const auto& [typed, ok] : {std::pair{QString("1234"), true}, std::pair{QString("avbryt"), false}}) {
        g_typed = typed;
        QString text;
        EXPECT_EQ(InputBox("Ange lösenord", "Ange lösenord för Systemregister:", text, '*', 10), ok);
        EXPECT_EQ(text, typed);
    }
    setInputFormRunner([](TInputForm& form) {
        EXPECT_EQ(form.windowTitle(), "Ange lösenord");
        EXPECT_EQ(form.GroupBox()->title(), "Ange lösenord för Systemregister:");
        EXPECT_EQ(form.Edit()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(form.Edit()->maxLength(), 10);
        return int(QDialog::Accepted);
    });
    QString text;
    InputBox("Ange lösenord", "Ange lösenord för Systemregister:", text, '*', 10);
    setInputFormRunner(nullptr);
}

TEST_F(ProgressTest, SendTextMessageAndWaitTakesAnAnswerGivenDuringTheSend)
{
    platform::MemoryDesktop desktop;
    const auto target = desktop.add(0, "TStyrande", "");
    desktop.onMessage = [](const platform::Message&) { TextMessageAnswered(17); };
    EXPECT_EQ(SendTextMessageAndWait(desktop, target, desktop.registerMessage("M"), 0, "text",
                                     "Orvana", 5000),
              17);
    EXPECT_TRUE(presenter.texts.isEmpty());
}

TEST_F(ProgressTest, SendTextMessageAndWaitGivesUpAfterTheTimeOut)
{
    platform::MemoryDesktop desktop;
    const auto target = desktop.add(0, "TStyrande", "");
    EXPECT_EQ(SendTextMessageAndWait(desktop, target, desktop.registerMessage("M"), 0, "text",
                                     "Orvana", 50),
              0);
    EXPECT_EQ(presenter.texts, QStringList{"Inget svar från det styrande programmet!"});
    EXPECT_EQ(CurrentProgressForm(), nullptr);
}

TEST(TextPadding, WideEnoughAndNoWider)
{
    QLabel control;
    const QString pad = TextPadding(&control, 3, 5);
    const QFontMetrics m(control.font());
    const int wanted = 5 + 3 * m.horizontalAdvance('0');
    EXPECT_GE(m.horizontalAdvance(pad), wanted);
    EXPECT_LT(m.horizontalAdvance(pad.chopped(1)), wanted);
}
