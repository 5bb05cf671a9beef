#pragma once
// Connects the floater window to the person sync: the UPDATE_ALL run of the
// start-up timer, the system register behind "Gå till Orvana", and the sync
// of one patient with the window's current options.

#include "PersonSync.h"
#include "app/sync/PersonSync.h"
#include "platform/Desktop.h"

#include <QSqlDatabase>

namespace floater {

class TQ7FloaterFrmOrvana;

struct SyncConnections {
    QSqlDatabase journal;
    QSqlDatabase q7;
    app::CounterTable* counters = nullptr;
    bool useContactTypes = false; // the site switch as read at start
};

class FloaterSync : public PersonSync {
public:
    // Installs the window's UPDATE_ALL and system-register actions, which
    // call back here: this object must live as long as the window.
    FloaterSync(TQ7FloaterFrmOrvana& window, SyncConnections connections, platform::Desktop* desktop);

    // The person sync with the options the window shows.
    int AddOrEditPersonFromQ7ToHalden32(const QString& personnr, bool quiet) override;
    app::PersonSyncContext context() const;
    bool useContactTypes() const { return connections_.useContactTypes; }

private:
    void runUpdateAll();
    void openSystemRegister();

    TQ7FloaterFrmOrvana& window_;
    SyncConnections connections_;
    platform::Desktop* desktop_;
};

} // namespace floater
