#pragma once
// The dialog that lists the data-provider files of the data-links folder and
// lets the user add, edit, delete and pick one.

#include <QDialog>

class QListWidget;

namespace toolkit {

class TfrmDataProviders : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDataProviders(QWidget* parent = nullptr);

    // The "DataProvider" setting this dialog shows and sets.
    QString IniTextPosision = QStringLiteral("DefaultDataProvider");
    QListWidget* list() const { return list_; }
    QString selectedName() const;
    QString currentSettingName() const;

    void refill(const QString& select);
    void addClick();
    void editClick();
    void chooseDefaultClick();
    void deleteClick();
    void okClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool requireSelection();
    QListWidget* list_;
    QString current_; // file name of the current setting, drawn in green
};

// Shows the dialog for the setting valueName; the chosen file name after OK,
// else the name of the current DataProviderFile.
QString OpenDataProviderDialog(const QString& valueName);

} // namespace toolkit
