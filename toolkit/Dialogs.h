#pragma once
// Message dialogs, balloon tips and form preparation. Every user-visible
// message goes through these; a test installs its own DialogPresenter to read
// what would be shown and to answer it.

#include <QPoint>
#include <QString>

class QWidget;

namespace toolkit {

enum class DialogKind { Information, Warning, Error, Confirmation };
enum DialogResult { mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// The eight replaceable dialog texts (titles and buttons).
struct DialogTexts {
    QString warning = "Warning", error = "Error", information = "Information", confirm = "Confirm";
    QString yes = "&Yes", no = "&No", ok = "OK", cancel = "Cancel";
};
const DialogTexts& dialogTexts();

// Shows a modal dialog; returns the index of the button pressed (-1 when
// the dialog was closed without one). The first button is the default.
class DialogPresenter {
public:
    virtual ~DialogPresenter() = default;
    virtual int show(DialogKind kind, const QString& title, const QString& text,
                     const QStringList& buttons) = 0;
    // The same with another button as the default.
    virtual int showWithDefault(DialogKind kind, const QString& title, const QString& text,
                                const QStringList& buttons, int defaultButton)
    {
        (void)defaultButton;
        return show(kind, title, text, buttons);
    }
    virtual void balloon(const QString& title, const QString& text, QWidget* control,
                         const QPoint& at) = 0;
};
void setDialogPresenter(DialogPresenter* p); // null restores the Qt one

QString Translate(const QString& text);
// The row-not-found message of the database provider replaced by advice to
// the user; replaced tells whether it was found.
QString RewordRowNotFound(const QString& text, bool* replaced = nullptr);
void LocalizeDialogTexts();

void ShowInfo(const QString& text);
void ShowWarning(const QString& text);
void ShowError(const QString& text);
enum class DefaultAnswer { Yes, No };
int AskYesNo(const QString& text, DefaultAnswer defaultAnswer = DefaultAnswer::Yes);
int AskYesNoCancel(const QString& text);

void ShowBalloonHint(const QString& text, QWidget* control);
void ShowBalloonHintAt(const QString& text, const QPoint& screenPoint);

// Name of the active visual style ("Windows" by default).
QString ActiveStyleName();
void SetActiveStyleName(const QString& name);
void PrepareForm(QWidget* form);

} // namespace toolkit
