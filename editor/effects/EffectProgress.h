#pragma once
// The single effect progress panel shown over an owner window while a long
// effect runs, and the automatic adjustments that run under it.

#include <QFrame>
#include <QImage>

#include <functional>

class QLabel;
class QProgressBar;

namespace effects {

class EffectProgressPanel : public QFrame {
    Q_OBJECT
public:
    EffectProgressPanel(QWidget* owner, int width, int height);
    void setCaption(const QString& caption);
    QString caption() const;
    QProgressBar* bar() const { return bar_; }

private:
    QLabel* caption_;
    QProgressBar* bar_;
};

// Creates and shows the panel centred in owner's client area; returns it so the
// caller can set its caption, or null while a panel already exists.
EffectProgressPanel* ShowEffectProgress(QWidget* owner, int width, int height);
// Frees the panel and lets pending window events run.
void HideEffectProgress();
// Sets the panel's bar; does nothing without a panel.
void EffectProgress(int minimum, int maximum, int position);
EffectProgressPanel* CurrentEffectProgress();

// Runs the steps of flags on bitmap (changed in place) under the progress
// panel (200 x 100, captioned translate("Bearbetar bilden, vänta...")) and
// returns the result; the caller hides the panel. A failing step is reported
// with showError and the result so far is returned.
QImage AutoAdjust(QImage& bitmap, quint32 flags, QWidget* owner,
                  const std::function<QString(const QString&)>& translate,
                  const std::function<void(const QString&)>& showError);

} // namespace effects
