#include "FloaterSync.h"

#include "FloaterBatchView.h"
#include "TQ7FloaterFrmOrvana.h"
#include "app/sync/TfrmSystreg.h"
#include "app/sync/UpdateAll.h"

#include <QAction>
#include <QPushButton>

namespace floater {

FloaterSync::FloaterSync(TQ7FloaterFrmOrvana& window, SyncConnections connections, platform::Desktop* desktop)
    : window_(window), connections_(std::move(connections)), desktop_(desktop)
{
    window_.setUpdateAll([this] { runUpdateAll(); });
    window_.setSystemRegister([this] { openSystemRegister(); });
}

app::PersonSyncContext FloaterSync::context() const
{
    app::PersonSyncContext c;
    c.journal = connections_.journal;
    c.q7 = connections_.q7;
    c.counters = connections_.counters;
    c.useContactTypes = connections_.useContactTypes;
    c.showBalloons = window_.optionAction(Option::Visaballonginfoomdatafrndring)->isChecked();
    c.askBeforeUpdate = window_.optionAction(Option::AskIfNotPatFound)->isChecked();
    c.balloonAnchor = window_.orvanaButton();
    return c;
}

int FloaterSync::AddOrEditPersonFromQ7ToHalden32(const QString& personnr, bool quiet)
{
    app::TPersonSync sync(context());
    return sync.AddOrEditPersonFromQ7ToHalden32(personnr, quiet);
}

void FloaterSync::runUpdateAll()
{
    FloaterBatchView view(window_);
    app::TUpdateAll run(view, context(), desktop_);
    run.run();
}

void FloaterSync::openSystemRegister()
{
    if (!connections_.counters)
        return;
    // The contact switch takes effect at once; the others at the next start.
    app::TfrmSystreg dialog(*connections_.counters, connections_.q7, connections_.useContactTypes, &window_);
    dialog.exec();
}

} // namespace floater
