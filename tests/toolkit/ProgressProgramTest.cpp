#include "platform/memory/MemoryDesktop.h"
#include "toolkit/core/ProgressProgram.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

using namespace toolkit;
using namespace std::chrono_literals;

namespace {

class ProgressProgramTest : public ::testing::Test {
protected:
    ProgressProgramSetup setup(DefaultQueryState query = DefaultQueryState::None)
    {
        ProgressProgramSetup s;
        s.arguments = arguments;
        s.suiteDataDir = "/suite/";
        s.programDir = "/prog/";
        s.applicationWindow = appWindow;
        s.ownerFallback = [this] { return mainWindow; };
        s.defaultQuery = [query] { return query; };
        s.styleName = [] { return std::string("Carbon"); };
        s.fileExists = [this](const std::string& f) { return files.count(f) != 0; };
        s.fileVersion = [this](const std::string&) { return version; };
        s.clock = [this] { return now; };
        return s;
    }
    // The names of the progress messages sent, in order.
    std::vector<std::string> sentNames()
    {
        std::vector<std::string> names;
        for (const auto& s : desktop.sent)
            names.push_back(nameOf.at(s.message.id));
        return names;
    }
    void learnNames()
    {
        for (const char* n : {"KX_SET_ACTIVE_CAPTION", "KX_SET_ACTIVE_TEMA", "KX_SET_ACTIVE_STATUS",
                              "KX_SET_ACTIVE_HWND", "KX_INACTIVATE_VADUDAZIDIZ",
                              "KX_HIDENOW_VADUDAZIDIZ", "KX_ACTIVATE_VADUDAZIDIZ"})
            nameOf[desktop.registerMessage(n)] = n;
    }
    bool start(ProgressProgram& p, bool externalOnly = false)
    {
        bool endOwn = false;
        return p.start("Hämtar", "Bilder", externalOnly, endOwn) == ProgressProgram::Outcome::External;
    }

    platform::MemoryDesktop desktop;
    platform::WindowId appWindow = desktop.add(0, "TApplication", "app", false);
    platform::WindowId mainWindow = 4242;
    std::vector<std::string> arguments;
    std::set<std::string> files;
    int version = 4106;
    std::chrono::steady_clock::time_point now{};
    std::map<platform::MessageId, std::string> nameOf;
};

} // namespace

TEST_F(ProgressProgramTest, SharedUseKeepsTheWindowUntilTheLastEnd)
{
    files.insert("/suite/Kx_VadudaziDiz.exe");
    const auto window = desktop.add(0, kProgressMessageWindowClass, "", false);
    ProgressProgram program(desktop, setup());
    learnNames();
    ASSERT_TRUE(start(program));
    ASSERT_TRUE(start(program));
    EXPECT_EQ(program.useCount(), 2);
    desktop.sent.clear();
    program.end(false);
    EXPECT_EQ(sentNames(), (std::vector<std::string>{"KX_INACTIVATE_VADUDAZIDIZ"}));
    program.end(false);
    EXPECT_EQ(sentNames(), (std::vector<std::string>{"KX_INACTIVATE_VADUDAZIDIZ",
                                                     "KX_INACTIVATE_VADUDAZIDIZ",
                                                     "KX_HIDENOW_VADUDAZIDIZ"}));
    program.end(false);
    EXPECT_EQ(program.useCount(), 0);
    for (const auto& s : desktop.sent) {
        EXPECT_EQ(s.message.target, window);
        EXPECT_EQ(s.message.wParam, static_cast<std::int64_t>(appWindow));
    }
}

TEST_F(ProgressProgramTest, ForcedEndHidesDespiteOtherUsers)
{
    files.insert("/suite/Kx_VadudaziDiz.exe");
    desktop.add(0, kProgressMessageWindowClass, "", false);
    ProgressProgram program(desktop, setup());
    learnNames();
    start(program);
    start(program);
    desktop.sent.clear();
    program.end(true);
    EXPECT_EQ(sentNames(), (std::vector<std::string>{"KX_INACTIVATE_VADUDAZIDIZ",
                                                     "KX_HIDENOW_VADUDAZIDIZ"}));
}

TEST_F(ProgressProgramTest, StartSendsTheTextsAsAtomsInOrder)
{
    arguments = {"APPLICATIONHANDLE=31337"};
    files.insert("/prog/Kx_VadudaziDiz.exe");
    desktop.add(0, kProgressMessageWindowClass, "", false);
    ProgressProgram program(desktop, setup());
    learnNames();
    start(program);
    EXPECT_EQ(program.programPath(), "/prog/Kx_VadudaziDiz.exe");
    ASSERT_EQ(sentNames(), (std::vector<std::string>{"KX_SET_ACTIVE_TEMA", "KX_SET_ACTIVE_CAPTION",
                                                     "KX_SET_ACTIVE_STATUS", "KX_SET_ACTIVE_HWND",
                                                     "KX_ACTIVATE_VADUDAZIDIZ"}));
    EXPECT_EQ(desktop.sent[0].atomText, "Carbon");
    EXPECT_EQ(desktop.sent[1].atomText, "Hämtar");
    EXPECT_EQ(desktop.sent[2].atomText, "Bilder");
    EXPECT_EQ(desktop.sent[3].message.wParam, 31337);
    EXPECT_EQ(desktop.liveAtoms(), 0u);
}

