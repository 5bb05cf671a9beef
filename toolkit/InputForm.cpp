#include "InputForm.h"

#include "Dialogs.h"
#include "Progress.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace toolkit {

namespace {
InputFormRunner g_runner = nullptr;
}

void setInputFormRunner(InputFormRunner runner) { g_runner = runner; }

TInputForm::TInputForm(QWidget* parent) : QDialog(parent)
{
    group_ = new QGroupBox(this);
    edit_ = new QLineEdit(group_);
    auto* inner = new QVBoxLayout(group_);
    inner->addWidget(edit_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(dialogTexts().ok, QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(Translate("Avbryt"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group_);
    outer->addWidget(buttons);
    setMinimumWidth(300);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    edit_->setFocus();
    PrepareForm(this);
}

bool InputBox(const QString& caption, const QString& prompt, QString& text, QChar passwordChar,
              int maxLength)
{
    EndProgress(true);
    TInputForm form;
    form.setWindowTitle(caption);
    form.GroupBox()->setTitle(prompt);
    if (!passwordChar.isNull()) {
        form.Edit()->setEchoMode(QLineEdit::Password);
        form.Edit()->setStyleSheet(
            QString("lineedit-password-character: %1").arg(passwordChar.unicode()));
    }
    if (maxLength > 0)
        form.Edit()->setMaxLength(maxLength);
    form.Edit()->setText(text);
    const int result = g_runner ? g_runner(form) : form.exec();
    text = form.Edit()->text();
    return result == QDialog::Accepted;
}

} // namespace toolkit
