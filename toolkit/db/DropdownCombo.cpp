#include "DropdownCombo.h"

#include "KxAdoQuery.h"
#include "toolkit/Dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSqlRecord>

namespace toolkit {

namespace {

constexpr int kFixedListStyle = 2;

struct FillError {
    QString text;
};

void openGroupQuery(TKxAdoQuery& q, const QString& sql, int group)
{
    q.SQL = QStringList{sql};
    q.setParameter(QStringLiteral("group"), group);
    QString error;
    if (!q.open(&error))
        throw FillError{error};
}

} // namespace

void FillComboFromDropdowns(QComboBox* combo, int group)
{
    const QString before = combo->currentText();
    try {
        if (!DefaultQuery())
            throw FillError{Translate(QStringLiteral("Ingen databasanslutning"))};
        const QSqlDatabase db = DefaultQuery()->connection();
        TKxAdoQuery data(db);
        openGroupQuery(data, QStringLiteral("SELECT * FROM DROPDOWNDATA WHERE LOPNR = :group"), group);
        QVariant defaultLopnr;
        if (data.query().next()) {
            combo->setEditable(data.query().value(QStringLiteral("DROPDOWNTYP")).toInt() != kFixedListStyle);
            if (combo->isEditable())
                combo->lineEdit()->setInputMask(data.query().value(QStringLiteral("DATAMASK")).toString());
            defaultLopnr = data.query().value(QStringLiteral("DEFVALUELOPNR"));
        }
        combo->clear();

        TKxAdoQuery values(db);
        openGroupQuery(values,
                       QStringLiteral("SELECT * FROM DROPDOWNVALUES WHERE GROUPLOPNR = :group AND AKTIV = 'T'"),
                       group);
        while (values.query().next())
            combo->addItem(values.query().value(QStringLiteral("DROPDOWNTEXT")).toString(),
                           values.query().value(QStringLiteral("LOPNR")));
        // Without values there is nothing to drop down.
        combo->setStyleSheet(combo->count() == 0
                                 ? QStringLiteral("QComboBox::drop-down { width: 0px; border: none; }")
                                 : QString());

        if (!before.isEmpty()) {
            const int match = combo->findText(before);
            combo->setCurrentIndex(match);
            if (match < 0 && combo->isEditable())
                combo->setEditText(before);
        } else {
            combo->setCurrentIndex(defaultLopnr.isNull() ? -1 : combo->findData(defaultLopnr.toInt()));
        }
    } catch (const FillError& e) {
        ShowError(Translate(QStringLiteral("Det gick inte att sätta standardvärden på ComboBoxen!")) +
                  QStringLiteral("\r\r") + e.text);
    }
}

} // namespace toolkit
