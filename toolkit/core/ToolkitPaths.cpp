#include "ToolkitPaths.h"

#include "Settings.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace toolkit {

namespace fs = std::filesystem;

namespace {
ToolkitPaths g_paths;

std::string withSlash(std::string p)
{
    if (p.empty() || p.back() != '/')
        p += '/';
    return p;
}

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
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
    SetInstallKey(InstallKeyFor(cwd.string()));
    g_paths.ProgramDir = withSlash(cwd.string());
    g_paths.WindowsDir = "/etc/";
    g_paths.SystemDir = "/usr/lib/";
    const std::string links = env("TQ7_DATALINKS_DIR");
    g_paths.DataLinksDir = withSlash(links.empty() ? "/etc/tervalen/Data Links" : links);

    std::string config = env("XDG_CONFIG_HOME");
    if (config.empty() && !env("HOME").empty())
        config = env("HOME") + "/.config";
    g_paths.SuiteDataDir.clear();
    if (!config.empty()) {
        const fs::path suite = fs::path(config) / "Tervalen" / "Tervalen Suite";
        fs::create_directories(suite, ec);
        if (!ec)
            g_paths.SuiteDataDir = withSlash(suite.string());
    }
}

} // namespace toolkit