TEST_F(ProgressProgramTest, VersionSelectsTheWindowClass)
{
    files.insert("/suite/Kx_VadudaziDiz.exe");
    const auto oldForm = desktop.add(0, kProgressMainFormClass, "", false);
    const auto messageWindow = desktop.add(0, kProgressMessageWindowClass, "", false);
    for (const auto& [v, expected] : {std::pair{4105, oldForm}, std::pair{4106, messageWindow}}) {
        version = v;
        desktop.sent.clear();
        ProgressProgram program(desktop, setup());
        start(program);
        ASSERT_FALSE(desktop.sent.empty());
        EXPECT_EQ(desktop.sent.back().message.target, expected) << v;
    }
}

TEST_F(ProgressProgramTest, MissingProgram)
{
    ProgressProgram program(desktop, setup());
    EXPECT_TRUE(start(program, true)) << "external only: nothing shown, no own display";
    EXPECT_FALSE(start(program, false)) << "the in-process display stands in";
    EXPECT_TRUE(start(program, true)) << "still nothing once the path is known";
    EXPECT_TRUE(desktop.sent.empty());
    EXPECT_TRUE(desktop.shellCalls.empty());
}

TEST_F(ProgressProgramTest, LaunchAtMostOncePerTwoSeconds)
{
    files.insert("/suite/Kx_VadudaziDiz.exe");
    desktop.startableFiles.push_back("/suite/Kx_VadudaziDiz.exe");
    ProgressProgram program(desktop, setup());
    learnNames();
    start(program);
    ASSERT_EQ(desktop.shellCalls.size(), 1u);
    EXPECT_EQ(desktop.shellCalls[0].parameters,
              "CAPTION=\"Hämtar\" STYLE=\"Carbon\" STATUS=\"Bilder\" CLIENTHWND=4242");
    EXPECT_EQ(desktop.shellCalls[0].workingDir, "/suite");

    // The program's window appears; within the two seconds nothing is sent.
    desktop.add(0, kProgressMessageWindowClass, "", false);
    now += 1900ms;
    start(program);
    EXPECT_TRUE(desktop.sent.empty());
    EXPECT_EQ(desktop.shellCalls.size(), 1u);
    now += 200ms;
    start(program);
    EXPECT_EQ(sentNames().back(), "KX_ACTIVATE_VADUDAZIDIZ");
    EXPECT_EQ(desktop.shellCalls.size(), 1u);
}

TEST_F(ProgressProgramTest, QuotesInTheCaptionCannotBreakTheCommandLine)
{
    ProgressProgram program(desktop, setup());
    EXPECT_EQ(program.launchParameters("a\" b", "s"),
              "CAPTION=\"a b\" STYLE=\"Carbon\" STATUS=\"s\" CLIENTHWND=4242");
}

TEST_F(ProgressProgramTest, OpenQueryWithoutSuiteFlagUsesAnExistingProgram)
{
    files.insert("/suite/Kx_VadudaziDiz.exe");
    desktop.add(0, kProgressMessageWindowClass, "", false);
    ProgressProgram program(desktop, setup(DefaultQueryState::Open));
    bool endOwn = false;
    EXPECT_EQ(program.start("c", "s", true, endOwn), ProgressProgram::Outcome::External);
    EXPECT_TRUE(desktop.sent.empty()) << "external only before the suite flag is known";
    EXPECT_EQ(program.start("c", "s", false, endOwn), ProgressProgram::Outcome::External);
    EXPECT_TRUE(endOwn);
    EXPECT_EQ(program.useCount(), 1);
}

TEST(ProgressTitle, SecondsWithOneOptionalDecimal)
{
    EXPECT_EQ(ProgressTitle("Sparar", 2400, ","), "Sparar - 2,4s");
    EXPECT_EQ(ProgressTitle("Sparar", 2400, "."), "Sparar - 2.4s");
    EXPECT_EQ(ProgressTitle("Sparar", 3000, ","), "Sparar - 3s");
}

TEST(ReadFileVersionNumber, FixedVersionRecord)
{
    const std::string path = ::testing::TempDir() + "tq7-version.bin";
    {
        std::ofstream out(path, std::ios::binary);
        const unsigned char record[] = {0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0,
                                        1,    0,    4,    0,    6, 0, 0, 0}; // 4.1.0.6
        out << "MZ padding";
        out.write(reinterpret_cast<const char*>(record), sizeof record);
    }
    EXPECT_EQ(ReadFileVersionNumber(path), 4106);
    EXPECT_EQ(ReadFileVersionNumber("/nonexistent/file.exe"), 0);
}
