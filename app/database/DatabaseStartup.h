#pragma once
// The floater's three database connections: the journal connection (lookups,
// person sync, the toolkit's DefaultQuery), the counter connection (the
// counter table alone, with its own transactions) and the Q7 connection
// (read-only, through ODBC with the stored, encrypted login). Opened at start,
// with the site switches read once; closed when the window closes.

#include "CounterTable.h"
#include "Q7LoginDialog.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <memory>

namespace app {

// Site-wide switches of the counter table, read once at start.
struct SiteSwitches {
    bool AllowFloaterReadPics = false;
    bool USEQ7FLOATERCONTACTTYPES = false;
    // Set when the site forbids the floater to change Orvana's patient
    // (DISALLOWFLOATERCHANGEPAT): the menu item is cleared and disabled.
    bool floatermaychangepat = false;
    bool dicomEnabled = false;
    bool useOnlyDicom = false;
    bool useCitrixAE = false;
    bool useCPNameAE = false;
};

// Whether the DICOM component can be used (the floater asks whether DCMTK's
// dictionary loads).
using DicomComponentCheck = std::function<bool()>;

// Reads the switches. With the DICOM component present, DICOM stays on only
// when the journal has the table DICOMSERVERS (else an error message).
SiteSwitches ReadSiteSwitches(CounterTable& counters, QSqlDatabase& journal,
                              const DicomComponentCheck& dicomComponent);

// "Provider=MSDASQL.1;Password=...;Persist Security Info=True;User ID=...;Data Source=..."
QString Q7ConnectionString(const QString& user, const QString& password, const QString& alias);

inline constexpr const char* kJournalConnection = "journal";
inline constexpr const char* kCounterConnection = "counter";
inline constexpr const char* kQ7Connection = "q7";

class FloaterDatabases {
public:
    FloaterDatabases();
    ~FloaterDatabases(); // shuts down when still open

    // The database start-up. Returns closeNow: true when the floater must close
    // at first show (a message has been shown). The journal connection string
    // must have been chosen before (ChooseDataProviderFile).
    bool start(Q7LoginPrompt& loginPrompt);
    // Rolls back and closes the connections; errors are ignored.
    void shutdown();

    QSqlDatabase journal() const;
    QSqlDatabase q7() const;
    CounterTable* counters() const { return counters_.get(); }
    const SiteSwitches& switches() const { return switches_; }

    DicomComponentCheck dicomComponent = [] { return false; };

private:
    bool openJournal();
    bool openQ7(Q7LoginPrompt& loginPrompt);

    std::unique_ptr<CounterTable> counters_;
    SiteSwitches switches_;
    bool started_ = false;
};

} // namespace app
