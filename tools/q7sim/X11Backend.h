#pragma once
// q7sim's windows on X11, through xcb.

#include "Q7Sim.h"

#include "platform/x11/X11Desktop.h"

#include <map>

namespace q7sim {

class X11Backend : public WindowBackend {
public:
    explicit X11Backend(platform::X11Desktop& desktop) : desktop_(desktop) {}

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
    void sync() override;
    void quit(const std::vector<Handle>& topLevel) override;
    void afterCommand() override;

private:
    void announceManager();
    // Makes the drawing the window's background picture, so the X server
    // itself repaints it whenever the window is exposed.
    void paint(Handle w);
    void drainEvents();

    platform::X11Desktop& desktop_;
    xcb_window_t managerCheck_ = 0;
    struct Drawn {
        std::string cls;
        Drawing drawing;
    };
    std::map<Handle, Drawn> drawings_;
};

} // namespace q7sim
