#include "FloaterBatchView.h"

#include "TQ7FloaterFrmOrvana.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace floater {

void FloaterBatchView::beginBatch(const QString& busyText)
{
    window_.busyOverlay()->setText(busyText);
    window_.busyOverlay()->show();
    window_.busyOverlay()->raise();
    window_.countBox()->hide();
    window_.orvanaButton()->hide();
    window_.batchLog()->clear();
    window_.bringToFront(Layer::Batch);
}

void FloaterBatchView::showActive(const QString& personnr, int position, int count, const QString& label)
{
    window_.batchProgress()->setMaximum(count);
    window_.batchProgress()->setValue(position);
    window_.setPatientLabel(personnr);
    window_.batchActiveLabel()->setText(label);
}

void FloaterBatchView::addLogLine(const QString& line)
{
    window_.batchLog()->addItem(line);
    window_.batchLog()->scrollToBottom();
}

QStringList FloaterBatchView::logLines() const
{
    QStringList lines;
    for (int i = 0; i < window_.batchLog()->count(); ++i)
        lines << window_.batchLog()->item(i)->text();
    return lines;
}

void FloaterBatchView::endBatch() { window_.close(); }

} // namespace floater
