#include "toolkit/core/Utilities.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <fstream>
#include <sstream>

using namespace toolkit;
namespace fs = std::filesystem;

namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

class FindFilesTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() /
               ("tq7-findfiles-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    void touch(const fs::path& relative)
    {
        fs::create_directories((root / relative).parent_path());
        std::ofstream(root / relative) << "x";
    }
    std::string path(const std::string& relative) const { return (root / relative).string(); }
    fs::path root;
};

} // namespace

TEST(IsPictureFileName, ExtensionAnywhereInTheList)
{
    const std::pair<const char*, bool> cases[] = {
        {"bild.jpeg", true}, {"BILD.J2K", true}, {"scan.Tif", true}, {"notes.txt", false},
        {"kort.p", true},    {"utan", false},    {"mapp.d/fil", false}, {"x.dcm", true},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(IsPictureFileName(name), expected) << name;
}

TEST(SplitText, PartsBeforeEachSeparatorIncludingEmptyOnes)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitText("a;b", ';'), (V{"a", "b"}));
    EXPECT_EQ(SplitText("a;;b;", ';'), (V{"a", "", "b"}));
    EXPECT_EQ(SplitText(";", ';'), (V{""}));
    EXPECT_EQ(SplitText("", ';'), (V{""}));
}

TEST(GetDelimitedField, FieldsByIndexTrimmed)
{
    const std::string text = "a; b ;c";
    const std::pair<int, const char*> cases[] = {{0, "a"}, {1, "b"}, {2, "c"}, {3, ""}, {5, "a"}};
    for (const auto& [index, expected] : cases)
        EXPECT_EQ(GetDelimitedField(text, index, ';'), expected) << index;
    EXPECT_EQ(GetDelimitedField("", 0, ';'), "");
    EXPECT_EQ(GetDelimitedField("x;;y", 1, ';'), "");
}

TEST(TextOperations, TextBeforeAndSpecialCharacters)
{
    EXPECT_EQ(TextBefore("namn@OM>12", "@OM>"), "namn");
    EXPECT_EQ(TextBefore("namn", "@OM>"), "");
    EXPECT_EQ(RemoveSpecialCharacters("a-b//c"), "abc");
    EXPECT_EQ(RemoveSpecialCharacters("x\t!&\\y\r\n"), "xy");
    EXPECT_STREQ(BoolDigit(true), "1");
    EXPECT_STREQ(BoolDigit(false), "0");
}

TEST(MakeTimestampName, PartsWithoutLeadingZerosThenANumber)
{
    const std::string name = MakeTimestampName(at(2023, 5, 7, 9, 3, 0));
    ASSERT_TRUE(name.starts_with("2023.5.7.9.3.0.")) << name;
    const int number = std::stoi(name.substr(15));
    EXPECT_GE(number, 1);
    EXPECT_LE(number, 1000);
    EXPECT_EQ(TimestampPrefix(at(2023, 10, 20, 10, 0, 5)), "2023.10.20.10.0.5");
    EXPECT_EQ(TimestampPrefix(at(2001, 1, 1, 0, 0, 0)), "2001.1.1.0.0.0");
}

TEST(MakeTimestampName, NeverRepeatsThePreviousNumber)
{
    std::string previous = MakeTimestampName(at(2023, 5, 7, 9, 3, 0));
    for (int i = 0; i < 3000; ++i) {
        const std::string name = MakeTimestampName(at(2023, 5, 7, 9, 3, 0));
        ASSERT_NE(name, previous);
        previous = name;
    }
}

TEST(ContrastColor, Table)
{
    const std::pair<Rgb, Rgb> cases[] = {
        {{0, 0, 50}, {255, 255, 255}},      {{200, 200, 200}, {0, 0, 0}},
        {{128, 0, 0}, {192, 192, 192}},     {{0, 255, 255}, {192, 192, 192}},
        {{192, 192, 192}, {128, 128, 128}}, {{255, 255, 255}, {128, 128, 128}},
        {{100, 100, 100}, {255, 255, 255}}, {{101, 100, 100}, {0, 0, 0}},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ContrastColor(in), out) << int(in.r) << "," << int(in.g) << "," << int(in.b);
}

