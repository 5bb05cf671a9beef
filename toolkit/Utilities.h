#pragma once
// The toolkit utilities that need widgets or the event loop.

#include "platform/Desktop.h"

#include <QString>

class QWidget;

namespace toolkit {

// Blanks, one at a time, until the text is at least extraPixels + count
// widths of "0" wide in the control's font: room for a tab's badge.
QString TextPadding(const QWidget* control, int count, int extraPixels);

// The error report of FindFiles, for its onError.
void ShowFindFilesError(const std::string& error);

// Sends the text like SendTextMessage and waits, with the progress display
// up, for the controlling program to answer through TextMessageAnswered.
// Without an answer within the time-out it shows "Inget svar från det
// styrande programmet!" and gives 0.
int SendTextMessageAndWait(platform::Desktop& desktop, platform::WindowId window,
                           platform::MessageId message, std::int64_t wParam, const QString& text,
                           const QString& controllingProgram, int timeoutMs = 10000);
// Delivers the controlling program's answer to a waiting SendTextMessageAndWait.
void TextMessageAnswered(int value);

} // namespace toolkit
