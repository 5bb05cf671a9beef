#include "ProgressProgram.h"

#include "Text.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace toolkit {

namespace {

constexpr auto kRecentlyStarted = std::chrono::milliseconds(2000);

std::uint32_t le32(const char* p)
{
    std::uint32_t v = 0;
    std::memcpy(&v, p, 4); // the version record is little-endian, as is every target here
    return v;
}

// A command-line value between double quotes cannot hold one itself.
std::string quoted(std::string value)
{
    std::erase(value, '"');
    return "\"" + value + "\"";
}

} // namespace

int ReadFileVersionNumber(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static const char kSignature[] = {'\xBD', '\x04', '\xEF', '\xFE'}; // 0xFEEF04BD
    const auto at = data.find(std::string_view(kSignature, 4));
    if (at == std::string::npos || data.size() < at + 16)
        return 0;
    const std::uint32_t ms = le32(data.data() + at + 8), ls = le32(data.data() + at + 12);
    const std::string text = std::to_string(ms >> 16) + std::to_string(ms & 0xFFFF) +
                             std::to_string(ls >> 16) + std::to_string(ls & 0xFFFF);
    try {
        return std::stoi(text);
    } catch (const std::exception&) {
        return 0; // too many digits for one number: treat as unknown
    }
}

std::string ProgressTitle(const std::string& caption, int elapsedMs, const std::string& decimalPoint)
{
    const int tenths = (elapsedMs + 50) / 100;
    std::string seconds = std::to_string(tenths / 10);
    if (tenths % 10 != 0)
        seconds += decimalPoint + std::to_string(tenths % 10);
    return caption + " - " + seconds + "s";
}

ProgressProgram::ProgressProgram(platform::Desktop& desktop, ProgressProgramSetup setup)
    : desktop_(desktop), setup_(std::move(setup))
{
    if (!setup_.defaultQuery)
        setup_.defaultQuery = [] { return DefaultQueryState::None; };
    if (!setup_.styleName)
        setup_.styleName = [] { return std::string("Windows"); };
    if (!setup_.fileExists)
        setup_.fileExists = [](const std::string& f) {
            std::error_code ec;
            return std::filesystem::is_regular_file(f, ec);
        };
    if (!setup_.fileVersion)
        setup_.fileVersion = ReadFileVersionNumber;
    if (!setup_.clock)
        setup_.clock = [] { return std::chrono::steady_clock::now(); };
    if (!setup_.ownerFallback)
        setup_.ownerFallback = [w = setup_.applicationWindow] { return w; };
    caption_ = desktop_.registerMessage("KX_SET_ACTIVE_CAPTION");
    tema_ = desktop_.registerMessage("KX_SET_ACTIVE_TEMA");
    status_ = desktop_.registerMessage("KX_SET_ACTIVE_STATUS");
    hwnd_ = desktop_.registerMessage("KX_SET_ACTIVE_HWND");
    inactivate_ = desktop_.registerMessage("KX_INACTIVATE_VADUDAZIDIZ");
    hideNow_ = desktop_.registerMessage("KX_HIDENOW_VADUDAZIDIZ");
    activate_ = desktop_.registerMessage("KX_ACTIVATE_VADUDAZIDIZ");
}

bool ProgressProgram::recentlyStarted() const
{
    return launchedAt_ && setup_.clock() - *launchedAt_ < kRecentlyStarted;
}

void ProgressProgram::chooseProgram(bool& endInProcess)
{
    const std::string inSuite = setup_.suiteDataDir + kProgressProgramName;
    const std::string inProgram = setup_.programDir + kProgressProgramName;
    const std::string candidate =
        setup_.fileExists(inSuite) || !setup_.fileExists(inProgram) ? inSuite : inProgram;
    switch (setup_.defaultQuery()) {
    case DefaultQueryState::None:
        path_ = candidate;
        break;
    case DefaultQueryState::Open:
        if (startedFromSuite_ != 1) {
            // An older program window left from another start has no
            // quit message on this desktop layer; it simply stays.
            startedFromSuite_ = 1;
            endInProcess = true;
            if (!setup_.fileExists(candidate))
                break;
        }
        path_ = candidate;
        break;
    case DefaultQueryState::Closed:
        if (setup_.fileExists(candidate))
            path_ = candidate;
        break;
    }
}

