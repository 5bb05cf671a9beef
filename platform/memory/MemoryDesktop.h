#pragma once
// An in-memory desktop for unit tests: windows are plain records, sent
// messages are logged, and the test drives everything directly.

#include "../Desktop.h"

#include <functional>
#include <map>

namespace platform {

class MemoryDesktop : public Desktop {
public:
    struct Window {
        WindowId parent = 0;
        std::string cls;
        std::string text;
        bool visible = true;
        bool minimized = false;
        Rect rect;
        WindowId mdiActive = 0;
        bool raised = false;
        std::optional<Capture> pixels;
    };
    struct ShellCall {
        std::string file, parameters, workingDir;
        bool program = false; // runProgram; else shellOpen (a document)
    };
    struct SentMessage {
        Message message;
        std::string atomText; // the LPARAM's atom text at the time of sending
    };

    // Adds a window in front of its siblings (0 = a top-level window). Top-level
    // windows are listed front to back, children in the order they were added.
    WindowId add(WindowId parent, std::string cls, std::string text, bool visible = true);
    Window& window(WindowId w) { return windows_.at(w); }
    void remove(WindowId w);
    bool exists(WindowId w) const { return windows_.count(w) != 0; }

    std::vector<SentMessage> sent;
    std::vector<ShellCall> shellCalls;
    // Called for every message sent to a window; lets a test play the receiver.
    std::function<void(const Message&)> onMessage;
    // Files that shellOpen and runProgram can start.
    std::vector<std::string> startableFiles;

    std::vector<WindowId> topLevelWindows() override;
    std::vector<WindowId> children(WindowId parent) override;
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
    void destroyWindow(WindowId w) override { remove(w); }
    bool shellOpen(const std::string& file, const std::string& workingDir) override;
    bool runProgram(const std::string& file, const std::string& parameters,
                    const std::string& workingDir) override;

    std::size_t liveAtoms() const { return atoms_.size(); }

private:
    std::map<WindowId, Window> windows_;
    std::vector<WindowId> order_; // back to front; children() filters it
    WindowId next_ = 0x100;
    std::map<std::string, MessageId> messages_;
    std::map<AtomId, std::string> atoms_;
    AtomId nextAtom_ = 0xC000;
};

} // namespace platform
