#pragma once
// The floater's access to the counter table FIELDCOUNTERS on the counter
// connection, which serves nothing else: site switches, small mappings and
// running numbers shared by every workstation.

#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace app {

class CounterTable {
public:
    explicit CounterTable(const QSqlDatabase& counterConnection);

    // COUNTER of (name, item); -1 when the row is missing or after a warning.
    int GetDataText(const QString& name, const QString& item);
    // FIELDNAME of the row (name, COUNTER = value); empty when none or after a warning.
    QString GetDataText2(const QString& name, int value);
    // Sets COUNTER, creating the row when missing; an error message on failure.
    void SetDataText(const QString& name, const QString& item, int value);

    // Allocates the next running number of (name, item): COUNTER + 1, stored
    // and committed before it is returned; 1 when the row is missing (or is
    // not unique), which creates a new row.
    // Returns -1 when no number could be allocated after three attempts 500 ms
    // apart. -1 is never a number: the caller must write nothing with it.
    // No message is shown.
    int increaseCounterField(const QString& name, const QString& item);

    // Failed allocation attempts since creation (each one waited 500 ms).
    int retries() const { return retries_; }
    // The pause between attempts; replaceable for tests.
    std::function<void(int ms)> wait;

private:
    bool allocateOnce(const QString& name, const QString& item, int& number);

    QSqlDatabase db_;
    int retries_ = 0;
};

} // namespace app