TEST(IsBlackBitmap, EveryPixelButNotThePadding)
{
    std::vector<std::uint8_t> bits(2 * 8, 0); // 2 rows of 2 pixels, stride 8
    bits[6] = bits[7] = 0xFF;                  // padding after the first row
    EXPECT_TRUE(IsBlackBitmap({bits.data(), 2, 2, 8}));
    EXPECT_TRUE(IsBlackBitmap({nullptr, 5, 0, 16}));
    bits[8 + 5] = 1; // red of the second row's second pixel
    EXPECT_FALSE(IsBlackBitmap({bits.data(), 2, 2, 8}));
}

TEST(CompressStream, RoundTripFromTheSourcePosition)
{
    std::string payload(5000, 'q');
    payload += "slut";
    std::stringstream plain(payload), packed;
    CompressStream(plain, packed);
    EXPECT_LT(packed.str().size(), payload.size() / 10);

    std::stringstream source("HEADER" + packed.str()), out;
    source.seekg(6);
    DecompressStream(source, out);
    EXPECT_EQ(out.tellg(), 0);
    EXPECT_EQ(out.str(), payload);
}

TEST(CompressStream, DamagedOrCutDataThrows)
{
    std::stringstream plain(std::string(1000, 'z')), packed, out;
    CompressStream(plain, packed);
    std::string data = packed.str();
    std::stringstream cut(data.substr(0, data.size() / 2));
    EXPECT_THROW(DecompressStream(cut, out), std::runtime_error);
    data[3] ^= 0x55;
    std::stringstream damaged(data);
    std::stringstream out2;
    EXPECT_THROW(DecompressStream(damaged, out2), std::runtime_error);
}

TEST_F(FindFilesTree, FindFilesAllFilesRecursively)
{
    touch("a.txt");
    touch("sub/b.jpg");
    touch("sub/deeper/c.dcm");
    auto found = FindFiles(root.string() + "/", "");
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{path("a.txt"), path("sub/b.jpg"),
                                               path("sub/deeper/c.dcm")}));
    auto blank = FindFiles(root.string(), " ");
    EXPECT_EQ(blank.size(), 3u);
}

TEST_F(FindFilesTree, FindFilesPatternAddsAFoldersMatchesOnce)
{
    touch("a.JPG");
    touch("b.jpg");
    touch("c.txt");
    auto found = FindFiles(root.string(), "*.jpg");
    std::sort(found.begin(), found.end());
    // Each file entry would add the folder's matches again without the stop.
    EXPECT_EQ(found, (std::vector<std::string>{path("a.JPG"), path("b.jpg")}));
}

TEST_F(FindFilesTree, FindFilesSearchesSubFoldersWhenTheFolderHasNoMatch)
{
    touch("a.txt");
    touch("sub/b.jpg");
    EXPECT_EQ(FindFiles(root.string(), "*.jpg"), (std::vector<std::string>{path("sub/b.jpg")}));
}

TEST(FindFiles, MissingFolderReportsAndGivesNothing)
{
    std::string error;
    const auto found = FindFiles("/nonexistent/tq7/folder", "*.jpg",
                                 [&](const std::string& e) { error = e; });
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(error.empty());
}

TEST(GetTempDir, EndsWithSlash)
{
    EXPECT_TRUE(GetTempDir().ends_with('/'));
}

