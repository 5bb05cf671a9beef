#pragma once
// Plays Q7: windows with the classes, titles and control texts the floater
// looks for, built and changed by text commands. The commands are read here;
// a window backend per window system (X11, Win32) makes the windows.
//
// Commands, one a line (a text is the rest of the line; "\xNN" stands for
// any byte and "\\" for a backslash; "#" starts a comment line):
//   q7 [TITLE]                   Q7's main window "q7" (default title
//                                "Q7 Kliniksystem - [Q7 Kliniksystem]") with
//                                its document area "mdi" of class "MDIClient"
//   top NAME CLASS [TITLE]       a top-level window (a dialog, another program)
//   child NAME PARENT CLASS [TEXT]  a child window: a document in "mdi", a
//                                control, "MIAQ7CAPTIONBAR", an "AfxWnd100"
//                                titled "Appointment", ...
//   text NAME [TEXT]             changes a title or control text
//   raise NAME                   puts a window above its siblings; a document
//                                of "mdi" raised becomes Q7's active one
//   show NAME | hide NAME        shows or hides a window
//   minimize NAME                minimises a top-level window the way the
//                                window system does (on X11 what a window
//                                manager does: unmapped, WM_STATE iconic,
//                                _NET_WM_STATE_HIDDEN)
//   geometry NAME X Y W H        moves and sizes a window
//   frame NAME [DEPTH]           (X11 only) does what a reparenting window
//                                manager does: puts a top-level window into a
//                                frame without WM_CLASS (DEPTH 2: frame and
//                                wrapper), marks it with WM_STATE and
//                                announces a manager on the root (withdrawn
//                                at "quit")
//   draw NAME NUMBER [OFFSET [plain|subpixel]]
//                                (X11 only) draws NUMBER as Q7 draws the
//                                patient's number (the window's text stays as
//                                it is): a "MIAQ7CAPTIONBAR" bar (24 pixels
//                                high) puts it in the caption strip that starts
//                                OFFSET + 154 pixels left of its right edge
//                                (OFFSET 0, 38, 106 or 144; default 0), in the
//                                caption font, aliased ("plain", the default) or
//                                with sub-pixel colour fringes ("subpixel"); an
//                                "AfxWnd80"/"AfxWnd100" window draws it at
//                                (37, 22) in the small font. A later "geometry"
//                                keeps the drawing in place, a new "draw"
//                                replaces it.
//   close NAME                   destroys a window with its children
//   sync                         answers "ok" once the window system has
//                                everything
//   quit                         closes all windows and ends
// Windows are created in the order given, and the window systems enumerate
// siblings in that order. On Win32 the caption bar draws its text (the
// number) for recognition.

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace q7sim {

// Turns "\xNN" and "\\" escapes into bytes.
std::string unescape(const std::string& text);

using Handle = std::uint64_t;

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// A number drawn the way Q7 draws it.
struct Drawing {
    std::string number;
    int offset = 0;
    bool subPixel = false;
};

// Makes and changes windows on one window system. Errors are thrown as
// std::exception and reported by the command reader.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    // parent 0: a top-level window. parentClass is the class the parent was
    // made with ("MDIClient" for Q7's documents).
    virtual Handle create(Handle parent, const std::string& parentClass, const std::string& cls,
                          const std::string& text, const Geometry& g) = 0;
    virtual void setText(Handle w, const std::string& text) = 0;
    virtual void raise(Handle w, const std::string& parentClass) = 0;
    virtual void setShown(Handle w, bool shown) = 0;
    virtual void minimize(Handle w) = 0;
    virtual void setGeometry(Handle w, const Geometry& g) = 0;
    // Puts a top-level window into depth frames; returns them, outermost first.
    virtual std::vector<Handle> frame(Handle client, int depth) = 0;
    virtual void destroy(Handle w, const std::string& parentClass) = 0;
    // Draws a number into a caption bar or appointment window of class cls.
    virtual void draw(Handle w, const std::string& cls, const Drawing& drawing) = 0;
    // Returns once the window system has everything sent so far.
    virtual void sync() = 0;
    // Destroys the given top-level windows before the program ends.
    virtual void quit(const std::vector<Handle>& topLevel) = 0;
    // After every command, errors or not.
    virtual void afterCommand() {}
};

class Q7Sim {
public:
    Q7Sim(WindowBackend& backend, std::ostream& replies);

    // Runs one command line. False after "quit". Errors are reported on the
    // replies stream as "error: ..." and change nothing.
    bool run(const std::string& line);

private:
    Handle create(const std::string& name, Handle parent, const std::string& cls,
                  const std::string& text);
    Handle window(const std::string& name) const;
    const std::string& parentClass(Handle w) const;
    void forget(Handle w);

    WindowBackend& backend_;
    std::ostream& replies_;
    std::map<std::string, Handle> windows_;
    std::map<Handle, Handle> parents_; // 0 for top-level windows
    std::map<Handle, std::string> classes_;
    std::map<Handle, int> childCount_;
    int topCount_ = 0;
};

// Runs the scenario files in order. False after "quit" (*quit set) or when a
// file cannot be read (reported on errors).
bool RunScenarioFiles(Q7Sim& sim, const std::vector<std::string>& files, std::ostream& errors, bool* quit);

} // namespace q7sim
