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
                                              std::size_t maxChars)
{
    std::vector<WindowFacts> out;
    out.reserve(windows.size());
    for (WindowId w : windows)
        out.push_back({className(w), maxChars ? windowText(w, maxChars) : std::string(),
                       isVisible(w)});
    return out;
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
