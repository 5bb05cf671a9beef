#include "EffectProgress.h"

#include "AutoAdjust.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>

#include <exception>

namespace effects {

namespace {

QPointer<EffectProgressPanel> thePanel;
bool making = false;

} // namespace

EffectProgressPanel::EffectProgressPanel(QWidget* owner, int width, int height)
    : QFrame(owner), caption_(new QLabel(this)), bar_(new QProgressBar(this))
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    const QSize client = owner ? owner->contentsRect().size() : QSize(width, height);
    setGeometry((client.width() - width) / 2, (client.height() - height) / 2, width, height);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setGeometry(0, 0, width, std::max(0, height - 14));
    bar_->setTextVisible(false);
    const int barWidth = width - 10;
    bar_->setGeometry((width - barWidth) / 2, height - 14, barWidth, 10);
}

void EffectProgressPanel::setCaption(const QString& caption) { caption_->setText(caption); }

QString EffectProgressPanel::caption() const { return caption_->text(); }

EffectProgressPanel* ShowEffectProgress(QWidget* owner, int width, int height)
{
    if (thePanel || making)
        return nullptr;
    making = true;
    thePanel = new EffectProgressPanel(owner, width, height);
    thePanel->show();
    thePanel->raise();
    making = false;
    return thePanel;
}

void HideEffectProgress()
{
    delete thePanel.data();
    thePanel = nullptr;
    QCoreApplication::processEvents();
}

void EffectProgress(int minimum, int maximum, int position)
{
    if (!thePanel)
        return;
    thePanel->bar()->setRange(minimum, maximum);
    thePanel->bar()->setValue(position);
}

EffectProgressPanel* CurrentEffectProgress() { return thePanel; }

QImage AutoAdjust(QImage& bitmap, quint32 flags, QWidget* owner,
                  const std::function<QString(const QString&)>& translate,
                  const std::function<void(const QString&)>& showError)
{
    if (EffectProgressPanel* panel = ShowEffectProgress(owner, 200, 100))
        panel->setCaption(translate(QStringLiteral("Bearbetar bilden, vänta...")));
    QImage work;
    try {
        ApplyAutoAdjustSteps(bitmap, work, flags, EffectProgress);
    } catch (const std::exception& e) {
        showError(translate(QStringLiteral("Det gick inte att manipulera bilden!")) + QStringLiteral("\r\r") +
                  QString::fromStdString(e.what()));
    }
    return work;
}

} // namespace effects
