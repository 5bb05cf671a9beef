#include "ToolkitPaths.h"

#include "Settings.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#ifdef _WIN32
#include "platform/win32/WideText.h"

#include <windows.h>
#include <shlobj.h>
#endif

namespace toolkit {

namespace fs = std::filesystem;

namespace {
ToolkitPaths g_paths;

// Where the system keeps things, without the trailing separator.
struct SystemFolders {
    std::string windows, system, dataLinks, appData;
};

#ifdef _WIN32
constexpr char kSeparator = '\\';

// The system's folders; throws with the system's wording when one is missing.
SystemFolders systemFolders()
{
    SystemFolders p;
    wchar_t buf[MAX_PATH];
    UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        throw std::runtime_error("Unable to get Windows path");
    p.windows = platform::narrow(buf, n);
    n = GetSystemDirectoryW(buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        throw std::runtime_error("Unable to get System32 path");
    p.system = platform::narrow(buf, n);
    if (SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES_COMMON, nullptr, 0, buf) == S_OK)
        p.dataLinks = platform::narrow(buf, wcslen(buf)) + "\\System\\Ole DB\\Data Links";
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buf) == S_OK)
        p.appData = platform::narrow(buf, wcslen(buf));
    return p;
}
#else
constexpr char kSeparator = '/';

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

SystemFolders systemFolders()
{
    SystemFolders p;
    p.windows = "/etc";
    p.system = "/usr/lib";
    const std::string links = env("TQ7_DATALINKS_DIR");
    p.dataLinks = links.empty() ? "/etc/tervalen/Data Links" : links;
    p.appData = env("XDG_CONFIG_HOME");
    if (p.appData.empty() && !env("HOME").empty())
        p.appData = env("HOME") + "/.config";
    return p;
}
#endif

std::string withSeparator(std::string p)
{
    if (p.empty() || p.back() != kSeparator)
        p += kSeparator;
    return p;
}
} // namespace

const ToolkitPaths& Paths()
{
    return g_paths;
}

void InitToolkitPaths()
{
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    if (ec || cwd.empty())
        throw std::runtime_error("Unable to get Current path");
    const SystemFolders system = systemFolders();
    SetInstallKey(InstallKeyFor(cwd.string()));
    g_paths.ProgramDir = withSeparator(cwd.string());
    g_paths.WindowsDir = withSeparator(system.windows);
    g_paths.SystemDir = withSeparator(system.system);
    g_paths.DataLinksDir = withSeparator(system.dataLinks);

    // The folder under the user's application data; empty when it cannot be made.
    g_paths.SuiteDataDir.clear();
    if (!system.appData.empty()) {
        const fs::path suite = fs::path(system.appData) / "Tervalen" / "Tervalen Suite";
        fs::create_directories(suite, ec);
        if (!ec)
            g_paths.SuiteDataDir = withSeparator(suite.string());
    }
}

} // namespace toolkit
