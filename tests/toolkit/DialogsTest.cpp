#include "toolkit/Dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QTimeEdit>

using namespace toolkit;

namespace {

struct Shown {
    DialogKind kind;
    QString title, text;
    QStringList buttons;
};

class RecordingPresenter : public DialogPresenter {
public:
    int answer = 0;
    std::vector<Shown> shown;
    int show(DialogKind kind, const QString& title, const QString& text,
             const QStringList& buttons) override
    {
        shown.push_back({kind, title, text, buttons});
        return answer;
    }
    void balloon(const QString& title, const QString& text, QWidget*, const QPoint&) override
    {
        shown.push_back({DialogKind::Information, title, text, {}});
    }
};

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LocalizeDialogTexts();
        setDialogPresenter(&presenter);
    }
    void TearDown() override { setDialogPresenter(nullptr); }
    RecordingPresenter presenter;
};

const QString kAdvice = QStringLiteral(
    "Uppgifterna kan ha ändrats av en annan användare.\rOm möjligt, kopiera dina ändringar till "
    "klippbordet.\r\rTryck sedan Ångra för att se de aktuella uppgifterna.");

} // namespace

TEST_F(DialogsTest, ErrorRewordsTheEnglishRowNotFoundMessage)
{
    ShowError("Det gick inte att spara uppgifterna!\r\rRow cannot be located for updating. Some "
              "values may have been changed since it was last read");
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].kind, DialogKind::Error);
    EXPECT_EQ(presenter.shown[0].title, "Fel");
    EXPECT_EQ(presenter.shown[0].text, "Det gick inte att spara uppgifterna!\r\r" + kAdvice);
    EXPECT_EQ(presenter.shown[0].buttons, QStringList{"OK"});
}

TEST_F(DialogsTest, WarningOnlyForTheRowNotFoundMessage)
{
    ShowWarning(QStringLiteral("x: Det gick inte att hitta raden för uppdatering. Vissa värden kan "
                               "ha ändrats sedan den lästes sist. y"));
    ShowWarning("Något annat");
    ASSERT_EQ(presenter.shown.size(), 2u);
    EXPECT_EQ(presenter.shown[0].kind, DialogKind::Warning);
    EXPECT_EQ(presenter.shown[0].title, "Varning");
    EXPECT_EQ(presenter.shown[0].text, "x: " + kAdvice + ". y");
    EXPECT_EQ(presenter.shown[1].kind, DialogKind::Information);
    EXPECT_EQ(presenter.shown[1].title, "Information");
    EXPECT_EQ(presenter.shown[1].text, QStringLiteral("Något annat"));
}

TEST_F(DialogsTest, OnlyTheFirstOccurrenceIsReworded)
{
    const QString en = "Row cannot be located for updating. Some values may have been changed "
                       "since it was last read";
    bool replaced = false;
    EXPECT_EQ(RewordRowNotFound(en + "|" + en, &replaced), kAdvice + "|" + en);
    EXPECT_TRUE(replaced);
    EXPECT_EQ(RewordRowNotFound("plain", &replaced), "plain");
    EXPECT_FALSE(replaced);
}

TEST_F(DialogsTest, QuestionsUseSwedishTextsAndPlatformResults)
{
    struct Case { int pressed; int expectedYesNo; int expectedYesNoCancel; } cases[] = {
        {0, mrYes, mrYes}, {1, mrNo, mrNo}, {2, mrNo, mrCancel}, {-1, mrNo, mrCancel}};
    for (const auto& c : cases) {
        presenter.answer = c.pressed;
        EXPECT_EQ(AskYesNo("Vill du?"), c.expectedYesNo) << c.pressed;
        EXPECT_EQ(AskYesNoCancel("Vill du?"), c.expectedYesNoCancel) << c.pressed;
    }
    EXPECT_EQ(presenter.shown[0].title, QStringLiteral("Fråga"));
    EXPECT_EQ(presenter.shown[0].buttons, (QStringList{"Ja", "Nej"}));
    EXPECT_EQ(presenter.shown[1].buttons, (QStringList{"Ja", "Nej", "Avbryt"}));
    EXPECT_EQ(mrYes, 6);
}

TEST_F(DialogsTest, BalloonGetsTitleAndTrailingReturn)
{
    ShowBalloonHintAt("Efternamn har ändrats", QPoint(1, 1));
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].title, "Information");
    EXPECT_EQ(presenter.shown[0].text, QStringLiteral("Efternamn har ändrats\r"));
}

TEST(PrepareForm, FormatsAndStyleWidening)
{
    for (const char* style : {"Windows", "Fusion"}) {
        SetActiveStyleName(style);
        QWidget form;
        form.resize(200, 100);
        auto* time = new QTimeEdit(&form);
        auto* date = new QDateEdit(&form);
        PrepareForm(&form);
        EXPECT_EQ(time->displayFormat(), "HH:mm");
        EXPECT_EQ(date->displayFormat(), "yyyy-MM-dd");
        EXPECT_EQ(form.width(), QString(style) == "Windows" ? 200 : 210) << style;
    }
    SetActiveStyleName("Windows");
}

TEST_F(DialogsTest, QuestionWithNoAsTheDefault)
{
    struct DefaultRecorder : RecordingPresenter {
        int defaultButton = -1;
        int showWithDefault(DialogKind kind, const QString& title, const QString& text, const QStringList& buttons,
                            int def) override
        {
            defaultButton = def;
            return show(kind, title, text, buttons);
        }
    } recorder;
    setDialogPresenter(&recorder);
    recorder.answer = 1;
    EXPECT_EQ(AskYesNo("Uppdatera?", DefaultAnswer::No), mrNo);
    EXPECT_EQ(recorder.defaultButton, 1);
    EXPECT_EQ(recorder.shown.back().buttons, (QStringList{"Ja", "Nej"}));
}
