#include "PowerEvents.h"

#include "SqlConnections.h"
#include "toolkit/Dialogs.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QSqlDatabase>
#include <QSqlError>
#include <QThread>

#include <cstdlib>

namespace toolkit {

PowerEventHandler::PowerEventHandler(QObject* parent)
    : QObject(parent),
      wait([](int ms) { QThread::msleep(ulong(ms)); }),
      exitProgram([](int code) { std::exit(code); })
{
}

namespace {

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kLogin1Path = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

bool PowerEventHandler::listenToLogind()
{
    const bool listening = QDBusConnection::systemBus().connect(
        kLogin1, kLogin1Path, kManager, QStringLiteral("PrepareForSleep"), this, SLOT(PrepareForSleep(bool)));
    if (listening)
        takeSleepLock();
    return listening;
}

void PowerEventHandler::takeSleepLock()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin1, kLogin1Path, kManager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QCoreApplication::applicationName()
         << QStringLiteral("Stänger databasanslutningarna") << QStringLiteral("delay");
    const QDBusReply<QDBusUnixFileDescriptor> reply = QDBusConnection::systemBus().call(call);
    sleepLock_ = reply.isValid() ? reply.value() : QDBusUnixFileDescriptor();
}

void PowerEventHandler::PrepareForSleep(bool sleeping)
{
    if (sleeping) {
        suspend();
        sleepLock_ = QDBusUnixFileDescriptor(); // now the computer may sleep
    } else {
        takeSleepLock();
        resume();
    }
}

void PowerEventHandler::suspend()
{
    for (const QString& name : QSqlDatabase::connectionNames()) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (!db.isOpen())
            continue;
        CloseConnection(db);
        if (!marked_.contains(name))
            marked_.append(name);
    }
}

void PowerEventHandler::resume()
{
    wait(10000);
    int count = 0;
    QString failures;
    const auto reconnect = [](QSqlDatabase& db, QString* error) {
        CloseConnection(db);
        if (!db.open()) {
            *error = ErrorText(db.lastError());
            return false;
        }
        return BeginTransaction(db, error);
    };
    for (const QString& name : marked_) {
        if (!QSqlDatabase::contains(name))
            continue;
        QSqlDatabase db = QSqlDatabase::database(name, false);
        QString error;
        if (reconnect(db, &error)) {
            ++count;
            continue;
        }
        const QString question =
            Translate(QStringLiteral("Databasanslutningen har avbrutits på ett felaktigt sätt!\rOch det "
                                     "automatiska återanslutningsförsöket resulterade i följande fel:"))
            + QStringLiteral("\r\r") + error + QStringLiteral("\r\r")
            + Translate(QStringLiteral("Försöka ansluta igen?"));
        if (AskYesNo(question) != mrYes)
            continue;
        if (!reconnect(db, &error)) {
            failures += Translate(QStringLiteral("Det gick inte att återansluta")) + u' '
                        + QCoreApplication::applicationName() + u'.' + name + QStringLiteral("!\r")
                        + QStringLiteral("ConnectionString = ") + db.databaseName() + QStringLiteral("\r\r");
        }
    }
    if (failures.isEmpty()) {
        ShowWarning(Translate(QStringLiteral("Programmet har återanslutit")) + u' ' + QString::number(count)
                    + u' '
                    + Translate(QStringLiteral("anslutningar till databasen. Kontrollera att ingen data förlorats.")));
        return;
    }
    ShowWarning(Translate(QStringLiteral("Det gick inte att ansluta till databasen igen. Programmet avslutas."))
                + QStringLiteral("\r\r") + failures);
    exitProgram(1);
}

} // namespace toolkit
