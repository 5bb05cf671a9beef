#include "../db/DbTestSupport.h"
#include "toolkit/db/DropdownCombo.h"
#include "toolkit/db/KxAdoQuery.h"
#include "toolkit/db/SqlConnections.h"

#include <QComboBox>
#include <QLineEdit>

using namespace dbtest;

namespace {

class DropdownComboTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        scratch = std::make_unique<ScratchDatabase>(GetParam(), env.dir.path());
        if (!scratch->available())
            GTEST_SKIP() << "PostgreSQL is not running (TQ7_TEST_PG_PORT)";
        db = scratch->open(QStringLiteral("combo"));
        Exec(db, {"CREATE TABLE DROPDOWNDATA (LOPNR INTEGER NOT NULL PRIMARY KEY, DATAMASK VARCHAR(100),"
                  " DROPDOWNTYP INTEGER, DEFVALUELOPNR INTEGER)",
                  "CREATE TABLE DROPDOWNVALUES (GROUPLOPNR INTEGER NOT NULL, LOPNR INTEGER NOT NULL PRIMARY KEY,"
                  " AKTIV VARCHAR(1), DROPDOWNTEXT VARCHAR(100))",
                  "INSERT INTO DROPDOWNDATA VALUES (1, '', 2, 12)",
                  "INSERT INTO DROPDOWNDATA VALUES (2, '999-99;_', 0, NULL)",
                  "INSERT INTO DROPDOWNDATA VALUES (3, '', 0, NULL)",
                  "INSERT INTO DROPDOWNVALUES VALUES (1, 11, 'T', 'Ja')",
                  "INSERT INTO DROPDOWNVALUES VALUES (1, 12, 'T', 'Nej')",
                  "INSERT INTO DROPDOWNVALUES VALUES (1, 13, 'F', 'Kanske')",
                  "INSERT INTO DROPDOWNVALUES VALUES (2, 21, 'T', '123-45')"});
        previous = toolkit::DefaultQuery();
        query = std::make_unique<toolkit::TKxAdoQuery>(db);
        toolkit::DefaultQuery() = query.get();
    }
    void TearDown() override
    {
        toolkit::DefaultQuery() = previous;
        query.reset();
        db = QSqlDatabase();
        toolkit::RemoveConnection(QStringLiteral("combo"));
    }
    Environment env;
    std::unique_ptr<ScratchDatabase> scratch;
    QSqlDatabase db;
    std::unique_ptr<toolkit::TKxAdoQuery> query;
    toolkit::TKxAdoQuery* previous = nullptr;
};

QStringList items(const QComboBox& c)
{
    QStringList out;
    for (int i = 0; i < c.count(); ++i)
        out << c.itemText(i) + "=" + c.itemData(i).toString();
    return out;
}

} // namespace

TEST_P(DropdownComboTest, ActiveItemsWithTheirNumbersAndTheDefault)
{
    QComboBox combo;
    toolkit::FillComboFromDropdowns(&combo, 1);
    EXPECT_EQ(items(combo), (QStringList{"Ja=11", "Nej=12"}));
    EXPECT_EQ(combo.currentText(), "Nej");
    EXPECT_FALSE(combo.isEditable()) << "style 2 is a fixed list";
    EXPECT_TRUE(env.dialogs.shown.empty());
}

TEST_P(DropdownComboTest, AnEarlierTextIsKept)
{
    QComboBox combo;
    combo.setEditable(true);
    combo.setEditText("123-45");
    toolkit::FillComboFromDropdowns(&combo, 2);
    ASSERT_TRUE(combo.isEditable());
    EXPECT_EQ(combo.lineEdit()->inputMask(), "999-99;_");
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(combo.currentText(), "123-45");
}

TEST_P(DropdownComboTest, NoDefaultAndNoValues)
{
    QComboBox combo;
    toolkit::FillComboFromDropdowns(&combo, 3);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_TRUE(combo.styleSheet().contains("drop-down"));
}

TEST_P(DropdownComboTest, ErrorIsShown)
{
    Exec(db, {"DROP TABLE DROPDOWNVALUES"});
    QComboBox combo;
    toolkit::FillComboFromDropdowns(&combo, 1);
    ASSERT_EQ(env.dialogs.shown.size(), 1u);
    EXPECT_TRUE(env.dialogs.shown[0].text.startsWith(QStringLiteral("Det gick inte att sätta standardvärden på ComboBoxen!\r\r")));
}

INSTANTIATE_TEST_SUITE_P(Engines, DropdownComboTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return std::string(EngineName(info.param)); });
