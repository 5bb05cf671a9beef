#pragma once
// The UPDATE_ALL run as the floater window shows it: the busy overlay over
// the title row, the batch layer with its bar, label and log list.

#include "app/sync/UpdateAll.h"

namespace floater {

class TQ7FloaterFrmOrvana;

class FloaterBatchView : public app::BatchView {
public:
    explicit FloaterBatchView(TQ7FloaterFrmOrvana& window) : window_(window) {}
    void beginBatch(const QString& busyText) override;
    void showActive(const QString& personnr, int position, int count, const QString& label) override;
    void addLogLine(const QString& line) override;
    QStringList logLines() const override;
    void endBatch() override;

private:
    TQ7FloaterFrmOrvana& window_;
};

} // namespace floater
