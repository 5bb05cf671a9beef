// The in-memory table's column declarations from its SQL text.

#include "images/KxVirtualTable.h"

#include <gtest/gtest.h>

namespace images {
namespace {

QStringList Names(const TKxVirtualTable& table)
{
    QStringList names;
    for (const TFieldDef& def : table.FieldDefs())
        names.append(def.name);
    return names;
}

TEST(DeclaredColumnsTest, ColumnListBetweenSelectAndFrom)
{
    struct Case {
        QString sql;
        std::optional<QStringList> columns;
    } cases[] = {
        {"SELECT PatientID, SOPInstanceUID ,StudyDate FROM x",
         QStringList{"PatientID", "SOPInstanceUID", "StudyDate"}},
        {"select a,b from t where c = 1", QStringList{"a", "b"}},
        {"SELECT a,\r\n  b\r\nFROM t", QStringList{"a", "b"}},
        {"SELECT a,,b FROM t", QStringList{"a"}},          // stops at an empty item
        {"SELECT  FROM t", QStringList{}},
        {"SELECTa FROM t", QStringList{"a"}},
        {"SELECT a, b", std::nullopt},                      // no FROM
        {"a, b FROM t", std::nullopt},                      // no SELECT
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeclaredColumns(c.sql), c.columns) << c.sql.toStdString();
}

TEST(DeclaredColumnsTest, AtMostFiftyColumns)
{
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many.append(QString("C%1").arg(i));
    const auto columns = DeclaredColumns("SELECT " + many.join(", ") + " FROM t");
    ASSERT_TRUE(columns);
    EXPECT_EQ(*columns, many.mid(0, 50));
}

TEST(KxVirtualTableTest, TextFieldsWithTheirSizes)
{
    TKxVirtualTable table;
    table.SetSQL({"SELECT PatientID, sopinstanceuid, StudyDate", "FROM dicom"});
    EXPECT_EQ(Names(table), QStringList({"PatientID", "sopinstanceuid", "StudyDate"}));
    EXPECT_EQ(table.FieldDefs()[0].size, 64);
    EXPECT_EQ(table.FieldDefs()[1].size, 255);
    EXPECT_EQ(table.FieldDefs()[2].size, 64);
}

TEST(KxVirtualTableTest, NewTextKeepsListedFieldsDropsTheRestAndAddsNewOnes)
{
    TKxVirtualTable table;
    table.SetSQL({"SELECT ID, PatientName, StudyDate FROM t"});
    table.SetSQL({"SELECT studydate, PatientID, Modality FROM t"});
    // "ID" goes although "PatientID" contains it; "StudyDate" stays under its
    // old spelling.
    EXPECT_EQ(Names(table), QStringList({"StudyDate", "PatientID", "Modality"}));
}

TEST(KxVirtualTableTest, TextWithoutAColumnListKeepsTheFields)
{
    TKxVirtualTable table;
    table.SetSQL({"SELECT a, b FROM t"});
    table.SetSQL({"DELETE FROM t"});
    EXPECT_EQ(Names(table), QStringList({"a", "b"}));
    EXPECT_EQ(table.SQL(), QStringList({"DELETE FROM t"}));
    table.SetSQL({"SELECT FROM t"});
    EXPECT_TRUE(table.FieldDefs().empty());
}

TEST(KxVirtualTableTest, ChangingTheTextClosesTheTable)
{
    TKxVirtualTable table;
    table.SetSQL({"SELECT SOPInstanceUID, Modality FROM t"});
    table.Open();
    const int row = table.Append();
    table.SetValue(row, "modality", "IO");
    table.SetValue(row, "SOPInstanceUID", QString(300, '1'));
    table.SetValue(row, "Missing", "x");
    EXPECT_EQ(table.Value(row, "Modality"), "IO");
    EXPECT_EQ(table.Value(row, "SOPInstanceUID").size(), 255);

    table.SetSQL({"SELECT SOPInstanceUID, Modality FROM t"}); // the same text
    EXPECT_TRUE(table.Active());
    EXPECT_EQ(table.RecordCount(), 1);

    table.SetSQL({"SELECT Modality FROM t"});
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.Append(), -1);
    EXPECT_EQ(table.Value(0, "Modality"), "");
}

} // namespace
} // namespace images
