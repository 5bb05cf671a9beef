#include "MemoryDesktop.h"

#include "../Utf8.h"

#include <algorithm>

namespace platform {


WindowId MemoryDesktop::add(WindowId parent, std::string cls, std::string text, bool visible)
{
    WindowId id = next_++;
    Window w;
    w.parent = parent;
    w.cls = std::move(cls);
    w.text = std::move(text);
    w.visible = visible;
    windows_[id] = std::move(w);
    order_.push_back(id);
    return id;
}

void MemoryDesktop::remove(WindowId w)
{
    for (WindowId child : children(w))
        remove(child);
    windows_.erase(w);
    order_.erase(std::remove(order_.begin(), order_.end(), w), order_.end());
}

std::vector<WindowId> MemoryDesktop::topLevelWindows()
{
    std::vector<WindowId> out = children(0);
    std::reverse(out.begin(), out.end());
    return out;
}

std::vector<WindowId> MemoryDesktop::children(WindowId parent)
{
    std::vector<WindowId> out;
    if (parent != 0 && !exists(parent))
        return out;
    for (WindowId w : order_)
        if (windows_.at(w).parent == parent)
            out.push_back(w);
    return out;
}

std::string MemoryDesktop::className(WindowId w)
{
    return exists(w) ? windows_.at(w).cls : std::string();
}

std::string MemoryDesktop::windowText(WindowId w, std::size_t maxChars)
{
    return exists(w) ? cutUtf8(windows_.at(w).text, maxChars) : std::string();
}

bool MemoryDesktop::isVisible(WindowId w)
{
    // Like the real systems: a window is visible only when its parents are.
    for (WindowId cur = w; cur != 0; cur = windows_.at(cur).parent)
        if (!exists(cur) || !windows_.at(cur).visible)
            return false;
    return true;
}

bool MemoryDesktop::isMinimized(WindowId w)
{
    return exists(w) && windows_.at(w).minimized;
}

std::optional<Rect> MemoryDesktop::windowRect(WindowId w)
{
    if (!exists(w))
        return std::nullopt;
    return windows_.at(w).rect;
}

WindowId MemoryDesktop::mdiActiveChild(WindowId mdiClient)
{
    if (!exists(mdiClient))
        return 0;
    WindowId active = windows_.at(mdiClient).mdiActive;
    return exists(active) ? active : 0;
}

MessageId MemoryDesktop::registerMessage(const std::string& name)
{
    auto [it, added] = messages_.emplace(name, 0);
    if (added)
        it->second = 0xC100 + static_cast<MessageId>(messages_.size());
    return it->second;
}

AtomId MemoryDesktop::addAtom(const std::string& text)
{
    if (text.empty() || text.size() > 255)
        return 0;
    AtomId id = nextAtom_++;
    atoms_[id] = text;
    return id;
}

std::string MemoryDesktop::atomName(AtomId atom, std::size_t maxChars)
{
    auto it = atoms_.find(atom);
    return it == atoms_.end() ? std::string() : cutUtf8(it->second, maxChars);
}

void MemoryDesktop::deleteAtom(AtomId atom)
{
    atoms_.erase(atom);
}

bool MemoryDesktop::sendMessage(WindowId target, MessageId msg, std::int64_t wParam,
                                std::int64_t lParam)
{
    if (!exists(target))
        return false;
    Message m{target, msg, wParam, lParam};
    sent.push_back({m, atomName(static_cast<AtomId>(lParam), 255)});
    if (onMessage)
        onMessage(m);
    return true;
}

void MemoryDesktop::restoreWindow(WindowId w)
{
    if (exists(w))
        windows_.at(w).minimized = false;
}

void MemoryDesktop::raiseWindow(WindowId w)
{
    if (!exists(w))
        return;
    windows_.at(w).raised = true;
    // In front of its siblings.
    order_.erase(std::remove(order_.begin(), order_.end(), w), order_.end());
    order_.push_back(w);
}

std::optional<Capture> MemoryDesktop::captureWindow(WindowId w)
{
    if (!exists(w))
        return std::nullopt;
    return windows_.at(w).pixels;
}

WindowId MemoryDesktop::createApplicationWindow(const std::string& cls, const std::string& title)
{
    return add(0, cls, title, false);
}

void MemoryDesktop::setWindowIdentity(WindowId w, const std::string& cls, const std::string& title)
{
    if (!exists(w))
        return;
    windows_.at(w).cls = cls;
    windows_.at(w).text = title;
}

bool MemoryDesktop::shellOpen(const std::string& file, const std::string& workingDir)
{
    shellCalls.push_back({file, {}, workingDir, false});
    return std::find(startableFiles.begin(), startableFiles.end(), file) != startableFiles.end();
}

bool MemoryDesktop::runProgram(const std::string& file, const std::string& parameters,
                               const std::string& workingDir)
{
    shellCalls.push_back({file, parameters, workingDir, true});
    return std::find(startableFiles.begin(), startableFiles.end(), file) != startableFiles.end();
}

} // namespace platform
