#pragma once
// Closing the program's database connections when the computer suspends and
// reopening them when it resumes. logind announces both with its
// PrepareForSleep signal (true before sleeping, false after waking).

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QStringList>

#include <functional>

namespace toolkit {

class PowerEventHandler : public QObject {
    Q_OBJECT
public:
    explicit PowerEventHandler(QObject* parent = nullptr);

    // Listens to logind on the system bus and holds a delay lock on sleep, so
    // the connections are closed before the computer sleeps; false when
    // there is no such bus.
    bool listenToLogind();

    // Disconnects every open connection and marks it for reconnection.
    void suspend();
    // Waits, then reconnects every marked connection (each with a new
    // transaction) and reports; a connection that cannot be reopened ends the
    // program with exit code 1 after the message.
    void resume();

    const QStringList& marked() const { return marked_; }

    // Replaceable for tests: the wait after waking and the program's end.
    std::function<void(int ms)> wait;
    std::function<void(int code)> exitProgram;

public slots:
    void PrepareForSleep(bool sleeping);

private:
    void takeSleepLock();

    QDBusUnixFileDescriptor sleepLock_; // released once the connections are closed
    QStringList marked_; // connection names in the order they were closed; kept after resume
};

} // namespace toolkit
