#include "MemoryBackend.h"

#include <stdexcept>

namespace q7sim {

namespace {
platform::Rect rect(const Geometry& g)
{
    return {g.x, g.y, g.x + g.width, g.y + g.height};
}
} // namespace

Handle MemoryBackend::create(Handle parent, const std::string& parentClass, const std::string& cls,
                             const std::string& text, const Geometry& g)
{
    const platform::WindowId w = desktop_.add(parent, cls, text);
    desktop_.window(w).rect = rect(g);
    // A new document becomes the active one, as WM_MDICREATE makes it.
    if (parentClass == "MDIClient")
        desktop_.window(parent).mdiActive = w;
    return w;
}

void MemoryBackend::setText(Handle w, const std::string& text)
{
    desktop_.window(w).text = text;
}

void MemoryBackend::raise(Handle w, const std::string& parentClass)
{
    if (parentClass == "MDIClient")
        desktop_.window(desktop_.window(w).parent).mdiActive = w;
    else
        desktop_.raiseWindow(w);
}

void MemoryBackend::setShown(Handle w, bool shown)
{
    desktop_.window(w).visible = shown;
}

void MemoryBackend::minimize(Handle w)
{
    desktop_.window(w).minimized = true;
}

void MemoryBackend::setGeometry(Handle w, const Geometry& g)
{
    desktop_.window(w).rect = rect(g);
}

std::vector<Handle> MemoryBackend::frame(Handle, int)
{
    throw std::invalid_argument("frame: the memory desktop has no window manager");
}

void MemoryBackend::destroy(Handle w, const std::string& parentClass)
{
    const platform::WindowId parent = desktop_.window(w).parent;
    desktop_.remove(w);
    // The document made last of those left becomes the active one.
    if (parentClass == "MDIClient" && desktop_.window(parent).mdiActive == w) {
        const std::vector<platform::WindowId> left = desktop_.children(parent);
        desktop_.window(parent).mdiActive = left.empty() ? 0 : left.back();
    }
}

void MemoryBackend::draw(Handle, const std::string&, const Drawing&)
{
    throw std::invalid_argument("draw: the memory desktop has no pixels to draw on");
}

void MemoryBackend::quit(const std::vector<Handle>& topLevel)
{
    for (Handle w : topLevel)
        desktop_.remove(w);
}

} // namespace q7sim
