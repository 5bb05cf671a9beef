#pragma once
// The progress display: the suite's progress program when it is there,
// otherwise a small in-process window whose title counts the seconds. Every
// message dialog and balloon ends it first.

#include "toolkit/core/ProgressProgram.h"

#include <QDialog>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

class QLabel;
class QProgressBar;

namespace toolkit {

// Connects the progress display to the session's desktop; without it only
// the in-process display is used. Missing setup fields get defaults: the
// application's arguments and the toolkit's folders.
void InitProgress(platform::Desktop* desktop, ProgressProgramSetup setup = {});

void StartProgress(const QString& caption, const QString& status, bool externalOnly = false);
void EndProgress(bool force = false);

// The in-process window: stays on top and cannot be closed by the user.
class TfrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* owner = nullptr);
    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    QProgressBar* Animation() const { return animation_; }

public slots:
    void setStep(int step);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}

private:
    QLabel* label1_;
    QLabel* label2_;
    QProgressBar* animation_;
};

// Counts the time the display has been up and hands the title and a step
// 0..9 to the window through queued signals; it never touches the window.
// Without a taskbar-progress interface the step drives the window's bar.
class TProgressThread : public QThread {
    Q_OBJECT
public:
    struct Timing {
        int firstMs = 1000, stepMs = 200;
    };
    TProgressThread(const QString& caption, Timing timing);
    TProgressThread(const QString& caption) : TProgressThread(caption, Timing{}) {}
    ~TProgressThread() override;
    // Wakes the thread and waits for it to end.
    void stop();
    int elapsedMs() const { return elapsed_; }

signals:
    void titleChanged(const QString& title);
    void stepChanged(int step);

protected:
    void run() override;

private:
    bool sleepFor(int ms); // false when asked to end

    const QString caption_;
    const QString decimalPoint_;
    const Timing timing_;
    std::atomic<int> elapsed_{0};
    int step_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

// The in-process pair while it is shown (tests look at it); null otherwise.
TfrmProgress* CurrentProgressForm();
// The progress program client, null without a desktop.
ProgressProgram* CurrentProgressProgram();
// Sets the in-process thread's timing for the next display (tests).
void SetProgressTiming(TProgressThread::Timing timing);

} // namespace toolkit
