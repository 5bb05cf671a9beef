#pragma once
// The desktop layer: what the floater needs of the window system, with no GUI
// toolkit types. One implementation per window system (X11, Win32, in-memory
// for tests).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Opaque window handle; 0 is "no window".
using WindowId = std::uint64_t;
// Registered message identifier; 0 means registration failed.
using MessageId = std::uint32_t;
// Global atom identifier; 0 is "no atom".
using AtomId = std::uint32_t;

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// A message as it arrives at one of our own windows.
struct Message {
    WindowId target = 0;
    MessageId id = 0;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
};

// A 24-bit screen capture, rows top-down, bytes blue, green, red.
// Which facts to read of each window; what is not asked for stays empty.
struct FactRequest {
    bool className = false;
    std::size_t textChars = 0; // title or control text cut to so many characters; 0: none
    bool visible = false;
};

// What one pass over many windows needs of each, read in one go.
struct WindowFacts {
    std::string className;
    std::string text; // title or control text, UTF-8, cut as asked
    bool visible = false;
    bool operator==(const WindowFacts&) const = default;
};

struct Capture {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint8_t> bgr;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // Top-level windows front to back, the topmost first, as EnumWindows
    // lists them: where two windows match a search, which one is "first" or
    // "last" must mean the same on every window system.
    virtual std::vector<WindowId> topLevelWindows() = 0;
    // Direct children, for windows that were never restacked in the order
    // they were made (EnumChildWindows' order).
    virtual std::vector<WindowId> children(WindowId parent) = 0;
    // All descendants, depth first, each window before its own children,
    // siblings in the order of children(). Window systems that can ask about
    // many windows at once override it; the result stays the same.
    virtual std::vector<WindowId> descendants(WindowId parent);

    virtual std::string className(WindowId w) = 0;
    // Title of a top-level window, or the text of a control; UTF-8, cut to
    // maxChars characters. Empty when the window is gone.
    virtual std::string windowText(WindowId w, std::size_t maxChars) = 0;
    // Shown, as IsWindowVisible means it: a minimised window is visible.
    virtual bool isVisible(WindowId w) = 0;
    virtual bool isMinimized(WindowId w) = 0;
    // Outer rectangle in screen coordinates.
    virtual std::optional<Rect> windowRect(WindowId w) = 0;
    // The active document window of an MDI client, or 0; readable also while
    // the client's own window is hidden or minimised.
    virtual WindowId mdiActiveChild(WindowId mdiClient) = 0;

    // The requested facts of each window, in the order given. A window that
    // is gone gives empty facts. The default asks one window at a time;
    // window systems with a request pipeline override it to save round trips.
    virtual std::vector<WindowFacts> windowFacts(const std::vector<WindowId>& windows,
                                                 const FactRequest& request);

    // First top-level window whose class and title equal the given texts
    // (an absent criterion matches anything).
    WindowId findWindow(const std::optional<std::string>& cls,
                        const std::optional<std::string>& title);
    // First child of parent with that class, or 0.
    WindowId findChild(WindowId parent, const std::string& cls);

    virtual MessageId registerMessage(const std::string& name) = 0;
    virtual AtomId addAtom(const std::string& text) = 0;
    // The atom's text cut to maxChars characters; empty for an unknown atom.
    virtual std::string atomName(AtomId atom, std::size_t maxChars) = 0;
    virtual void deleteAtom(AtomId atom) = 0;
    // Delivers the message to the window. False when it could not be sent.
    virtual bool sendMessage(WindowId target, MessageId msg, std::int64_t wParam,
                             std::int64_t lParam) = 0;
    // A message with a text, between two programs of ours (a second floater
    // and the first). The text travels as privately as the window system
    // allows; by default as a global atom that lives only while the message
    // is delivered. An empty text sends LPARAM 0. False when nothing was sent.
    virtual bool sendPrivateText(WindowId target, MessageId msg, std::int64_t wParam,
                                 const std::string& text);
    // The text of such a message, cut to maxChars; empty when it has none.
    virtual std::string receivePrivateText(const Message& message, std::size_t maxChars);

    virtual void restoreWindow(WindowId w) = 0;
    virtual void raiseWindow(WindowId w) = 0;

    // Whole-window capture including the frame where the system has one.
    virtual std::optional<Capture> captureWindow(WindowId w) = 0;

    // A hidden top-level window that stands for the application as a whole
    // (a second instance looks for it). Destroyed with destroyWindow().
    virtual WindowId createApplicationWindow(const std::string& cls,
                                             const std::string& title) = 0;
    // Gives one of our own windows the class and title others find it by.
    virtual void setWindowIdentity(WindowId w, const std::string& cls,
                                   const std::string& title) = 0;
    virtual void destroyWindow(WindowId w) = 0;

    // Opens a document (a manual, a log) with the desktop's default handler,
    // never as a program. False when nothing could be started.
    virtual bool shellOpen(const std::string& file, const std::string& workingDir) = 0;
    // Runs a program file we know to be one (Orvana, the suite's progress
    // program) with its parameters. False when it could not be started.
    virtual bool runProgram(const std::string& file, const std::string& parameters,
                            const std::string& workingDir) = 0;
};

// The desktop of the running session (X11 on Linux, Win32 on Windows); null when there is none.
std::unique_ptr<Desktop> openSessionDesktop();

} // namespace platform
