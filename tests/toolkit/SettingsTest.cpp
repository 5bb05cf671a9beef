#include "toolkit/core/FileRegistry.h"
#include "toolkit/core/Settings.h"
#include "toolkit/core/Text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace toolkit;
namespace fs = std::filesystem;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("tq7-settings-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        useRegistry(dir / "machine.reg");
        SetInstallKey(InstallKeyFor("/opt/Floater 2"));
    }
    void TearDown() override
    {
        setRegistry(nullptr);
        fs::remove_all(dir);
    }
    void useRegistry(const fs::path& machineFile)
    {
        reg = std::make_unique<FileRegistry>(std::map<RegistryRoot, std::string>{
            {RegistryRoot::CurrentUser, (dir / "user.reg").string()},
            {RegistryRoot::LocalMachine, machineFile.string()}});
        setRegistry(reg.get());
    }
    // Writes one root directly, bypassing the store's rules.
    void put(RegistryRoot root, const std::string& section, const std::string& name,
             const std::string& text)
    {
        const std::string key = kSettingsRoot + InstallKey() + section;
        RegistryValue v;
        for (char16_t c : Utf8ToUtf16(text)) {
            v.data.push_back(static_cast<std::uint8_t>(c));
            v.data.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        v.data.insert(v.data.end(), {0, 0});
        ASSERT_EQ(reg->createKey(root, key, false), 0);
        ASSERT_EQ(reg->setValue(root, key, name, v), 0);
    }
    std::string slurp(const fs::path& p)
    {
        std::ifstream in(p);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir;
    std::unique_ptr<FileRegistry> reg;
};

} // namespace