class PrivateStateDir : public ::testing::Test {
protected:
    static constexpr const char* kVariables[] = {"XDG_STATE_HOME", "HOME", "XDG_RUNTIME_DIR"};
    void SetUp() override
    {
        for (const char* name : kVariables)
            if (const char* v = std::getenv(name))
                saved[name] = v;
        root = fs::temp_directory_path() / ("tq7-state-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override
    {
        for (const char* name : kVariables)
            if (saved.count(name))
                ::setenv(name, saved[name].c_str(), 1);
            else
                ::unsetenv(name);
        fs::remove_all(root);
    }
    // "@" stands for the test's folder.
    void setEnv(const char* name, std::string value)
    {
        if (value.starts_with('@'))
            value = root.string() + value.substr(1);
        value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
    }
    std::map<std::string, std::string> saved;
    fs::path root;
};

TEST_F(PrivateStateDir, ChoosesTheFirstUsableBaseAndMakesItPrivate)
{
    struct Case {
        const char *state, *home, *runtime, *expected; // expected "": no folder
    };
    const Case cases[] = {
        {"@/state", "@/home", "@/run", "@/state/tervalen/"},
        {"", "@/home", "@/run", "@/home/.local/state/tervalen/"},
        {"state-relative", "@/home", "", "@/home/.local/state/tervalen/"},
        {"", "", "@/run", "@/run/tervalen/"},
        {"", "home-relative", "@/run", "@/run/tervalen/"},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.state) + " | " + c.home + " | " + c.runtime);
        setEnv("XDG_STATE_HOME", c.state);
        setEnv("HOME", c.home);
        setEnv("XDG_RUNTIME_DIR", c.runtime);
        if (!*c.expected) {
            EXPECT_THROW(GetPrivateStateDir(), std::runtime_error);
            continue;
        }
        const std::string expected = root.string() + std::string(c.expected).substr(1);
        EXPECT_EQ(GetPrivateStateDir(), expected);
        struct stat st{};
        ASSERT_EQ(::lstat(expected.c_str(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0700u);
    }
}

TEST_F(PrivateStateDir, NarrowsAWideFolderAndRefusesLinksAndStrangers)
{
    setEnv("XDG_STATE_HOME", "@");
    const fs::path dir = root / "tervalen";
    fs::create_directory(dir);
    ::chmod(dir.c_str(), 0755);
    EXPECT_EQ(GetPrivateStateDir(), dir.string() + "/");
    struct stat st{};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);

    fs::remove(dir);
    fs::create_directory(root / "elsewhere");
    fs::create_directory_symlink(root / "elsewhere", dir);
    EXPECT_THROW(GetPrivateStateDir(), std::runtime_error);

    if (::geteuid() != 0)
        GTEST_SKIP() << "a folder of another user can only be made as root";
    fs::remove(dir);
    fs::create_directory(dir);
    ASSERT_EQ(::chown(dir.c_str(), 65534, 65534), 0);
    EXPECT_THROW(GetPrivateStateDir(), std::runtime_error);
}

TEST(GetClientComputerName, LocalAndRemoteSessions)
{
    struct Case {
        SessionEnvironment env;
        bool remote;
        const char* name;
    };
    const Case cases[] = {
        {{"behandlingsrum-12-vanster", "", "", ":0"}, false, "behandlingsrum-"},
        {{"ws1", "", "", ""}, false, "ws1"},
        {{"ws1", "10.1.2.3 51000 10.0.0.5 22", "", "localhost:10.0"}, true, "10.1.2.3"},
        {{"ws1", "", "10.9.8.7 51000 22", ""}, true, "10.9.8.7"},
        {{"ws1", "", "", "reception-pc:0.0"}, true, "reception-pc"},
        {{"ws1", "10.1.2.3 51000 10.0.0.5 22", "", "reception-pc:0"}, true, "reception-pc"},
        {{"ws1", "", "", "ws1:0"}, false, "ws1"},
        {{"ws1", "", "", "unix:0"}, false, "ws1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsRemoteSession(c.env), c.remote) << c.env.display << c.env.sshConnection;
        EXPECT_EQ(GetClientComputerName(c.env), c.name) << c.env.display << c.env.sshConnection;
    }
}
