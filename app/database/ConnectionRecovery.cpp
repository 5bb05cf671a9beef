#include "ConnectionRecovery.h"

#include <QSqlQuery>
#include <QUuid>

#include <algorithm>

namespace app {

bool ConnectionAnswers(QSqlDatabase db)
{
    if (!db.isOpen())
        return false;
    QSqlQuery q(db);
    return q.exec(QStringLiteral("SELECT 1")) && q.next();
}

int Backoff::after(int pauseMs) const
{
    return std::min(maxMs, std::max(firstMs, pauseMs * 2));
}

ConnectionRecovery::ConnectionRecovery(Backoff backoff) : backoff_(backoff)
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &context_, [this] { tryOnce(); });
}

ConnectionRecovery::~ConnectionRecovery()
{
    timer_.stop();
    joinProbe();
}

void ConnectionRecovery::start()
{
    if (active_ || !db_.isValid())
        return;
    active_ = true;
    pause_ = backoff_.firstMs;
    timer_.start(pause_);
}

void ConnectionRecovery::stop()
{
    active_ = false;
    timer_.stop();
}

void ConnectionRecovery::joinProbe()
{
    if (probe_.joinable())
        probe_.join();
}

void ConnectionRecovery::tryOnce()
{
    if (probing_)
        return;
    joinProbe();
    probing_ = true;
    // A connection of the worker's own, cloned by name as Qt allows across threads.
    probe_ = std::thread([this, original = db_.connectionName()] {
        const QString name = original + QStringLiteral("-probe-") + QUuid::createUuid().toString(QUuid::Id128);
        bool answered = false;
        {
            QSqlDatabase probe = QSqlDatabase::cloneDatabase(original, name);
            answered = probe.open() && ConnectionAnswers(probe);
            probe.close();
        }
        QSqlDatabase::removeDatabase(name);
        QMetaObject::invokeMethod(&context_, [this, answered] { tried(answered); }, Qt::QueuedConnection);
    });
}

void ConnectionRecovery::tried(bool answered)
{
    joinProbe();
    probing_ = false;
    if (!active_)
        return;
    if (answered) {
        // The server is back: the old connection is dead, open it anew.
        db_.close();
        if (db_.open() && ConnectionAnswers(db_)) {
            active_ = false;
            if (restored_)
                restored_();
            return;
        }
    }
    pause_ = backoff_.after(pause_);
    timer_.start(pause_);
}

} // namespace app
