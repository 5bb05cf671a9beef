#include "DbTestSupport.h"

#include "toolkit/core/Settings.h"
#include "toolkit/db/DataProvidersDialog.h"
#include "toolkit/db/JournalConnection.h"

#include <QFile>
#include <QImage>
#include <QListWidget>

using namespace dbtest;
using toolkit::TfrmDataProviders;

namespace {

class DataProvidersDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"Klinik.udl", "Arkiv.udl", "Test.udl"}) {
            QFile f(env.linksDir() + QString::fromLatin1(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        QFile(env.linksDir() + QStringLiteral("readme.txt")).open(QIODevice::WriteOnly);
        toolkit::WriteSetting("DataProvider", "DefaultDataProvider", (env.linksDir() + "arkiv.UDL").toStdString());
        dialog.show();
    }
    QStringList entries() const
    {
        QStringList out;
        for (int i = 0; i < dialog.list()->count(); ++i)
            out << dialog.list()->item(i)->text();
        return out;
    }
    void select(const QString& name)
    {
        const auto found = dialog.list()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        dialog.list()->setCurrentItem(found.front());
    }
    QColor rowColour(int row, int x, int y)
    {
        const QImage image = dialog.list()->viewport()->grab().toImage();
        return image.pixelColor(dialog.list()->visualItemRect(dialog.list()->item(row)).topLeft() + QPoint(x, y));
    }

    Environment env;
    TfrmDataProviders dialog;
};

} // namespace

TEST_F(DataProvidersDialogTest, ListsTheFilesAndSelectsTheCurrentOne)
{
    EXPECT_EQ(dialog.windowTitle(), "DataProviders");
    EXPECT_EQ(entries(), (QStringList{"Arkiv.udl", "Klinik.udl", "Test.udl"}));
    EXPECT_EQ(dialog.selectedName(), "Arkiv.udl") << "matched without regard to case";
    EXPECT_EQ(dialog.list()->visualItemRect(dialog.list()->item(1)).height(), 17);
    EXPECT_EQ(rowColour(0, 1, 1), QColor(192, 192, 192)) << "selected row";
    EXPECT_EQ(rowColour(1, 1, 1), QColor(Qt::white));
}

TEST_F(DataProvidersDialogTest, ChooseAsDefaultWritesTheSetting)
{
    select(QStringLiteral("Test.udl"));
    dialog.chooseDefaultClick();
    EXPECT_EQ(toolkit::ReadSetting("DataProvider", "DefaultDataProvider"), "Test.udl");
    EXPECT_EQ(dialog.currentSettingName(), "Test.udl");
}

TEST_F(DataProvidersDialogTest, DeleteAsksFirst)
{
    select(QStringLiteral("Klinik.udl"));
    env.dialogs.answer = 1; // No
    dialog.deleteClick();
    EXPECT_TRUE(QFile::exists(env.linksDir() + "Klinik.udl"));
    env.dialogs.answer = 0; // Yes
    dialog.deleteClick();
    EXPECT_FALSE(QFile::exists(env.linksDir() + "Klinik.udl"));
    EXPECT_EQ(entries(), (QStringList{"Arkiv.udl", "Test.udl"}));
    EXPECT_EQ(dialog.selectedName(), "");
    ASSERT_EQ(env.dialogs.shown.size(), 2u);
    EXPECT_EQ(env.dialogs.shown[0].text, "Radera DataProvider-filen Klinik.udl");
}

TEST_F(DataProvidersDialogTest, ButtonsNeedASelection)
{
    dialog.list()->clearSelection();
    toolkit::JournalConnectionString() = QStringLiteral("Provider=SQLite");
    dialog.okClick();
    dialog.deleteClick();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(toolkit::JournalConnectionString(), "Provider=SQLite");
    ASSERT_EQ(env.dialogs.shown.size(), 2u);
    EXPECT_EQ(env.dialogs.shown[0].text, "Välj en DataProvider först!");
    select(QStringLiteral("Test.udl"));
    dialog.okClick();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(toolkit::JournalConnectionString().isEmpty());
}
