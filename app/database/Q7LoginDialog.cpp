#include "Q7LoginDialog.h"

#include "toolkit/Dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace app {

TQ7LoginDialog::TQ7LoginDialog(QWidget* parent)
    : QDialog(parent), user_(new QLineEdit(this)), password_(new QLineEdit(this)),
      database_(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Database Login"));
    password_->setEchoMode(QLineEdit::Password);
    password_->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*"
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Database:"), database_);
    form->addRow(QStringLiteral("User Name:"), user_);
    form->addRow(QStringLiteral("Password:"), password_);
    form->addRow(buttons);
    toolkit::PrepareForm(this);
}

bool TQ7LoginDialog::ask(QString& user, QString& password, const QString& alias)
{
    user_->setText(user);
    password_->setText(password);
    database_->setText(alias);
    if (exec() != QDialog::Accepted)
        return false;
    user = user_->text();
    password = password_->text();
    return true;
}

} // namespace app
