#include "ShutdownSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace floater {

namespace {

// The handler may only write to a pipe; the event loop reads it.
int wakeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void onSignal(int signal)
{
    const unsigned char s = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto n = ::write(wakeFds[1], &s, 1);
}

} // namespace

ShutdownSignals::ShutdownSignals(std::function<void(int)> handler, QObject* parent)
    : QObject(parent), onSignal_(std::move(handler))
{
    if (wakeFds[0] >= 0 || ::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char s = 0;
        while (::read(wakeFds[0], &s, 1) == 1)
            onSignal_(s);
    });
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : kSignals)
        ::sigaction(s, &sa, nullptr);
}

ShutdownSignals::~ShutdownSignals()
{
    if (!notifier_)
        return;
    for (int s : kSignals)
        ::signal(s, SIG_DFL);
    delete notifier_;
    notifier_ = nullptr;
    ::close(wakeFds[0]);
    ::close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
}

} // namespace floater