TEST_F(SettingsTest, ReadChainCases)
{
    struct Case {
        const char* name;
        std::optional<std::string> user, machine;
        std::string expected;
    } cases[] = {
        {"machine only", std::nullopt, "m", "m"},
        {"user wins", "u", "m", "u"},
        {"blank user passed over", "   ", "m", "m"},
        {"blank user, no machine", "   ", std::nullopt, "ERROR"},
        {"control chars count as blank", "\t\r\n", std::nullopt, "ERROR"},
        {"found value untrimmed", " x ", std::nullopt, " x "},
        {"nothing", std::nullopt, std::nullopt, "ERROR"},
        {"exactly 1024 read whole", std::string(1024, 'a'), std::nullopt, std::string(1024, 'a')},
        {"1025 reads as absent", std::string(1025, 'a'), "m", "m"},
        {"1024 with non-ASCII", std::string(1022, 'a') + "\xC3\xA5\xC3\xA4", std::nullopt,
         std::string(1022, 'a') + "\xC3\xA5\xC3\xA4"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "v" + std::to_string(n++);
        if (c.user)
            put(RegistryRoot::CurrentUser, "Sec", name, *c.user);
        if (c.machine)
            put(RegistryRoot::LocalMachine, "Sec", name, *c.machine);
        EXPECT_EQ(ReadSetting("Sec", name), c.expected) << c.name;
    }
}

TEST_F(SettingsTest, DefaultsAndEmptyWrites)
{
    EXPECT_EQ(ReadSettingOrDefault("Q7-Floater", "Missing", "STD"), "STD");
    EXPECT_EQ(ReadSetting("Q7-Floater", "Missing"), "ERROR");
    WriteSetting("Q7-Floater", "Empty", "");
    EXPECT_EQ(ReadSetting("Q7-Floater", "Empty"), "ERROR");
}

TEST_F(SettingsTest, WriteStoresBothRootsAndNamesAreCaseBlind)
{
    WriteSetting("Q7-Floater", "StayOnTop", "-1");
    EXPECT_EQ(ReadSetting("q7-floater", "STAYONTOP"), "-1");
    const std::string key = kSettingsRoot + InstallKey() + "Q7-Floater";
    EXPECT_TRUE(reg->queryValue(RegistryRoot::CurrentUser, key, "StayOnTop").has_value());
    EXPECT_TRUE(reg->queryValue(RegistryRoot::LocalMachine, key, "StayOnTop").has_value());
    EXPECT_NE(slurp(dir / "machine.reg").find("[SOFTWARE\\Tervalen\\_opt_Floater_2\\Q7-Floater]"),
              std::string::npos);
}

TEST_F(SettingsTest, MachineRootIsSharedThroughItsFoldersGroupNotWithEveryone)
{
    // The machine folder as installed: setgid, writable by its group only.
    const fs::path machine = dir / "etc";
    fs::create_directory(machine);
    ASSERT_EQ(::chmod(machine.c_str(), 02775), 0);
    struct stat folder{};
    ASSERT_EQ(::stat(machine.c_str(), &folder), 0);
    useRegistry(machine / "machine.reg");

    // The second case: a file left world-writable by an older version.
    for (const bool leftOpen : {false, true}) {
        SCOPED_TRACE(leftOpen ? "world-writable file before" : "no file before");
        if (leftOpen) {
            ASSERT_EQ(::chmod((machine / "machine.reg").c_str(), 0666), 0);
        }
        WriteSetting("Q7-Floater", "Formleft", leftOpen ? "2" : "1");
        for (const char* name : {"machine.reg", "machine.reg.lock"}) {
            struct stat st{};
            ASSERT_EQ(::stat((machine / name).c_str(), &st), 0) << name;
            EXPECT_EQ(st.st_mode & 07777, 0664u) << name;
            EXPECT_EQ(st.st_gid, folder.st_gid) << name;
        }
    }
    EXPECT_EQ(ReadRegistryText(RegistryRoot::LocalMachine, kSettingsRoot + InstallKey() + "Q7-Floater",
                               "Formleft"),
              "2");
}

TEST_F(SettingsTest, UnwritableMachineRootKeepsUserValueAndRecordsFailure)
{
    std::ofstream(dir / "blocker") << "a file where a folder should be";
    useRegistry(dir / "blocker" / "machine.reg");
    WriteSetting("Q7-Floater", "Formleft", "12");
    EXPECT_EQ(ReadSetting("Q7-Floater", "Formleft"), "12");
    EXPECT_EQ(ReadRegistryText(RegistryRoot::CurrentUser,
                               "SOFTWARE\\Tervalen\\ERROR_WRITING_TO_LOCAL_MACHINE", "ErrorMsg"),
              "Not a directory");
    EXPECT_EQ(LastRegistryError(), "Not a directory");
}

// The file store with one root that refuses every write, as a read-only
// home or a locked-down machine would.
class RefusingRegistry : public Registry {
public:
    RefusingRegistry(Registry& inner, RegistryRoot refused) : inner_(inner), refused_(refused) {}
    std::optional<RegistryValue> queryValue(RegistryRoot root, const std::string& keyPath,
                                            const std::string& name) override
    {
        return inner_.queryValue(root, keyPath, name);
    }
    int createKey(RegistryRoot root, const std::string& keyPath, bool openToEveryone) override
    {
        return root == refused_ ? EACCES : inner_.createKey(root, keyPath, openToEveryone);
    }
    int setValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                 const RegistryValue& value) override
    {
        return root == refused_ ? EACCES : inner_.setValue(root, keyPath, name, value);
    }
    int deleteKey(RegistryRoot root, const std::string& keyPath, const std::string& subKey) override
    {
        return inner_.deleteKey(root, keyPath, subKey);
    }
    std::string errorText(int code) override { return inner_.errorText(code); }

private:
    Registry& inner_;
    RegistryRoot refused_;
};

TEST_F(SettingsTest, ARootThatRefusesWritesIsRecordedAndTheUserToldOnce)
{
    const std::string denied = std::strerror(EACCES);
    struct Case {
        RegistryRoot refused;
        RegistryRoot markerRoot;
        std::string markerKey;
        int told;
    } cases[] = {
        {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine, kUserFailureMarkerKey, 1},
        {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser,
         "SOFTWARE\\Tervalen\\ERROR_WRITING_TO_LOCAL_MACHINE", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.markerKey);
        fs::remove(dir / "user.reg");
        fs::remove(dir / "machine.reg");
        WriteSetting("Q7-Floater", "StayOnTop", "-1"); // an older value in both roots
        RefusingRegistry refusing(*reg, c.refused);
        setRegistry(&refusing);
        std::vector<std::string> told;
        SetUserRootFailureNotifier([&](const std::string& reason) { told.push_back(reason); });
        WriteSetting("Q7-Floater", "StayOnTop", "0");
        WriteSetting("Q7-Floater", "Formleft", "5");
        setRegistry(reg.get());
        SetUserRootFailureNotifier({});
        EXPECT_EQ(ReadRegistryText(c.markerRoot, c.markerKey, "ErrorMsg"), denied);
        ASSERT_EQ(static_cast<int>(told.size()), c.told);
        if (c.told) {
            EXPECT_EQ(told.front(), denied);
        }
    }
}

