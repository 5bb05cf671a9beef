#pragma once
// q7sim's windows on the in-memory desktop, so that the scenarios the X11 and
// Win32 tests play also run without a window system.

#include "Q7Sim.h"

#include "platform/memory/MemoryDesktop.h"

namespace q7sim {

class MemoryBackend : public WindowBackend {
public:
    explicit MemoryBackend(platform::MemoryDesktop& desktop) : desktop_(desktop) {}

    Handle create(Handle parent, const std::string& parentClass, const std::string& cls,
                  const std::string& text, const Geometry& g) override;
    void setText(Handle w, const std::string& text) override;
    void raise(Handle w, const std::string& parentClass) override;
    void setShown(Handle w, bool shown) override;
    void minimize(Handle w) override;
    void setGeometry(Handle w, const Geometry& g) override;
    std::vector<Handle> frame(Handle client, int depth) override;
    void destroy(Handle w, const std::string& parentClass) override;
    void draw(Handle w, const std::string& cls, const Drawing& drawing) override;
    void sync() override {}
    void quit(const std::vector<Handle>& topLevel) override;

private:
    platform::MemoryDesktop& desktop_;
};

} // namespace q7sim
