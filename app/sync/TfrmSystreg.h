#pragma once
// The system register: the site-wide switches of the counter table and the
// mapping of Q7's contact types onto the journal's person fields.

#include <QDialog>
#include <QSqlDatabase>
#include <QTime>

class QCheckBox;
class QGroupBox;
class QListWidget;
class QPushButton;

namespace app {

class CounterTable;

// The system register opens on a mouse-down with exactly Shift, Ctrl and Alt
// and the left button alone.
bool IsSystemRegisterGesture(Qt::MouseButton button, Qt::MouseButtons buttons,
                             Qt::KeyboardModifiers modifiers);
// The password of the moment: hour and minute, each without leading zeros
// (09:05 gives "95").
QString SystemRegisterPassword(const QTime& now);
// Asks for the password with the input box; the typed text is compared with
// the clock's password after the box closes, whichever button closed it.
bool AskSystemRegisterPassword();

class TfrmSystreg : public QDialog {
    Q_OBJECT
public:
    // useContactTypes: the floater's USEQ7FLOATERCONTACTTYPES, set on saving.
    TfrmSystreg(CounterTable& counters, const QSqlDatabase& q7, bool& useContactTypes,
                QWidget* parent = nullptr);

    void Load();     // also "Ångra"
    void Save();     // "Spara"; the dialog stays open
    void MoveUp();   // the selected right-hand row one up
    void MoveDown(); // the selected right-hand row one down

    QCheckBox* PatientChangeBox() const { return patientChange_; }
    QCheckBox* ReadPicsBox() const { return readPics_; }
    QCheckBox* ContactBox() const { return contacts_; }
    QGroupBox* ContactGroup() const { return group_; }
    QListWidget* Q7List() const { return q7List_; }
    QListWidget* FieldList() const { return fieldList_; }
    QPushButton* UpButton() const { return up_; }
    QPushButton* DownButton() const { return down_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* UndoButton() const { return undo_; }
    QPushButton* BackButton() const { return back_; }

    // The journal field of a right-hand entry ("TEL2"), empty for "(Tom)".
    static QString FieldOf(const QString& entry);

private:
    void readContactTypes();
    void fillFieldList();
    void enableContacts(bool on);
    void exchange(int a, int b);

    CounterTable& counters_;
    QSqlDatabase q7_;
    bool& useContactTypes_;
    std::vector<std::pair<int, QString>> types_; // Type_ID, Description in SortOrder

    QCheckBox* patientChange_;
    QCheckBox* readPics_;
    QCheckBox* contacts_;
    QGroupBox* group_;
    QListWidget* q7List_;
    QListWidget* fieldList_;
    QPushButton* up_;
    QPushButton* down_;
    QPushButton* save_;
    QPushButton* undo_;
    QPushButton* back_;
};

} // namespace app