TEST_F(SettingsTest, OverlongWritesAreRefused)
{
    WriteSetting("Sec", "long", std::string(1025, 'x'));
    EXPECT_EQ(ReadSetting("Sec", "long"), "ERROR");
    WriteSetting("Sec", std::string(1025, 'n'), "x");
    EXPECT_FALSE(fs::exists(dir / "user.reg") && slurp(dir / "user.reg").find("nnnn") != std::string::npos);
}

TEST(InstallKey, FromWorkingDirectory)
{
    struct Case { const char* dir; const char* key; } cases[] = {
        {"C:\\", "C_\\"},
        {"D:\\Apps\\Floater 2", "D_Apps_Floater_2\\"},
        {"D:\\Apps\\Floater 2\\", "D_Apps_Floater_2\\"},
        {"/opt/Floater 2", "_opt_Floater_2\\"},
        {"/srv/a b/c d/e/", "_srv_a_b_c_d_e\\"},
        {"/", "_\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InstallKeyFor(c.dir), c.key) << c.dir;
}

TEST_F(SettingsTest, DeleteSectionRefusesKeysWithSubKeys)
{
    WriteSetting("Plain", "a", "1");
    WriteSetting("Deep", "a", "1");
    WriteSetting("Deep\\Sub", "b", "2");
    DeleteSettingSection("Plain");
    DeleteSettingSection("Deep");
    EXPECT_EQ(ReadSetting("Plain", "a"), "ERROR");
    EXPECT_EQ(ReadSetting("Deep", "a"), "1");
    EXPECT_EQ(ReadSetting("Deep\\Sub", "b"), "2");
}

TEST_F(SettingsTest, BooleansAsMinusOneAndZero)
{
    WriteBoolSetting("Q7-Floater", "StayOnTop", true);
    EXPECT_EQ(ReadSetting("Q7-Floater", "StayOnTop"), "-1");
    EXPECT_TRUE(ReadBoolSetting("Q7-Floater", "StayOnTop", false));
    WriteBoolSetting("Q7-Floater", "StayOnTop", false);
    EXPECT_EQ(ReadSetting("Q7-Floater", "StayOnTop"), "0");
    EXPECT_FALSE(ReadBoolSetting("Q7-Floater", "StayOnTop", true));
    struct Case { const char* text; bool def; bool expected; } cases[] = {
        {"True", false, true}, {"false", true, false}, {"1", false, true},
        {"junk", true, true}, {"junk", false, false}};
    for (const auto& c : cases) {
        WriteSetting("B", "x", c.text);
        EXPECT_EQ(ReadBoolSetting("B", "x", c.def), c.expected) << c.text;
    }
    EXPECT_TRUE(ReadBoolSetting("B", "missing", true));
}

TEST_F(SettingsTest, GenericReadsCheckTypes)
{
    ASSERT_TRUE(WriteRegistryBinary(RegistryRoot::CurrentUser, "SOFTWARE\\X", "bin", {1, 2, 0, 255}));
    std::vector<std::uint8_t> out{9, 9, 9, 9, 9, 9};
    EXPECT_EQ(ReadRegistryBinary(RegistryRoot::CurrentUser, "SOFTWARE\\X", "bin", out), 4u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{1, 2, 0, 255}));
    EXPECT_EQ(ReadRegistryBinary(RegistryRoot::CurrentUser, "SOFTWARE\\X", "none", out), 0u);
    EXPECT_TRUE(out.empty());
    // A binary value is not a DWORD.
    EXPECT_EQ(ReadRegistryDword(RegistryRoot::CurrentUser, "SOFTWARE\\X", "bin"), 0u);
    RegistryValue dword{RegistryType::Dword, {0x2a, 0, 0, 0}};
    ASSERT_EQ(reg->setValue(RegistryRoot::CurrentUser, "SOFTWARE\\X", "d", dword), 0);
    EXPECT_EQ(ReadRegistryDword(RegistryRoot::CurrentUser, "SOFTWARE\\X", "d"), 42u);
    EXPECT_EQ(ReadRegistryText(RegistryRoot::CurrentUser, "SOFTWARE\\X", "missing"), "");
}

TEST_F(SettingsTest, DamagedLinesAreDroppedAloneLoggedAndTheFileKept)
{
    const std::string header = "[SOFTWARE\\Tervalen\\_opt_Floater_2\\Sec]\n";
    struct Case {
        const char* name;
        std::string text;
        const char* dropped; // a piece of the damaged line the log must name
    } cases[] = {
        {"cut line", header + "\"a\"=\"1\"\n\"cut\"=\"half a va\n\"b\"=\"2\"\n", "half a va"},
        {"byte-order mark", "\xEF\xBB\xBF" + header + "\"a\"=\"1\"\n\"b\"=\"2\"\n\"x\" = \"y\"\n",
         "\"x\" = \"y\""},
        {"blanks around =", header + "\"a\"=\"1\"\n\"A2\" = \"B\"\n\"b\"=\"2\"\n", "\"A2\" = \"B\""},
        // Values under a damaged section line belong to no section we know.
        {"damaged section line", header + "\"a\"=\"1\"\n\"b\"=\"2\"\n[SOFTWARE\\Tervalen\\cut\n\"c\"=\"3\"\n",
         "[SOFTWARE\\Tervalen\\cut"},
        {"value before any section", "\"c\"=\"3\"\n" + header + "\"a\"=\"1\"\n\"b\"=\"2\"\n", "\"c\"=\"3\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* file : {"user.reg", "machine.reg"}) {
            std::ofstream(dir / file, std::ios::binary | std::ios::trunc) << c.text;
            fs::remove(dir / (std::string(file) + ".corrupt"));
        }
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(ReadSetting("Sec", "a"), "1");
        EXPECT_EQ(ReadSetting("Sec", "b"), "2");
        EXPECT_EQ(ReadSetting("Sec", "c"), "ERROR");
        EXPECT_EQ(ReadSetting("Sec", "cut"), "ERROR");
        WriteSetting("Sec", "d", "4");
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(c.dropped), std::string::npos) << log;
        EXPECT_NE(log.find((dir / "user.reg").string()), std::string::npos) << log;
        EXPECT_EQ(slurp(dir / "user.reg.corrupt"), c.text);
        EXPECT_EQ(ReadSetting("Sec", "a"), "1");
        EXPECT_EQ(ReadSetting("Sec", "d"), "4");
        const std::string rewritten = slurp(dir / "user.reg");
        EXPECT_EQ(rewritten.find(c.dropped), std::string::npos) << rewritten;
    }
}

