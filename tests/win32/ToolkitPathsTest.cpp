// The toolkit's folders and install key on Windows.

#include "toolkit/core/Settings.h"
#include "toolkit/core/ToolkitPaths.h"

#include "platform/win32/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

using namespace toolkit;
namespace fs = std::filesystem;

TEST(Win32ToolkitPaths, FoldersOfTheSystemAndAFlatInstallKey)
{
    const fs::path before = fs::current_path();
    const fs::path work = fs::temp_directory_path() /
                          ("tq7 paths " + std::to_string(GetCurrentProcessId())) / "nested dir";
    fs::create_directories(work);
    fs::current_path(work);
    InitToolkitPaths();
    fs::current_path(before);

    const std::string cwd = work.string();
    EXPECT_EQ(Paths().ProgramDir, cwd + "\\");
    // "C:\users\...\tq7 paths 12\nested dir" gives "C_users_..._tq7_paths_12_nested_dir\".
    std::string key = cwd;
    key.erase(1, 1);
    for (char& c : key)
        if (c == '\\' || c == ' ')
            c = '_';
    EXPECT_EQ(InstallKey(), key + "\\");

    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(Paths().WindowsDir, platform::narrow(windows, n) + "\\");
    EXPECT_EQ(Paths().SystemDir.back(), '\\');
    EXPECT_NE(Paths().SystemDir, Paths().WindowsDir);
    const std::string links = "\\System\\Ole DB\\Data Links\\";
    EXPECT_EQ(Paths().DataLinksDir.substr(Paths().DataLinksDir.size() - links.size()), links);
    const std::string suite = "\\Tervalen\\Tervalen Suite\\";
    ASSERT_GT(Paths().SuiteDataDir.size(), suite.size());
    EXPECT_EQ(Paths().SuiteDataDir.substr(Paths().SuiteDataDir.size() - suite.size()), suite);
    EXPECT_TRUE(fs::is_directory(Paths().SuiteDataDir));
    fs::remove_all(work.parent_path());
}
