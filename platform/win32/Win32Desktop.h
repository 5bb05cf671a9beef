#pragma once
// The desktop layer on Win32.
//
// Mapping of the desktop layer's notions:
//  - top-level windows: EnumWindows order; children: GetWindow(GW_CHILD,
//    GW_HWNDNEXT) order; descendants: EnumChildWindows order (depth first,
//    each window before its own children). These are the orders Q7's own
//    enumerations give, topmost first.
//  - texts: WM_GETTEXT through SendMessageTimeout, so controls of other
//    processes answer and a hung program costs at most a short wait;
//  - active MDI child: WM_MDIGETACTIVE;
//  - registered messages: RegisterWindowMessage; global atoms: the global atom
//    table (at most 255 characters);
//  - capture: GetWindowDC and BitBlt of the whole window into a 24-bit DIB;
//  - a window's class is fixed when it is created: setWindowIdentity changes
//    only the title, so our windows that others look for by class are made
//    with createApplicationWindow.
// Messages to windows made by createApplicationWindow go to the message
// handler; the thread that made them must process its messages.

#include "../Desktop.h"

#include <functional>
#include <optional>
#include <set>

namespace platform {

class Win32Desktop : public Desktop {
public:
    // Answers a message to one of our windows; nullopt leaves it to the
    // system's default handling.
    using MessageHandler = std::function<std::optional<std::int64_t>(const Message&)>;

    Win32Desktop() = default;
    ~Win32Desktop() override;
    Win32Desktop(const Win32Desktop&) = delete;
    Win32Desktop& operator=(const Win32Desktop&) = delete;

    std::vector<WindowId> topLevelWindows() override;
    std::vector<WindowId> children(WindowId parent) override;
    std::vector<WindowId> descendants(WindowId parent) override;
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
    void restoreWindow(WindowId w) override;
    void raiseWindow(WindowId w) override;
    std::optional<Capture> captureWindow(WindowId w) override;
    WindowId createApplicationWindow(const std::string& cls, const std::string& title) override;
    void setWindowIdentity(WindowId w, const std::string& cls, const std::string& title) override;
    void destroyWindow(WindowId w) override;
    bool shellOpen(const std::string& file, const std::string& workingDir) override;
    bool runProgram(const std::string& file, const std::string& parameters,
                    const std::string& workingDir) override;

    void setMessageHandler(MessageHandler handler) { handler_ = std::move(handler); }
    // Runs the calling thread's messages, sent ones included, for up to
    // timeoutMs milliseconds or until the handle (a process, an event) is
    // signalled; true in that case.
    bool processMessages(int timeoutMs, void* waitHandle = nullptr);

    // Delivers a message that reached one of our windows to the handler.
    std::optional<std::int64_t> dispatch(const Message& message);

private:
    MessageHandler handler_;
    std::set<std::wstring> classes_; // registered by us, unregistered at the end
    std::set<WindowId> windows_;     // made by us, destroyed at the end
};

} // namespace platform
