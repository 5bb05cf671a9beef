#pragma once
// The toolkit's input box: a small modal dialog with one edit field.

#include <QDialog>

class QGroupBox;
class QLineEdit;

namespace toolkit {

class TInputForm : public QDialog {
    Q_OBJECT
public:
    explicit TInputForm(QWidget* parent = nullptr);
    QGroupBox* GroupBox() const { return group_; }
    QLineEdit* Edit() const { return edit_; }

private:
    QGroupBox* group_;
    QLineEdit* edit_;
};

// Shows the input box with the caption as window title and the prompt as
// the group's caption. passwordChar 0 shows the text as typed; maxLength 0
// sets no limit. The typed text comes back in text whichever button closed
// the box; true when it was OK.
bool InputBox(const QString& caption, const QString& prompt, QString& text,
              QChar passwordChar = QChar(), int maxLength = 0);

// Lets a test answer the input box: called with the shown form instead of
// running it modally; returns the dialog result. Null restores exec().
using InputFormRunner = int (*)(TInputForm& form);
void setInputFormRunner(InputFormRunner runner);

} // namespace toolkit
