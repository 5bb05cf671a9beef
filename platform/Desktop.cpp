#include "Desktop.h"

namespace platform {

namespace {
void appendDescendants(Desktop& desktop, WindowId parent, std::vector<WindowId>& out)
{
    for (WindowId child : desktop.children(parent)) {
        out.push_back(child);
        appendDescendants(desktop, child, out);
    }
}
} // namespace

std::vector<WindowId> Desktop::descendants(WindowId parent)
{
    std::vector<WindowId> out;
    appendDescendants(*this, parent, out);
    return out;
}

std::vector<WindowFacts> Desktop::windowFacts(const std::vector<WindowId>& windows,
                                              const FactRequest& request)
{
    std::vector<WindowFacts> out(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (request.className)
            out[i].className = className(windows[i]);
        if (request.textChars)
            out[i].text = windowText(windows[i], request.textChars);
        if (request.visible)
            out[i].visible = isVisible(windows[i]);
    }
    return out;
}

bool Desktop::sendPrivateText(WindowId target, MessageId msg, std::int64_t wParam,
                              const std::string& text)
{
    if (text.empty())
        return sendMessage(target, msg, wParam, 0);
    const AtomId atom = addAtom(text);
    if (atom == 0)
        return false;
    const bool sent = sendMessage(target, msg, wParam, atom);
    deleteAtom(atom);
    return sent;
}

std::string Desktop::receivePrivateText(const Message& message, std::size_t maxChars)
{
    return message.lParam == 0 ? std::string()
                               : atomName(static_cast<AtomId>(message.lParam), maxChars);
}

WindowId Desktop::findWindow(const std::optional<std::string>& cls,
                             const std::optional<std::string>& title)
{
    for (WindowId w : topLevelWindows()) {
        if (cls && className(w) != *cls)
            continue;
        if (title && windowText(w, title->size() + 1) != *title)
            continue;
        return w;
    }
    return 0;
}

WindowId Desktop::findChild(WindowId parent, const std::string& cls)
{
    for (WindowId child : children(parent))
        if (className(child) == cls)
            return child;
    return 0;
}

} // namespace platform