platform::WindowId ProgressProgram::ownerWindow()
{
    if (!ownerResolved_) {
        ownerResolved_ = true;
        for (const std::string& arg : setup_.arguments) {
            const std::string upper = UpperAscii(arg);
            if (upper.starts_with("APPLICATIONHANDLE=")) {
                try {
                    owner_ = std::stoull(arg.substr(18));
                } catch (const std::exception&) {
                    owner_ = 0;
                }
            }
        }
        if (owner_ == 0)
            owner_ = setup_.ownerFallback();
    }
    return owner_;
}

platform::WindowId ProgressProgram::findProgramWindow()
{
    if (version_ < 0 && !path_.empty())
        version_ = setup_.fileVersion(path_);
    const char* cls = version_ > 4105 ? kProgressMessageWindowClass : kProgressMainFormClass;
    return desktop_.findWindow(std::string(cls), std::nullopt);
}

void ProgressProgram::sendText(platform::WindowId w, platform::MessageId msg, const std::string& text)
{
    const platform::AtomId atom = desktop_.addAtom(text);
    desktop_.sendMessage(w, msg, 0, atom);
    if (atom != 0)
        desktop_.deleteAtom(atom);
}

std::string ProgressProgram::launchParameters(const std::string& caption, const std::string& status)
{
    return "CAPTION=" + quoted(caption) + " STYLE=" + quoted(setup_.styleName()) +
           " STATUS=" + quoted(status) + " CLIENTHWND=" + std::to_string(ownerWindow());
}

ProgressProgram::Outcome ProgressProgram::start(const std::string& caption,
                                                const std::string& status, bool externalOnly,
                                                bool& endInProcess)
{
    endInProcess = false;
    if (startedFromSuite_ < 0) {
        startedFromSuite_ = setup_.defaultQuery() == DefaultQueryState::None ? 1 : 0;
        for (const std::string& arg : setup_.arguments)
            if (UpperAscii(arg).find("STARTEDFROMSUITE=1") != std::string::npos)
                startedFromSuite_ = 1;
    }
    if (path_.empty() || startedFromSuite_ != 1) {
        if (externalOnly)
            return Outcome::External;
        chooseProgram(endInProcess);
    }
    const platform::WindowId owner = ownerWindow();
    if (path_.empty() || !setup_.fileExists(path_))
        return externalOnly ? Outcome::External : Outcome::InProcess;

    platform::WindowId window = findProgramWindow();
    if (window == 0 && !recentlyStarted()) {
        launchedAt_ = setup_.clock();
        const std::string folder = std::filesystem::path(path_).parent_path().string();
        if (!desktop_.runProgram(path_, launchParameters(caption, status), folder))
            return Outcome::External;
        window = findProgramWindow();
    } else if (window != 0 && recentlyStarted()) {
        return Outcome::External;
    }
    if (window != 0) {
        sendText(window, tema_, setup_.styleName());
        sendText(window, caption_, caption);
        sendText(window, status_, status);
        desktop_.sendMessage(window, hwnd_, static_cast<std::int64_t>(owner), 0);
        ++useCount_;
        desktop_.sendMessage(window, activate_, static_cast<std::int64_t>(setup_.applicationWindow), 0);
    }
    return Outcome::External;
}

void ProgressProgram::end(bool force)
{
    const platform::WindowId window = findProgramWindow();
    if (window == 0)
        return;
    if (useCount_ > 0)
        --useCount_;
    const auto app = static_cast<std::int64_t>(setup_.applicationWindow);
    desktop_.sendMessage(window, inactivate_, app, 0);
    if (force || useCount_ == 0)
        desktop_.sendMessage(window, hideNow_, app, 0);
}

} // namespace toolkit
