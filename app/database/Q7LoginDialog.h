#pragma once
// The login dialog for Q7's database.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

namespace app {

// Asks for the Q7 login; false when the user cancels. A test answers it itself.
class Q7LoginPrompt {
public:
    virtual ~Q7LoginPrompt() = default;
    virtual bool ask(QString& user, QString& password, const QString& alias) = 0;
};

class TQ7LoginDialog : public QDialog, public Q7LoginPrompt {
public:
    explicit TQ7LoginDialog(QWidget* parent = nullptr);
    bool ask(QString& user, QString& password, const QString& alias) override;

    QLineEdit* userEdit() const { return user_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLabel* databaseLabel() const { return database_; }

private:
    QLineEdit* user_;
    QLineEdit* password_;
    QLabel* database_;
};

} // namespace app