TEST_F(SettingsTest, BytesOfValuesNotWrittenAreKept)
{
    const std::string header = "[SOFTWARE\\Tervalen\\_opt_Floater_2\\Sec]\n";
    const std::string lines[] = {
        "\"latin1\"=\"Sm\xE5land\"",           // not UTF-8
        "\"escaped\"=\"\\xff\\xfe\"",         // escaped bytes that are not UTF-8 either
        "\"halfpair\"=\"x\xED\xA0\xBDy\"",     // half a surrogate pair
        "\"Odd Case\"=\"\xC3\xA5 ok\"",        // plain UTF-8 keeps its name's case
    };
    std::string text = header;
    for (const auto& line : lines)
        text += line + "\n";
    std::ofstream(dir / "user.reg", std::ios::binary) << text;
    WriteSetting("Sec", "other", "1");
    const std::string after = slurp(dir / "user.reg");
    for (const auto& line : lines)
        EXPECT_NE(after.find(line + "\n"), std::string::npos) << line << "\n--- file:\n" << after;
    EXPECT_FALSE(fs::exists(dir / "user.reg.corrupt"));
    EXPECT_EQ(ReadSetting("Sec", "other"), "1");
}

TEST_F(SettingsTest, OversizedFileIsRefusedAndLeftAlone)
{
    const std::string header = "[SOFTWARE\\Tervalen\\_opt_Floater_2\\Sec]\n\"a\"=\"1\"\n";
    const std::string filler = "; " + std::string(1 << 20, 'x') + "\n";
    std::string text = header;
    for (int i = 0; i < 10; ++i)
        text += filler;
    std::ofstream(dir / "user.reg", std::ios::binary) << text;
    std::ofstream(dir / "machine.reg", std::ios::binary) << header;
    ::testing::internal::CaptureStderr();
    WriteSetting("Sec", "a", "2");
    EXPECT_EQ(ReadSetting("Sec", "a"), "2"); // the machine copy answers
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find((dir / "user.reg").string()), std::string::npos) << log;
    EXPECT_EQ(fs::file_size(dir / "user.reg"), text.size()); // never replaced by a store of one value
}

