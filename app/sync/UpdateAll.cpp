#include "UpdateAll.h"

#include "toolkit/Dialogs.h"
#include "toolkit/core/Utilities.h"
#include "toolkit/db/SqlConnections.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

namespace app {

QString ActiveRecordText(int position, int count)
{
    return toolkit::Translate(QStringLiteral("Aktiv post: ")) + QString::number(position) + u'/' +
           QString::number(count);
}

bool SaveBatchLog(const QStringList& entries, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    for (QString entry : entries) {
        entry.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        file.write(entry.toUtf8() + '\n');
    }
    return file.commit();
}

TUpdateAll::TUpdateAll(BatchView& view, PersonSyncContext context, platform::Desktop* desktop,
                       QString logDir)
    : view_(view), context_(std::move(context)), desktop_(desktop), logDir_(std::move(logDir))
{
    // The log names patients: it goes to the user's private folder, never to
    // a shared one. Without that folder the log stays in the window only.
    if (logDir_.isEmpty()) {
        try {
            logDir_ = QString::fromStdString(toolkit::GetPrivateStateDir());
        } catch (const std::exception& e) {
            logDirError_ = QString::fromUtf8(e.what());
        }
    }
}

bool TUpdateAll::run()
{
    bool showerrorlist = false;
    view_.beginBatch(toolkit::Translate(QStringLiteral("Uppdaterar Orvanas databas, vänta...")));
    const QString first = QStringLiteral("Q7 to Orvana update started at ") +
                          QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    view_.addLogLine(first);
    view_.addLogLine(QString(first.size(), u'-'));
    QCoreApplication::processEvents();

    context_.batchLog = [this](const QString& line) { view_.addLogLine(line); };
    context_.markError = [&showerrorlist] { showerrorlist = true; };
    TPersonSync sync(context_);

    // The whole list is read first: some drivers allow one open result per
    // connection, and the sync needs the journal connection in between.
    QStringList numbers;
    QSqlQuery list(context_.journal);
    list.setForwardOnly(true);
    if (!list.exec(QStringLiteral("SELECT PERSONNR FROM KUNDER\nORDER BY PERSONNR"))) {
        view_.addLogLine(QStringLiteral("ERROR \tUpdateAll: ") + toolkit::ErrorText(list.lastError()));
        showerrorlist = true;
    } else {
        while (list.next())
            numbers << list.value(0).toString();
        list.finish();
    }

    const int count = static_cast<int>(numbers.size());
    for (int i = 0; i < count; ++i) {
        view_.showActive(numbers[i], i + 1, count, ActiveRecordText(i + 1, count));
        QCoreApplication::processEvents();
        sync.AddOrEditPersonFromQ7ToHalden32(numbers[i], true);
        QCoreApplication::processEvents();
    }

    const QString path = logFile();
    if (path.isEmpty())
        view_.addLogLine(QStringLiteral("ERROR \tUpdateAll: ") + logDirError_);
    if (path.isEmpty() || !SaveBatchLog(view_.logLines(), path))
        showerrorlist = true;
    else if (showerrorlist && desktop_)
        desktop_->shellOpen(path.toStdString(), logDir_.toStdString());
    view_.endBatch();
    return showerrorlist;
}

} // namespace app
