#include "FloaterMessages.h"

#include "toolkit/core/PersonalNumber.h"
#include "platform/Utf8.h"
#include "toolkit/core/Text.h"

namespace floater {

RegisteredMessages registerMessages(platform::Desktop& desktop)
{
    RegisteredMessages m;
    m.setActiveFlik = desktop.registerMessage("SET_ACTIVE_FLIK");
    m.setActivePatient = desktop.registerMessage("SET_ACTIVE_PATIENT");
    m.setActiveBildflik = desktop.registerMessage("SET_ACTIVE_BILDFLIK");
    m.setActivePersonnr = desktop.registerMessage("SET_ACTIVE_PERSONNR");
    return m;
}

platform::WindowId findRunningFloater(platform::Desktop& desktop)
{
    const platform::WindowId app = desktop.findWindow(std::string(kApplicationClass),
                                                      std::string(kApplicationTitle));
    if (app == 0)
        return 0;
    const std::string wanted = toolkit::UpperAscii(kFloaterClass);
    for (platform::WindowId w : desktop.topLevelWindows())
        if (w != app && toolkit::UpperAscii(desktop.className(w)) == wanted)
            return w;
    return 0;
}

std::string handOverNumber(const std::vector<std::string>& args)
{
    for (const std::string& arg : args)
        if (const auto number = toolkit::NumberFromCommandLine(arg))
            return toolkit::TrimControl(*number);
    return {};
}

bool deliverMessage(platform::Desktop& desktop, platform::WindowId target, platform::MessageId msg,
                    std::int64_t wParam, const std::string& text, std::int64_t lParam)
{
    if (target == 0)
        return false;
    if (text > " ") {
        const platform::AtomId atom = desktop.addAtom(text);
        if (atom == 0)
            return false;
        const bool sent = desktop.sendMessage(target, msg, wParam, atom);
        desktop.deleteAtom(atom);
        return sent;
    }
    return desktop.sendMessage(target, msg, wParam, lParam);
}

HandOver handOverToRunningFloater(platform::Desktop& desktop, const std::vector<std::string>& args)
{
    const RegisteredMessages messages = registerMessages(desktop);
    const platform::WindowId first = findRunningFloater(desktop);
    if (first == 0)
        return HandOver::NoFloater;
    return desktop.sendPrivateText(first, messages.setActivePersonnr, 0, handOverNumber(args))
               ? HandOver::Delivered
               : HandOver::Failed;
}

std::string receivedPersonnr(platform::Desktop& desktop, const platform::Message& message)
{
    const std::string text = desktop.receivePrivateText(message, 255);
    return toolkit::NumberFromHandOver(text).value_or(std::string());
}

} // namespace floater
