#pragma once
// The desktop layer on X11, through xcb.
//
// Mapping of the window-system notions:
//  - top-level windows: the children of the root window, top of the stack
//    first (front to back, as on Windows); under a window manager that announces itself (EWMH
//    _NET_SUPPORTING_WM_CHECK on the root) a child without WM_CLASS is the
//    manager's frame and stands for the window inside it, one or two levels
//    down, that carries WM_STATE;
//  - children: XQueryTree order, bottom of the stack first, which for windows
//    that are never restacked is their creation order; descendants are depth
//    first, each window before its own children;
//  - class name: the class part of WM_CLASS; title and control text: _NET_WM_NAME
//    (UTF-8), else WM_NAME (Latin-1);
//  - minimised: WM_STATE iconic or _NET_WM_STATE_HIDDEN; visible: map state
//    "viewable", or minimised (a minimised window is visible on Windows);
//  - registered message and global atom: an X atom (atoms are never freed on X11,
//    so deleteAtom does nothing; only texts a Windows peer reads as atoms
//    become atoms);
//  - a private text (sendPrivateText): a UTF-8 property of the target window
//    named after the message, with LPARAM the message's atom; the receiver
//    reads and deletes it, so it does not outlive the message in the server;
//  - message: a ClientMessage of format 32 whose type is the message atom,
//    data[0] = WPARAM, data[1] = LPARAM (low 32 bits each);
//  - active MDI child: the topmost mapped child of the MDI client window
//    (activating a document raises it, as on Windows), whether or not the
//    windows above it are shown;
//  - rectangle: geometry including the border, translated to root coordinates.
// Every read tolerates windows that vanish meanwhile (the X error is consumed,
// the answer is empty), non-UTF-8 texts (invalid bytes become U+FFFD) and huge
// texts (only as many bytes as asked for are transferred).

#include "../Desktop.h"

#include <xcb/xcb.h>

#include <map>
#include <string>

namespace platform {

class X11Desktop : public Desktop {
public:
    // Connects to the display named by DISPLAY (or displayName); check ok().
    explicit X11Desktop(const char* displayName = nullptr);
    // Works on a connection someone else owns (a GUI toolkit's), so that our
    // requests stay in order with the toolkit's own.
    explicit X11Desktop(xcb_connection_t* borrowed);
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    bool ok() const { return conn_ != nullptr; }
    xcb_connection_t* connection() const { return conn_; }
    xcb_window_t root() const { return root_; }

    std::vector<WindowId> topLevelWindows() override;
    std::vector<WindowId> children(WindowId parent) override;
    std::vector<WindowId> descendants(WindowId parent) override;
    std::vector<WindowFacts> windowFacts(const std::vector<WindowId>& windows,
                                         const FactRequest& request) override;
    std::string className(WindowId w) override;
    std::string windowText(WindowId w, std::size_t maxChars) override;
    bool isVisible(WindowId w) override;
    bool isMinimized(WindowId w) override;
    std::optional<Rect> windowRect(WindowId w) override;
    WindowId mdiActiveChild(WindowId mdiClient) override;
    MessageId registerMessage(const std::string& name) override;
    AtomId addAtom(const std::string& text) override;
    std::string atomName(AtomId atom, std::size_t maxChars) override;
    void deleteAtom(AtomId atom) override;
    bool sendMessage(WindowId target, MessageId msg, std::int64_t wParam,
                     std::int64_t lParam) override;
    bool sendPrivateText(WindowId target, MessageId msg, std::int64_t wParam,
                         const std::string& text) override;
    std::string receivePrivateText(const Message& message, std::size_t maxChars) override;
    void restoreWindow(WindowId w) override;
    void raiseWindow(WindowId w) override;
    std::optional<Capture> captureWindow(WindowId w) override;
    WindowId createApplicationWindow(const std::string& cls, const std::string& title) override;
    void setWindowIdentity(WindowId w, const std::string& cls, const std::string& title) override;
    void destroyWindow(WindowId w) override;
    bool shellOpen(const std::string& file, const std::string& workingDir) override;
    bool runProgram(const std::string& file, const std::string& parameters,
                    const std::string& workingDir) override;

    // Sets the UTF-8 title (_NET_WM_NAME and WM_NAME) of one of our windows.
    void setTitle(xcb_window_t w, const std::string& title);
    void setClass(xcb_window_t w, const std::string& instance, const std::string& cls);
    void flush();

    // A ClientMessage event read off any xcb connection, as a message; nullopt
    // for every other event.
    static std::optional<Message> decodeClientMessage(const void* xcbEvent);

    xcb_atom_t atom(const std::string& name);

private:
    void replaceFramesByClients(std::vector<WindowId>& windows);

    xcb_connection_t* conn_ = nullptr;
    bool owned_ = true;
    xcb_window_t root_ = 0;
    std::map<std::string, xcb_atom_t> atoms_;
};

} // namespace platform
