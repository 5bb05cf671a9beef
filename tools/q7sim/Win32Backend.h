#pragma once
// q7sim's windows on Win32: real windows of Q7's classes. The main window
// holds a system "MDIClient" whose documents are MDI children (the last one
// made or raised is the active one); "Edit" is the system's edit control;
// every other class is registered here. "MIAQ7CAPTIONBAR" paints its text
// (the number) with GDI as Q7 does, white on dark blue, its hyphen where the
// caption reader's first strip expects it.

#include "Q7Sim.h"

#include <set>
#include <string>

namespace q7sim {

class Win32Backend : public WindowBackend {
public:
    Win32Backend() = default;
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    Handle create(Handle parent, const std::string& parentClass, const std::string& cls,
                  const std::string& text, const Geometry& g) override;
    void setText(Handle w, const std::string& text) override;
    void raise(Handle w, const std::string& parentClass) override;
    void setShown(Handle w, bool shown) override;
    void minimize(Handle w) override;
    void setGeometry(Handle w, const Geometry& g) override;
    std::vector<Handle> frame(Handle client, int depth) override;
    void destroy(Handle w, const std::string& parentClass) override;
    // Numbers are painted from the caption bar's text on Win32.
    void draw(Handle w, const std::string& cls, const Drawing& drawing) override;
    void sync() override;
    void quit(const std::vector<Handle>& topLevel) override;

private:
    void ensureClass(const std::wstring& cls);

    std::set<std::wstring> classes_;
};

} // namespace q7sim
