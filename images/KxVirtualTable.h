#pragma once
// The in-memory table image sources fill with one row per DICOM object. Its
// SQL text is never run; it only declares the table's text columns.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace images {

struct TFieldDef {
    QString name;
    int size = 0; // characters
};

class TKxVirtualTable {
public:
    // Setting a changed text closes the table (its rows are dropped) and
    // rebuilds the field definitions from the column list between SELECT and
    // FROM: columns no longer listed go, new ones come as text fields of 64
    // characters ("SOPInstanceUID": 255). Names compare without case.
    void SetSQL(const QStringList& sql);
    const QStringList& SQL() const { return FSQL; }

    const std::vector<TFieldDef>& FieldDefs() const { return m_fieldDefs; }
    // Index of the field definition, -1 when there is none.
    int FieldIndex(const QString& name) const;

    void Open();
    void Close();
    bool Active() const { return m_active; }

    // A new empty row at the end of an open table; its index.
    int Append();
    int RecordCount() const { return int(m_rows.size()); }
    // Values are cut to the field's size. An unknown field or row, or a
    // closed table, is ignored by SetValue and gives an empty text from Value.
    void SetValue(int row, const QString& field, const QString& value);
    QString Value(int row, const QString& field) const;

private:
    void RebuildFieldDefs();

    QStringList FSQL;
    std::vector<TFieldDef> m_fieldDefs;
    std::vector<QStringList> m_rows;
    bool m_active = false;
};

// The column names the text declares, by the rule above: at most 50, trimmed,
// up to the first empty one. None when there is no SELECT ... FROM, which
// leaves the field definitions as they are.
std::optional<QStringList> DeclaredColumns(const QString& sql);

} // namespace images
