// orvanasim: plays Orvana on an X11 display for tests and the demo. It shows
// Orvana's two windows (application window class "TApplication" titled
// "Orvana", main form class "TOrvanaMainform") and writes every registered
// message it receives, and its own start, to a log file, one line each:
//   pid PID
//   start ARGS...
//   restored
//   SET_ACTIVE_PATIENT wparam=123 lparam=0
//   SET_ACTIVE_BILDFLIK wparam=-1 lparam=356 atom=Modality - CR
// Usage: orvanasim [--log FILE] [--minimized] [ARGS...]
// Without --log the log is "orvanasim.log" in the working directory.

#include "platform/x11/X11Desktop.h"
#include "tools/ToolArguments.h"

#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <sys/select.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

constexpr std::uint32_t kNormalState = 1, kIconicState = 3;

void setWmState(platform::X11Desktop& d, xcb_window_t w, std::uint32_t state)
{
    const xcb_atom_t wmState = d.atom("WM_STATE");
    const std::uint32_t value[2] = {state, XCB_NONE};
    xcb_change_property(d.connection(), XCB_PROP_MODE_REPLACE, w, wmState, wmState, 32, 2, value);
}

xcb_window_t makeWindow(platform::X11Desktop& d, const char* cls, int w, int h)
{
    xcb_connection_t* c = d.connection();
    const xcb_window_t win = xcb_generate_id(c);
    const std::uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK;
    const std::uint32_t values[2] = {0xD4D0C8, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, win, d.root(), 0, 0, static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, mask, values);
    d.setClass(win, cls, cls);
    d.setTitle(win, "Orvana");
    return win;
}

constexpr const char* kUsage =
    "usage: orvanasim [--log FILE] [--minimized] [ARGS...]\n"
    "Plays Orvana's windows and logs its start ARGS and the messages it receives\n"
    "to FILE (default orvanasim.log in the working directory).\n";

} // namespace

int main(int argc, char** argv)
{
    std::string logPath = "orvanasim.log";
    bool minimized = false;
    std::string args;
    for (int i = 1; i < argc; ++i) {
        if (tools::IsHelpSwitch(argv[i])) {
            std::cout << kUsage;
            return 0;
        }
        if (std::strcmp(argv[i], "--log") == 0) {
            if (i + 1 == argc || tools::LooksLikeSwitch(argv[i + 1])) {
                std::cerr << kUsage;
                return 2;
            }
            logPath = argv[++i];
        } else if (std::strcmp(argv[i], "--minimized") == 0) {
            minimized = true;
        } else {
            args += std::string(args.empty() ? "" : " ") + argv[i];
        }
    }
    std::ofstream log(logPath, std::ios::app);
    if (!log) {
        std::cerr << "orvanasim: cannot write " << logPath << "\n";
        return 1;
    }
    log << "pid " << ::getpid() << "\nstart " << args << std::endl;

    platform::X11Desktop desktop;
    if (!desktop.ok()) {
        std::cerr << "orvanasim: no X display\n";
        return 1;
    }
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    std::signal(SIGINT, [](int) { g_stop = 1; });

    const xcb_window_t app = makeWindow(desktop, "TApplication", 1, 1);
    const xcb_window_t form = makeWindow(desktop, "TOrvanaMainform", 320, 200);
    xcb_connection_t* c = desktop.connection();
    if (minimized) {
        // Minimised: the application window is iconic and the form not shown.
        setWmState(desktop, app, kIconicState);
    } else {
        setWmState(desktop, app, kNormalState);
        xcb_map_window(c, app);
        xcb_map_window(c, form);
    }
    desktop.flush();

    const int fd = xcb_get_file_descriptor(c);
    while (!g_stop && !xcb_connection_has_error(c)) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> ev(xcb_poll_for_event(c), &std::free);
        if (!ev) {
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval tv{0, 200000};
            select(fd + 1, &fds, nullptr, nullptr, &tv);
            continue;
        }
        const int type = ev->response_type & 0x7F;
        if (type == XCB_MAP_NOTIFY &&
            reinterpret_cast<xcb_map_notify_event_t*>(ev.get())->window == app && minimized) {
            minimized = false;
            setWmState(desktop, app, kNormalState);
            xcb_map_window(c, form);
            desktop.flush();
            log << "restored" << std::endl;
        } else if (const auto m = platform::X11Desktop::decodeClientMessage(ev.get())) {
            const std::string name = desktop.atomName(m->id, 255);
            log << name << " wparam=" << m->wParam << " lparam=" << m->lParam;
            // These carry a text as a global atom in LPARAM.
            if (name == "SET_ACTIVE_PERSONNR" || (name == "SET_ACTIVE_BILDFLIK" && m->wParam == -1))
                log << " atom=" << desktop.atomName(static_cast<platform::AtomId>(m->lParam), 255);
            log << std::endl;
        }
    }
    desktop.destroyWindow(form);
    desktop.destroyWindow(app);
    return 0;
}
