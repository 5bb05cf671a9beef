#pragma once
// Plays Q7 on an X11 display: windows with the classes, titles and control
// texts the floater looks for, built and changed by text commands.
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
//   raise NAME                   puts a window above its siblings; the topmost
//                                shown document of "mdi" is Q7's active one
//   show NAME | hide NAME        maps or unmaps a window
//   geometry NAME X Y W H        moves and sizes a window
//   frame NAME [DEPTH]           does what a reparenting window manager does:
//                                puts a top-level window into a frame without
//                                WM_CLASS (DEPTH 2: frame and wrapper), marks
//                                it with WM_STATE and announces a manager on
//                                the root (withdrawn at "quit")
//   draw NAME NUMBER [OFFSET [plain|subpixel]]
//                                draws NUMBER as Q7 draws the patient's
//                                number (the window's text stays as it is): a
//                                "MIAQ7CAPTIONBAR" bar (24 pixels high) puts it
//                                in the caption strip that starts OFFSET + 154
//                                pixels left of its right edge (OFFSET 0, 38,
//                                106 or 144; default 0), in the caption font,
//                                aliased ("plain", the default) or with
//                                sub-pixel colour fringes ("subpixel"); an
//                                "AfxWnd80"/"AfxWnd100" window draws it at
//                                (37, 22) in the small font. A later "geometry"
//                                keeps the drawing in place, a new "draw"
//                                replaces it.
//   close NAME                   destroys a window with its children
//   sync                         answers "ok" once the X server has everything
//   quit                         closes all windows and ends
// Windows are created above their existing siblings, so the floater
// enumerates them in the order they were created.
// A drawn number is the window's background picture, so the X server itself
// repaints it whenever the window is exposed (for instance when the floater
// moves off it), without q7sim having to answer expose events.

#include "platform/x11/X11Desktop.h"

#include <map>
#include <ostream>
#include <string>

namespace q7sim {

// Turns "\xNN" and "\\" escapes into bytes.
std::string unescape(const std::string& text);

class Q7Sim {
public:
    Q7Sim(platform::X11Desktop& desktop, std::ostream& replies);

    // Runs one command line. False after "quit". Errors are reported on the
    // replies stream as "error: ..." and change nothing.
    bool run(const std::string& line);

private:
    xcb_window_t create(const std::string& name, xcb_window_t parent, const std::string& cls,
                        const std::string& text);
    xcb_window_t window(const std::string& name) const;
    void frame(const std::string& name, int depth);
    void announceManager();
    void forget(xcb_window_t w);
    void drainEvents();
    void draw(const std::string& name, std::string arguments);
    void paint(xcb_window_t w);

    platform::X11Desktop& desktop_;
    std::ostream& replies_;
    std::map<std::string, xcb_window_t> windows_;
    std::map<xcb_window_t, xcb_window_t> parents_;
    std::map<xcb_window_t, std::string> classes_;
    std::map<xcb_window_t, int> childCount_;
    struct Drawing {
        std::string number;
        int offset = 0;
        bool subPixel = false;
    };
    std::map<xcb_window_t, Drawing> drawings_;
    int topCount_ = 0;
    xcb_window_t managerCheck_ = 0;
};

} // namespace q7sim
