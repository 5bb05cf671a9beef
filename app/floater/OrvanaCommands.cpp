#include "OrvanaCommands.h"

#include "FloaterMessages.h"

#include <filesystem>

namespace floater {

std::string OrvanaProgramFile(const std::string& dirPrefix)
{
    if (dirPrefix.empty())
        return kOrvanaProgramFile;
    return (std::filesystem::path(dirPrefix) / kOrvanaProgramFile).string();
}

OrvanaSendResult SendToOrvana(platform::Desktop& desktop, platform::MessageId msg, std::int64_t wParam,
                              bool startAllowed, const std::string& text, std::int64_t lParam,
                              const OrvanaStart& start)
{
    const platform::WindowId app =
        desktop.findWindow(std::string(kApplicationClass), std::string(kOrvanaApplicationTitle));
    if (app != 0) {
        if (desktop.isMinimized(app))
            desktop.restoreWindow(app);
        else
            desktop.raiseWindow(app);
        // A message to a main form that is gone is lost, as it would be anyway.
        const platform::WindowId form = desktop.findWindow(std::string(kOrvanaMainFormClass), std::nullopt);
        return deliverMessage(desktop, form, msg, wParam, text, lParam) ? OrvanaSendResult::Delivered
                                                                        : OrvanaSendResult::Lost;
    }
    if (!startAllowed)
        return OrvanaSendResult::NotRunning;
    const std::string program = OrvanaProgramFile(start.dirPrefix);
    std::error_code ec;
    if (!std::filesystem::exists(program, ec))
        return OrvanaSendResult::NotRunning;
    const std::string parameters = "PNR=" + start.lastLookedUp + " " + start.startParameters;
    return desktop.runProgram(program, parameters, start.dirPrefix) ? OrvanaSendResult::Started
                                                                  : OrvanaSendResult::NotRunning;
}

} // namespace floater
