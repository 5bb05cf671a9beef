#include "platform/ShellCommand.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

TEST(ShellCommand, SplitParametersHonoursQuotes)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitParameters("PNR=19121212-1212 "), (V{"PNR=19121212-1212"}));
    EXPECT_EQ(splitParameters("a \"b c\"  d"), (V{"a", "b c", "d"}));
    EXPECT_EQ(splitParameters(""), V{});
}

// Waits a little for a file a started program writes.
bool appears(const fs::path& file)
{
    for (int i = 0; i < 100 && !fs::exists(file); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return fs::exists(file);
}

TEST(ShellCommand, DocumentsGoToTheOpenerProgramsRunWithTheirParameters)
{
    const fs::path dir = fs::temp_directory_path() / ("tq7-shell-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    // Each file writes a marker when something executes it.
    const auto write = [&](const char* name, const std::string& text) {
        std::ofstream(dir / name) << text;
        fs::permissions(dir / name, fs::perms::owner_all);
        return (dir / name).string();
    };
    const std::string prog = write("prog.sh", "#!/bin/sh\necho \"$@\" > \"$(pwd)/args.txt\"\n");
    // A document on a share with the execute bit set: sh would run its lines.
    const std::string manual = write("manual.doc", "touch \"$(pwd)/ran.txt\"\n");

    using V = std::vector<std::string>;
    EXPECT_EQ(programCommand(prog, "PNR=1 x"), (V{prog, "PNR=1", "x"}));
    EXPECT_EQ(programCommand("orvana.exe", ""), (V{"./orvana.exe"}));
    EXPECT_EQ(openDocumentCommand(manual), (V{"xdg-open", manual}));

    ASSERT_TRUE(startDetached(programCommand(prog, "PNR=1 x"), dir.string()));
    ASSERT_TRUE(appears(dir / "args.txt"));
    std::ifstream in(dir / "args.txt");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "PNR=1 x");

    // Run as a program, a file without a #! line is refused, not given to sh.
    EXPECT_FALSE(startDetached(programCommand(manual, ""), dir.string()));
    EXPECT_FALSE(startDetached(programCommand("manual.doc", ""), dir.string()));
    EXPECT_FALSE(appears(dir / "ran.txt"));
    EXPECT_FALSE(startDetached({(dir / "missing").string()}, dir.string()));
    fs::remove_all(dir);
}
