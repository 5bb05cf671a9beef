#include "Dialogs.h"

#include "Progress.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>

namespace toolkit {

namespace {

DialogTexts g_texts;
QString g_styleName = "Windows";

const QString kRowNotFoundEnglish =
    "Row cannot be located for updating. Some values may have been changed since it was last read";
const QString kRowNotFoundSwedish = QStringLiteral(
    "Det gick inte att hitta raden för uppdatering. Vissa värden kan ha ändrats sedan den lästes sist");

class QtDialogPresenter : public DialogPresenter {
public:
    int show(DialogKind kind, const QString& title, const QString& text,
             const QStringList& buttons) override
    {
        return showWithDefault(kind, title, text, buttons, 0);
    }

    int showWithDefault(DialogKind kind, const QString& title, const QString& text, const QStringList& buttons,
                        int defaultButton) override
    {
        static const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning,
                                                  QMessageBox::Critical, QMessageBox::Question};
        QMessageBox box(icons[static_cast<int>(kind)], title, displayText(text));
        QList<QAbstractButton*> added;
        for (const QString& caption : buttons)
            added << box.addButton(caption, QMessageBox::AcceptRole);
        if (defaultButton >= 0 && defaultButton < added.size())
            box.setDefaultButton(static_cast<QPushButton*>(added[defaultButton]));
        box.exec();
        return static_cast<int>(added.indexOf(box.clickedButton()));
    }

    void balloon(const QString& title, const QString& text, QWidget* control,
                 const QPoint& at) override
    {
        const QPoint where = control ? control->mapToGlobal(QPoint(control->width() / 2, control->height()))
                                     : at;
        const QString html = "<b>" + title.toHtmlEscaped() + "</b><br>" +
                             displayText(text).toHtmlEscaped().replace('\n', "<br>");
        QToolTip::showText(where, html, control, QRect(), 5000);
    }

private:
    // Messages use "\r" for line breaks, as the stored texts do.
    static QString displayText(QString text)
    {
        return text.replace("\r\n", "\n").replace('\r', '\n');
    }
};

// Shows a cell's whole text as a hint when the cell cuts it.
class FullTextHintDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() == QEvent::ToolTip && index.data(Qt::ToolTipRole).isNull()) {
            const QString text = index.data(Qt::DisplayRole).toString();
            if (option.fontMetrics.horizontalAdvance(text) > option.rect.width() - 6) {
                QToolTip::showText(event->globalPos(), text, view);
                return true;
            }
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
};

QtDialogPresenter g_qtPresenter;
DialogPresenter* g_presenter = &g_qtPresenter;

int ask(DialogKind kind, const QString& title, const QString& text,
        const QStringList& buttons, const QList<int>& results, int defaultButton = 0)
{
    EndProgress(true);
    const int index = defaultButton == 0 ? g_presenter->show(kind, title, text, buttons)
                                         : g_presenter->showWithDefault(kind, title, text, buttons, defaultButton);
    // Closing the dialog counts as its last button (No or Cancel).
    return index >= 0 && index < results.size() ? results[index] : results.last();
}

} // namespace

const DialogTexts& dialogTexts()
{
    return g_texts;
}

void setDialogPresenter(DialogPresenter* p)
{
    g_presenter = p ? p : &g_qtPresenter;
}

QString Translate(const QString& text)
{
    return text;
}

void LocalizeDialogTexts()
{
    g_texts.confirm = Translate(QStringLiteral("Fråga"));
    g_texts.error = Translate("Fel");
    g_texts.warning = Translate("Varning");
    g_texts.yes = Translate("Ja");
    g_texts.information = Translate("Information");
    g_texts.no = Translate("Nej");
    g_texts.ok = Translate("OK");
    g_texts.cancel = Translate("Avbryt");
}

QString RewordRowNotFound(const QString& text, bool* replaced)
{
    QString out = text;
    qsizetype at = out.indexOf(kRowNotFoundEnglish);
    qsizetype length = kRowNotFoundEnglish.size();
    if (at < 0) {
        at = out.indexOf(kRowNotFoundSwedish);
        length = kRowNotFoundSwedish.size();
    }
    if (replaced)
        *replaced = at >= 0;
    if (at < 0)
        return out;
    out.replace(at, length,
                Translate(QStringLiteral("Uppgifterna kan ha ändrats av en annan användare.")) + "\r" +
                    Translate(QStringLiteral("Om möjligt, kopiera dina ändringar till klippbordet.")) +
                    "\r\r" +
                    Translate(QStringLiteral("Tryck sedan Ångra för att se de aktuella uppgifterna.")));
    return out;
}

void ShowInfo(const QString& text)
{
    ask(DialogKind::Information, g_texts.information, text, {g_texts.ok}, {mrOk});
}

void ShowWarning(const QString& text)
{
    bool replaced = false;
    const QString shown = RewordRowNotFound(text, &replaced);
    if (replaced)
        ask(DialogKind::Warning, g_texts.warning, shown, {g_texts.ok}, {mrOk});
    else
        ask(DialogKind::Information, g_texts.information, shown, {g_texts.ok}, {mrOk});
}

void ShowError(const QString& text)
{
    ask(DialogKind::Error, g_texts.error, RewordRowNotFound(text), {g_texts.ok}, {mrOk});
}

int AskYesNo(const QString& text, DefaultAnswer defaultAnswer)
{
    return ask(DialogKind::Confirmation, g_texts.confirm, text, {g_texts.yes, g_texts.no},
               {mrYes, mrNo}, defaultAnswer == DefaultAnswer::No ? 1 : 0);
}

int AskYesNoCancel(const QString& text)
{
    return ask(DialogKind::Confirmation, g_texts.confirm, text,
               {g_texts.yes, g_texts.no, g_texts.cancel}, {mrYes, mrNo, mrCancel});
}

void ShowBalloonHint(const QString& text, QWidget* control)
{
    EndProgress(true);
    g_presenter->balloon(Translate("Information"), text + "\r", control, QPoint());
}

void ShowBalloonHintAt(const QString& text, const QPoint& screenPoint)
{
    EndProgress(true);
    g_presenter->balloon(Translate("Information"), text + "\r", nullptr, screenPoint);
}

QString ActiveStyleName()
{
    return g_styleName;
}

void SetActiveStyleName(const QString& name)
{
    g_styleName = name;
}

void PrepareForm(QWidget* form)
{
    if (ActiveStyleName() != "Windows")
        form->resize(form->width() + 10, form->height());
    for (QDateTimeEdit* edit : form->findChildren<QDateTimeEdit*>()) {
        if (edit->displayedSections() & QDateTimeEdit::DateSections_Mask)
            edit->setDisplayFormat("yyyy-MM-dd");
        else
            edit->setDisplayFormat("HH:mm");
    }
    for (QTableView* grid : form->findChildren<QTableView*>()) {
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        grid->horizontalHeader()->setSectionsClickable(true);
        grid->setWordWrap(false);
        grid->setTextElideMode(Qt::ElideRight);
        grid->setItemDelegate(new FullTextHintDelegate(grid));
    }
}

} // namespace toolkit
