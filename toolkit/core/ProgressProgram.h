#pragma once
// The client side of the suite's separate progress program: finding and
// starting it, and commanding it with registered messages whose texts travel
// as global atoms. The in-process display that stands in when the program is
// not there lives in the toolkit's GUI layer.

#include "platform/Desktop.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace toolkit {

inline constexpr const char* kProgressProgramName = "Kx_VadudaziDiz.exe";
inline constexpr const char* kProgressMainFormClass = "TVadudaziDizMainForm";
inline constexpr const char* kProgressMessageWindowClass = "TVadudaziDizMessageWindow";

// The state of the toolkit's shared journal query.
enum class DefaultQueryState { None, Closed, Open };

struct ProgressProgramSetup {
    std::vector<std::string> arguments;       // the command line, program name excluded
    std::string suiteDataDir, programDir;     // each ending in "/"
    platform::WindowId applicationWindow = 0; // this application's window
    std::function<platform::WindowId()> ownerFallback; // main or application window
    std::function<DefaultQueryState()> defaultQuery;
    std::function<std::string()> styleName;
    std::function<bool(const std::string&)> fileExists;
    std::function<int(const std::string&)> fileVersion; // 4.1.0.6 -> 4106; 0 when unknown
    std::function<std::chrono::steady_clock::time_point()> clock;
};

// The program's version as one number: the four parts of its fixed version
// record written one after the other (4.1.0.6 -> 4106); 0 without one.
int ReadFileVersionNumber(const std::string& path);

// "caption - 2.4s": the elapsed seconds with at most one decimal, written
// with the given decimal separator.
std::string ProgressTitle(const std::string& caption, int elapsedMs,
                          const std::string& decimalPoint);

class ProgressProgram {
public:
    enum class Outcome {
        External,  // the program shows it, or the call had to do nothing
        InProcess, // no program: the caller shows its own display
    };

    // Registers the seven progress messages. Missing setup functions get
    // defaults (no query, the real file system and clock).
    ProgressProgram(platform::Desktop& desktop, ProgressProgramSetup setup);

    // One StartProgress as far as the program is concerned. endInProcess is
    // set when the caller's own display has to go.
    Outcome start(const std::string& caption, const std::string& status, bool externalOnly,
                  bool& endInProcess);
    void end(bool force);

    int useCount() const { return useCount_; }
    const std::string& programPath() const { return path_; }
    // The exact command-line parameters a launch passes after the program.
    std::string launchParameters(const std::string& caption, const std::string& status);

private:
    void chooseProgram(bool& endInProcess);
    platform::WindowId ownerWindow();
    platform::WindowId findProgramWindow();
    void sendText(platform::WindowId w, platform::MessageId msg, const std::string& text);
    bool recentlyStarted() const;

    platform::Desktop& desktop_;
    ProgressProgramSetup setup_;
    std::string path_;
    int startedFromSuite_ = -1; // -1: not determined yet
    platform::WindowId owner_ = 0;
    bool ownerResolved_ = false;
    int version_ = -1; // -1: not read yet
    int useCount_ = 0;
    std::optional<std::chrono::steady_clock::time_point> launchedAt_;

    platform::MessageId caption_, tema_, status_, hwnd_, inactivate_, hideNow_, activate_;
};

} // namespace toolkit
