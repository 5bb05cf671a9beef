#include "app/floater/OrvanaCommands.h"
#include "platform/memory/MemoryDesktop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace floater;
namespace fs = std::filesystem;

namespace {

struct Orvana {
    platform::WindowId app, form;
};

Orvana runOrvana(platform::MemoryDesktop& d, bool minimized)
{
    Orvana o{d.add(0, "TApplication", "Orvana"), d.add(0, "TOrvanaMainform", "Orvana - journal")};
    d.window(o.app).minimized = minimized;
    return o;
}

class OrvanaCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("tq7-orvana-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        start = {dir.string(), "19121212-1212", ""};
    }
    void TearDown() override { fs::remove_all(dir); }
    void installProgram() { std::ofstream(dir / "orvana.exe") << "program"; }

    platform::MemoryDesktop desktop;
    fs::path dir;
    OrvanaStart start;
};

} // namespace

TEST_F(OrvanaCommandsTest, MinimisedOrvanaIsRestoredBeforeTheMessage)
{
    const Orvana o = runOrvana(desktop, true);
    EXPECT_EQ(SendToOrvana(desktop, 11, 42, true, "", 0, start), OrvanaSendResult::Delivered);
    EXPECT_FALSE(desktop.window(o.app).minimized);
    ASSERT_EQ(desktop.sent.size(), 1u);
    EXPECT_EQ(desktop.sent[0].message.target, o.form);
    EXPECT_EQ(desktop.sent[0].message.wParam, 42);
    EXPECT_TRUE(desktop.shellCalls.empty());
}

TEST_F(OrvanaCommandsTest, RunningOrvanaIsRaisedAndGetsTheAtom)
{
    const Orvana o = runOrvana(desktop, false);
    EXPECT_EQ(SendToOrvana(desktop, 12, -1, true, "Modality - CR", 0, start), OrvanaSendResult::Delivered);
    EXPECT_TRUE(desktop.window(o.app).raised);
    EXPECT_EQ(desktop.sent.at(0).atomText, "Modality - CR");
    EXPECT_EQ(desktop.liveAtoms(), 0u);
}

TEST_F(OrvanaCommandsTest, MainFormGoneLosesTheMessageQuietly)
{
    const Orvana o = runOrvana(desktop, false);
    desktop.remove(o.form);
    EXPECT_EQ(SendToOrvana(desktop, 11, 1, true, "", 0, start), OrvanaSendResult::Lost);
    EXPECT_TRUE(desktop.sent.empty());
    EXPECT_TRUE(desktop.shellCalls.empty());
}

TEST_F(OrvanaCommandsTest, NotRunningStartsTheProgramOnTheLastNumber)
{
    struct Case { std::string params; std::string expected; } cases[] = {
        {"", "PNR=19121212-1212 "}, // ends in the blank after the number
        {"/x /y", "PNR=19121212-1212 /x /y"},
    };
    installProgram();
    desktop.startableFiles = {(dir / "orvana.exe").string()};
    for (const auto& c : cases) {
        desktop.shellCalls.clear();
        start.startParameters = c.params;
        EXPECT_EQ(SendToOrvana(desktop, 13, 3, true, "", 77, start), OrvanaSendResult::Started);
        ASSERT_EQ(desktop.shellCalls.size(), 1u);
        EXPECT_EQ(desktop.shellCalls[0].file, (dir / "orvana.exe").string());
        EXPECT_TRUE(desktop.shellCalls[0].program) << "run as the program it is";
        EXPECT_EQ(desktop.shellCalls[0].parameters, c.expected);
        EXPECT_EQ(desktop.shellCalls[0].workingDir, dir.string());
        EXPECT_TRUE(desktop.sent.empty());
    }
}

TEST_F(OrvanaCommandsTest, NotRunningWithoutStartOrProgramDoesNothing)
{
    EXPECT_EQ(SendToOrvana(desktop, 11, 0, true, "", 0, start), OrvanaSendResult::NotRunning); // no file
    installProgram();
    EXPECT_EQ(SendToOrvana(desktop, 11, 0, false, "", 0, start), OrvanaSendResult::NotRunning);
    EXPECT_TRUE(desktop.shellCalls.empty());
    EXPECT_TRUE(desktop.sent.empty());
}
