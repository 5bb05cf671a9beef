#pragma once
// Bringing the journal connection back after it was lost. Each try opens a
// connection of its own on a worker thread, so a server that does not answer
// never holds up the window; the pause between tries doubles up to a limit.
// Once a try gets an answer the connection itself is reopened and the owner
// is told.

#include <QObject>
#include <QSqlDatabase>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace app {

// True when the connection is open and answers a trivial query.
bool ConnectionAnswers(QSqlDatabase db);

struct Backoff {
    int firstMs = 1000;
    int maxMs = 30000;
    // The pause after one of this length: doubled, at most maxMs.
    int after(int pauseMs) const;
};

class ConnectionRecovery {
public:
    explicit ConnectionRecovery(Backoff backoff = {});
    ~ConnectionRecovery();
    ConnectionRecovery(const ConnectionRecovery&) = delete;
    ConnectionRecovery& operator=(const ConnectionRecovery&) = delete;

    void setConnection(QSqlDatabase db) { db_ = db; }
    void setBackoff(Backoff backoff) { backoff_ = backoff; }
    // Called on the GUI thread once the connection answers again.
    void onRestored(std::function<void()> restored) { restored_ = std::move(restored); }

    // Starts trying, unless it already is; nothing without a connection.
    void start();
    // The connection works again by other means: no more tries.
    void stop();
    bool active() const { return active_; }
    int pauseMs() const { return pause_; }

private:
    void tryOnce();
    void tried(bool answered);
    void joinProbe();

    QSqlDatabase db_;
    Backoff backoff_;
    std::function<void()> restored_;
    bool active_ = false;
    int pause_ = 0;
    QTimer timer_;
    QObject context_; // delivers the worker's result on the GUI thread
    std::thread probe_;
    std::atomic<bool> probing_{false};
};

} // namespace app
