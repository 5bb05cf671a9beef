#pragma once
// Copies a patient's name, address and contact numbers from Q7's database
// into the journal's KUNDER: creates the patient when the journal lacks the
// personal number, otherwise rewrites the row when Q7 differs. Interactive
// calls ask and tell with dialogs; quiet calls (the batch run) write their
// lines to the batch log instead.

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>

#include <functional>
#include <map>
#include <optional>

class QWidget;

namespace app {

class CounterTable;

struct PersonSyncContext {
    QSqlDatabase journal;
    QSqlDatabase q7;
    CounterTable* counters = nullptr;
    bool useContactTypes = false; // USEQ7FLOATERCONTACTTYPES
    bool showBalloons = false;    // "Visa ballonginfo om dataförändring"
    bool askBeforeUpdate = false; // "Fråga innan patient läggs till/uppdateras"
    QWidget* balloonAnchor = nullptr; // the "Gå till Orvana" button
    std::function<void(const QString&)> batchLog; // quiet-mode lines
    std::function<void()> markError;              // sets showerrorlist
};

// Contact-type mapping tables: what the system register saves (field name,
// COUNTER = type) and the older table (COUNTER = type, field name).
inline constexpr const char* kContactTypesTable = "Q7ORVANAFLOATERCONTACTTYPES";
inline constexpr const char* kOldContactTypesTable = "Q7FLOATERCONTACTTYPES";

// "79083" -> "790 83"; a code with a blank or of another length stays.
QString JournalPostcode(const QString& q7PostCode);
// The first of Line2, Line1, Line3, Line4 that is not blank, untrimmed;
// nothing when all are blank.
std::optional<QString> JournalAddress(const QString& line1, const QString& line2,
                                      const QString& line3, const QString& line4);
// "K" for a Q7 gender of F (any case), otherwise "M".
QString JournalGender(const QString& q7Gender);
// The built-in mapping of contact types 1, 3 and 6.
QString DefaultContactColumn(int type);

class TPersonSync {
public:
    explicit TPersonSync(PersonSyncContext context);

    // The patient number (also when the user declined the update), 0 when Q7
    // lacks the patient, -1 after an error.
    int AddOrEditPersonFromQ7ToHalden32(const QString& personnr, bool quiet);

    // Whether the journal field differs from Q7's text, under the rule that a
    // cut copy of a text too long for the column counts as equal; shows the
    // balloons of the balloon option.
    bool CompareField(const QSqlField& field, const QString& q7Text);

    // Declared size of a KUNDER text column, from the engine's own table
    // description; read once per sync object.
    std::optional<int> columnSize(const QString& column);

private:
    struct Person;
    struct Contact {
        int type = 0;
        QString number;
    };
    int sync(const QString& plain, const QString& hyphenated, bool quiet);
    Person readPerson(const QString& plain);
    std::vector<Contact> readContacts(const QString& plain);
    void loadContactTypes();
    QString contactColumn(int type, const QSqlRecord& kunder);
    bool contactsDiffer(const std::vector<Contact>& contacts, const QSqlRecord& row);
    bool fieldsDiffer(const Person& p, const QSqlRecord& row);
    void setPersonFields(const Person& p, QSqlRecord& row, bool isNew);
    void setContactFields(const std::vector<Contact>& contacts, QSqlRecord& row);
    void setText(QSqlRecord& row, const QString& column, const QString& text);
    void write(const QSqlRecord& row, const QSqlRecord& before, bool isNew);
    void report(const QString& text, bool quiet);

    PersonSyncContext ctx_;
    std::optional<std::map<int, QString>> contactTypes_; // Type_ID -> Description
    std::map<int, QString> contactColumns_;                // type -> KUNDER column
    std::map<QString, std::optional<int>> sizes_;
};

} // namespace app
