#pragma once
// SIGTERM, SIGHUP and SIGINT (the session ending, a terminal closed, Ctrl+C)
// end the floater the orderly way, through its close steps, instead of
// killing it in the middle of whatever it does.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace floater {

class ShutdownSignals : public QObject {
public:
    // onSignal runs on the GUI thread, from the event loop, once per signal.
    explicit ShutdownSignals(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    ~ShutdownSignals() override;
    bool ok() const { return notifier_ != nullptr; }

private:
    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace floater
