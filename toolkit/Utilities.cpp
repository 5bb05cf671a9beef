#include "Utilities.h"

#include "Dialogs.h"
#include "Progress.h"
#include "toolkit/core/TextMessages.h"

#include <QEventLoop>
#include <QFontMetrics>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace toolkit {

namespace {
std::optional<int> g_answer;
QEventLoop* g_waiting = nullptr;
}

QString TextPadding(const QWidget* control, int count, int extraPixels)
{
    const QFontMetrics metrics(control->font());
    const int wanted = extraPixels + count * metrics.horizontalAdvance('0');
    QString text;
    while (metrics.horizontalAdvance(text) < wanted)
        text += ' ';
    return text;
}

void ShowFindFilesError(const std::string& error)
{
    ShowError(Translate("Det gick inte att skanna efter filer!") + "\r\r" +
              QString::fromStdString(error));
}

void TextMessageAnswered(int value)
{
    g_answer = value;
    if (g_waiting)
        g_waiting->quit();
}

int SendTextMessageAndWait(platform::Desktop& desktop, platform::WindowId window,
                           platform::MessageId message, std::int64_t wParam, const QString& text,
                           const QString& controllingProgram, int timeoutMs)
{
    // Cleared before sending: a receiver may answer while the send runs.
    g_answer.reset();
    SendTextMessage(desktop, window, message, wParam, text.toStdString());
    StartProgress(Translate("Kommunicerar"), Translate("Kommunicerar med") + " " +
                                                 controllingProgram + ", " + Translate("vänta") +
                                                 "...");
    if (!g_answer) {
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        g_waiting = &loop;
        loop.exec();
        g_waiting = nullptr;
    }
    EndProgress();
    if (!g_answer) {
        ShowInfo(Translate("Inget svar från det styrande programmet!"));
        return 0;
    }
    return *g_answer;
}

} // namespace toolkit
