#include "platform/ShellCommand.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace platform;
namespace fs = std::filesystem;

TEST(ShellCommand, SplitParametersHonoursQuotes)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitParameters("PNR=19121212-1212 "), (V{"PNR=19121212-1212"}));
    EXPECT_EQ(splitParameters("a \"b c\"  d"), (V{"a", "b c", "d"}));
    EXPECT_EQ(splitParameters(""), V{});
}

TEST(ShellCommand, ProgramRunsDirectlyOtherFilesGoToTheHandler)
{
    const fs::path dir = fs::temp_directory_path() / "tq7-shell-test";
    fs::create_directories(dir);
    const fs::path prog = dir / "prog.sh";
    std::ofstream(prog) << "#!/bin/sh\necho \"$@\" > \"$(pwd)/args.txt\"\n";
    fs::permissions(prog, fs::perms::owner_all);
    const fs::path doc = dir / "manual.doc";
    std::ofstream(doc) << "x";

    EXPECT_EQ(shellOpenCommand(prog.string(), "PNR=1 x"),
              (std::vector<std::string>{prog.string(), "PNR=1", "x"}));
    EXPECT_EQ(shellOpenCommand(doc.string(), ""),
              (std::vector<std::string>{"xdg-open", doc.string()}));

    fs::remove(dir / "args.txt");
    ASSERT_TRUE(startDetached(shellOpenCommand(prog.string(), "PNR=1 x"), dir.string()));
    for (int i = 0; i < 100 && !fs::exists(dir / "args.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ifstream in(dir / "args.txt");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "PNR=1 x");
    EXPECT_FALSE(startDetached({(dir / "missing").string()}, dir.string()));
    fs::remove_all(dir);
}
