#include "images/KxVirtualTable.h"

#include <algorithm>

namespace images {

namespace {

constexpr int kMaxColumns = 50;

int FieldSize(const QString& name)
{
    return name.compare(QStringLiteral("SOPInstanceUID"), Qt::CaseInsensitive) == 0 ? 255 : 64;
}

} // namespace

std::optional<QStringList> DeclaredColumns(const QString& sql)
{
    const qsizetype select = sql.toUpper().indexOf(QStringLiteral("SELECT"));
    if (select < 0)
        return std::nullopt;
    const QString rest = sql.mid(select + 6);
    const qsizetype from = rest.toUpper().indexOf(QStringLiteral("FROM"));
    if (from < 0)
        return std::nullopt;
    QStringList columns;
    for (const QString& item : rest.left(from).split(',')) {
        const QString name = item.trimmed();
        if (name.isEmpty() || columns.size() == kMaxColumns)
            break;
        columns.append(name);
    }
    return columns;
}

void TKxVirtualTable::SetSQL(const QStringList& sql)
{
    if (sql == FSQL)
        return;
    FSQL = sql;
    Close();
    RebuildFieldDefs();
}

void TKxVirtualTable::RebuildFieldDefs()
{
    // A text list reads as its lines, each ended by a line break.
    const QString text = FSQL.isEmpty() ? QString() : FSQL.join(QStringLiteral("\r\n")) + "\r\n";
    const std::optional<QStringList> columns = DeclaredColumns(text);
    if (!columns)
        return;
    std::erase_if(m_fieldDefs, [&](const TFieldDef& def) {
        return !columns->contains(def.name, Qt::CaseInsensitive);
    });
    for (const QString& name : *columns)
        if (FieldIndex(name) < 0)
            m_fieldDefs.push_back({name, FieldSize(name)});
}

int TKxVirtualTable::FieldIndex(const QString& name) const
{
    const auto found = std::find_if(m_fieldDefs.begin(), m_fieldDefs.end(), [&](const TFieldDef& def) {
        return def.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return found == m_fieldDefs.end() ? -1 : int(found - m_fieldDefs.begin());
}

void TKxVirtualTable::Open()
{
    m_active = true;
}

void TKxVirtualTable::Close()
{
    m_active = false;
    m_rows.clear();
}

int TKxVirtualTable::Append()
{
    if (!m_active)
        return -1;
    m_rows.emplace_back(QStringList(qsizetype(m_fieldDefs.size())));
    return int(m_rows.size()) - 1;
}

void TKxVirtualTable::SetValue(int row, const QString& field, const QString& value)
{
    const int column = FieldIndex(field);
    if (!m_active || column < 0 || row < 0 || row >= RecordCount())
        return;
    m_rows[row][column] = value.left(m_fieldDefs[column].size);
}

QString TKxVirtualTable::Value(int row, const QString& field) const
{
    const int column = FieldIndex(field);
    if (!m_active || column < 0 || row < 0 || row >= RecordCount())
        return {};
    return m_rows[row][column];
}

} // namespace images
