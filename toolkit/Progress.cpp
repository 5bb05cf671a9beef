#include "Progress.h"

#include "Dialogs.h"
#include "toolkit/core/ToolkitPaths.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace toolkit {

namespace {

struct ProgressState {
    std::unique_ptr<ProgressProgram> program;
    std::unique_ptr<TfrmProgress> form;
    std::unique_ptr<TProgressThread> thread;
    TProgressThread::Timing timing;
    bool busy = false;
};

ProgressState& state()
{
    static ProgressState s;
    return s;
}

void endInProcess()
{
    ProgressState& s = state();
    if (!s.form && !s.thread)
        return;
    QApplication::restoreOverrideCursor();
    s.form.reset(); // the window goes before the thread is asked to end
    if (s.thread)
        s.thread->stop();
    s.thread.reset();
}

void showInProcess(const QString& caption, const QString& status)
{
    ProgressState& s = state();
    if (s.form) {
        s.form->setWindowTitle(caption);
        s.form->Label1()->setText(status);
    } else {
        s.form = std::make_unique<TfrmProgress>();
        s.thread = std::make_unique<TProgressThread>(caption, s.timing);
        s.form->setWindowTitle(caption);
        s.form->Label1()->setText(status);
        QObject::connect(s.thread.get(), &TProgressThread::titleChanged, s.form.get(),
                         &QWidget::setWindowTitle);
        QObject::connect(s.thread.get(), &TProgressThread::stepChanged, s.form.get(),
                         &TfrmProgress::setStep);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        s.form->show();
        s.thread->start();
    }
    QApplication::processEvents();
}

} // namespace

void InitProgress(platform::Desktop* desktop, ProgressProgramSetup setup)
{
    ProgressState& s = state();
    endInProcess();
    s.program.reset();
    if (!desktop)
        return;
    if (setup.arguments.empty())
        for (const QString& arg : QCoreApplication::arguments().mid(1))
            setup.arguments.push_back(arg.toStdString());
    if (setup.suiteDataDir.empty() && setup.programDir.empty()) {
        setup.suiteDataDir = Paths().SuiteDataDir;
        setup.programDir = Paths().ProgramDir;
    }
    if (!setup.styleName)
        setup.styleName = [] { return ActiveStyleName().toStdString(); };
    s.program = std::make_unique<ProgressProgram>(*desktop, std::move(setup));
}

void StartProgress(const QString& caption, const QString& status, bool externalOnly)
{
    ProgressState& s = state();
    if (s.busy)
        return;
    s.busy = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool endOwn = false;
    const auto outcome = s.program ? s.program->start(caption.toStdString(), status.toStdString(),
                                                      externalOnly, endOwn)
                         : externalOnly ? ProgressProgram::Outcome::External
                                        : ProgressProgram::Outcome::InProcess;
    if (endOwn)
        endInProcess();
    QApplication::restoreOverrideCursor();
    if (outcome == ProgressProgram::Outcome::InProcess)
        showInProcess(caption, status);
    s.busy = false;
}

void EndProgress(bool force)
{
    ProgressState& s = state();
    if (s.program)
        s.program->end(force);
    endInProcess();
}

TfrmProgress* CurrentProgressForm() { return state().form.get(); }
ProgressProgram* CurrentProgressProgram() { return state().program.get(); }
void SetProgressTiming(TProgressThread::Timing timing) { state().timing = timing; }

TfrmProgress::TfrmProgress(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint)
{
    setWindowTitle(Translate("Status"));
    setFixedSize(296, 117);
    auto* group = new QGroupBox(this);
    label1_ = new QLabel(Translate("Systemet arbetar. Detta kan ta flera minuter..."), group);
    label1_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label1_->setWordWrap(true);
    label2_ = new QLabel(group);
    label2_->setAlignment(Qt::AlignCenter);
    animation_ = new QProgressBar(group);
    animation_->setRange(0, 9);
    animation_->setTextVisible(false);
    auto* inner = new QVBoxLayout(group);
    inner->addWidget(label1_);
    inner->addWidget(label2_);
    inner->addWidget(animation_);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(group);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    PrepareForm(this);
}

void TfrmProgress::setStep(int step) { animation_->setValue(step); }

void TfrmProgress::closeEvent(QCloseEvent* event) { event->ignore(); }

TProgressThread::TProgressThread(const QString& caption, Timing timing)
    : caption_(caption), decimalPoint_(QLocale().decimalPoint()), timing_(timing)
{
}

TProgressThread::~TProgressThread() { stop(); }

void TProgressThread::stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    wait();
}

bool TProgressThread::sleepFor(int ms)
{
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void TProgressThread::run()
{
    if (!sleepFor(timing_.firstMs))
        return;
    elapsed_ = 1000;
    do {
        elapsed_ += 200;
        step_ = (step_ + 1) % 10;
        emit stepChanged(step_);
        emit titleChanged(QString::fromStdString(
            ProgressTitle(caption_.toStdString(), elapsed_, decimalPoint_.toStdString())));
    } while (sleepFor(timing_.stepMs));
}

} // namespace toolkit
