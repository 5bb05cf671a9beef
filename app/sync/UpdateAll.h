#pragma once
// The batch run of UPDATE_ALL: the person sync, quietly, for every patient of
// the journal, with progress in the floater's batch layer and a log file
// that is opened when anything went wrong.

#include "PersonSync.h"

#include "platform/Desktop.h"

#include <QString>
#include <QStringList>

namespace app {

// What the run needs of the window that shows it.
class BatchView {
public:
    virtual ~BatchView() = default;
    // Title bar off, busy overlay on, count box and "Gå till Orvana" hidden,
    // the batch layer in front with an empty log.
    virtual void beginBatch(const QString& busyText) = 0;
    // The patient being synced: the patient label, the compact line, the
    // progress bar (position of count) and the label above it.
    virtual void showActive(const QString& personnr, int position, int count,
                            const QString& label) = 0;
    virtual void addLogLine(const QString& line) = 0;
    virtual QStringList logLines() const = 0;
    // The run is over: the window closes and the program ends.
    virtual void endBatch() = 0;
};

inline constexpr const char* kBatchLogName = "q72orvana-logg.txt";

// "Aktiv post: 3/120"
QString ActiveRecordText(int position, int count);

// Writes the log entries as UTF-8 text lines, readable by the owner only; an
// entry's own line breaks become line breaks of the file. False when the file
// cannot be written.
bool SaveBatchLog(const QStringList& entries, const QString& path);

class TUpdateAll {
public:
    // context: the person sync's connections and switches; its batchLog and
    // markError are replaced by the run's own. desktop opens the log (may be
    // null: the log is then only saved). logDir: the user's private folder
    // (toolkit::GetPrivateStateDir) unless given.
    TUpdateAll(BatchView& view, PersonSyncContext context, platform::Desktop* desktop,
               QString logDir = QString());

    // The whole run; returns showerrorlist.
    bool run();
    // Empty when there is no private folder to write it to.
    QString logFile() const
    {
        return logDir_.isEmpty() ? QString() : logDir_ + QString::fromLatin1(kBatchLogName);
    }

private:
    BatchView& view_;
    PersonSyncContext context_;
    platform::Desktop* desktop_;
    QString logDir_;
    QString logDirError_;
};

} // namespace app
