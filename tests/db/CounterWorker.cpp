// counter_worker <connection string> <count> <go file>: opens the counter
// connection, waits until the go file exists (so that all workers start
// together), allocates count numbers of ("Kunder", "patientnr") and prints
// each one on a line, then "retries <n>".
#include "app/database/CounterTable.h"
#include "toolkit/db/SqlConnections.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    QString error;
    QSqlDatabase db = toolkit::OpenConnection(QStringLiteral("counter"), args[1], &error);
    QTextStream out(stdout);
    if (!db.isOpen()) {
        QTextStream(stderr) << error << '\n';
        return 1;
    }
    while (!QFileInfo::exists(args[3]))
        QThread::msleep(1);
    app::CounterTable counters(db);
    const int count = args[2].toInt();
    for (int i = 0; i < count; ++i)
        out << counters.increaseCounterField(QStringLiteral("Kunder"), QStringLiteral("patientnr")) << '\n';
    out << "retries " << counters.retries() << '\n';
    return 0;
}