TEST_F(SettingsTest, ChangedFileIsReadAgain)
{
    const std::string header = "[SOFTWARE\\Tervalen\\_opt_Floater_2\\Sec]\n";
    // Same size each time: only the content and the modification time change.
    for (const char* value : {"1", "2", "3"}) {
        const fs::path tmp = dir / "user.reg.new";
        std::ofstream(tmp, std::ios::binary) << header << "\"a\"=\"" << value << "\"\n";
        fs::rename(tmp, dir / "user.reg");
        EXPECT_EQ(ReadSetting("Sec", "a"), value);
        std::ofstream(dir / "user.reg", std::ios::binary | std::ios::trunc) << header << "\"a\"=\"" << value
                                                                           << "x\"\n";
        EXPECT_EQ(ReadSetting("Sec", "a"), std::string(value) + "x");
    }
}

TEST(FileRegistryFormat, RoundTripsAwkwardTextAndOtherTypes)
{
    FileRegistry::Tree tree;
    auto& key = tree["K"];
    key.name = "K";
    const std::string text = "tab\there \"q\" back\\slash \x01 \xC3\xA5";
    RegistryValue s{RegistryType::String, {}};
    for (char16_t c : Utf8ToUtf16(text)) {
        s.data.push_back(static_cast<std::uint8_t>(c));
        s.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    s.data.insert(s.data.end(), {0, 0});
    key.values["A\"B"] = {"a\"b", s, {}};
    key.values["ODD"] = {"odd", RegistryValue{RegistryType::String, {0x41, 0}}, {}}; // no terminator
    key.values["M"] = {"m", RegistryValue{static_cast<RegistryType>(7), {0, 0}}, {}};
    const auto back = FileRegistry::parse(FileRegistry::serialize(tree));
    ASSERT_TRUE(back.dropped.empty());
    for (const char* name : {"A\"B", "ODD", "M"}) {
        EXPECT_EQ(back.tree.at("K").values.at(name).value.data, tree.at("K").values.at(name).value.data) << name;
        EXPECT_EQ(back.tree.at("K").values.at(name).value.type, tree.at("K").values.at(name).value.type) << name;
    }
    for (const char* bad : {"\"v\"=\"x\"\n", "[K]\nno equals\n", "[K]\n\"v\"=dword:12\n", "[K]\n\"v\"=hex:1,2\n",
                            "[K]\n\"v\"=\"unterminated\n", "[K\n"})
        EXPECT_EQ(FileRegistry::parse(bad).dropped.size(), 1u) << bad;
}

TEST_F(SettingsTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kPerProcess = 40;
    pid_t kids[2];
    for (int k = 0; k < 2; ++k) {
        kids[k] = ::fork();
        if (kids[k] == 0) {
            for (int i = 0; i < kPerProcess; ++i)
                WriteSetting("Race", "p" + std::to_string(k) + "_" + std::to_string(i), std::to_string(i));
            ::_exit(0);
        }
    }
    for (pid_t kid : kids) {
        int status = 0;
        ::waitpid(kid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < kPerProcess; ++i)
            EXPECT_EQ(ReadSetting("Race", "p" + std::to_string(k) + "_" + std::to_string(i)), std::to_string(i));
    for (const auto& entry : fs::directory_iterator(dir)) { // no temporary files left behind
        const std::string ext = entry.path().extension().string();
        EXPECT_TRUE(ext == ".reg" || ext == ".lock") << entry.path();
    }
}
