#pragma once
// q7sim's windows on X11, through xcb.

#include "Q7Sim.h"

#include "platform/x11/X11Desktop.h"

namespace q7sim {

class X11Backend : public WindowBackend {
public:
    explicit X11Backend(platform::X11Desktop& desktop) : desktop_(desktop) {}

    Handle create(Handle parent, const std::string& parentClass, const std::string& cls,
                  const std::string& text, const Geometry& g) override;
    void setText(Handle w, const std::string& text) override;
    void raise(Handle w, const std::string& parentClass) override;
    void setShown(Handle w, bool shown) override;
    void setGeometry(Handle w, const Geometry& g) override;
    std::vector<Handle> frame(Handle client, int depth) override;
    void destroy(Handle w, const std::string& parentClass) override;
    void sync() override;
    void quit(const std::vector<Handle>& topLevel) override;
    void afterCommand() override;

private:
    void announceManager();
    void drainEvents();

    platform::X11Desktop& desktop_;
    xcb_window_t managerCheck_ = 0;
};

} // namespace q7sim
