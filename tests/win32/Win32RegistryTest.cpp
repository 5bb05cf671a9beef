// The settings store on the system registry (Wine's under Linux): both roots,
// blank values, the length limit, the machine-wide protection and the
// failure marker. Each test works under an install key of its own.

#include "toolkit/core/Settings.h"
#include "toolkit/core/Win32Registry.h"

#include "platform/win32/WideText.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace toolkit;

namespace {

const std::string kSection = "Q7-Floater";

class Win32Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        installKey = "tq7test_" + std::to_string(GetCurrentProcessId()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        SetInstallKey(installKey);
        setRegistry(nullptr); // the system registry
    }
    void TearDown() override
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            const std::wstring key = platform::widen(kSettingsRoot + installKey);
            unlock(root, key + platform::widen(kSection));
            RegDeleteTreeW(root, key.c_str());
            RegDeleteKeyW(root, key.c_str());
        }
        RegDeleteKeyW(HKEY_CURRENT_USER, kMarkerKey);
        setRegistry(nullptr);
    }

    std::wstring sectionKey() const { return platform::widen(kSettingsRoot + installKey + kSection); }

    // Stores a string value directly, as another program or an administrator would.
    void put(HKEY root, const std::string& name, const std::wstring& text)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(root, sectionKey().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, platform::widen(name).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    // The value's type and size as stored, or nullopt when it is missing.
    std::optional<std::pair<DWORD, DWORD>> stored(HKEY root, const wchar_t* key,
                                                  const std::string& name)
    {
        DWORD type = 0, size = 0;
        if (RegGetValueW(root, key, platform::widen(name).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                         nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::make_pair(type, size);
    }

    // Gives a key a DACL without entries: nobody may open it for writing.
    void lock(HKEY root, const std::wstring& path)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        ACL acl;
        ASSERT_TRUE(InitializeAcl(&acl, sizeof acl, ACL_REVISION));
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
        ASSERT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static void unlock(HKEY root, const std::wstring& path)
    {
        HKEY key;
        if (RegOpenKeyExW(root, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS)
            return;
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
        RegCloseKey(key);
    }

    static constexpr const wchar_t* kMarkerKey = L"SOFTWARE\\Tervalen\\ERROR_WRITING_TO_LOCAL_MACHINE";
    std::string installKey;
};

TEST_F(Win32Settings, ReadChainOverBothRoots)
{
    struct Case {
        const char* name;
        std::optional<std::wstring> user, machine;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"OnlyMachine", std::nullopt, L"m", "m"},
        {"UserWins", L"u", L"m", "u"},
        {"BlankUserFallsThrough", L"   ", L"m", "m"},
        {"BlankEverywhere", L"   ", L"\t", "ERROR"},
        {"Untrimmed", L" x ", std::nullopt, " x "},
        {"Missing", std::nullopt, std::nullopt, "ERROR"},
        {"Unicode", L"Tandläkare Åström", std::nullopt, "Tandläkare Åström"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.user)
            put(HKEY_CURRENT_USER, c.name, *c.user);
        if (c.machine)
            put(HKEY_LOCAL_MACHINE, c.name, *c.machine);
        EXPECT_EQ(ReadSetting(kSection, c.name), c.expected);
    }
    EXPECT_EQ(ReadSettingOrDefault(kSection, "Missing", "STD"), "STD");
}

TEST_F(Win32Settings, WriteStoresStringValuesInBothRoots)
{
    WriteSetting(kSection, "StayOnTop", "-1");
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const auto v = stored(root, sectionKey().c_str(), "StayOnTop");
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(v->first, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(v->second, 6u); // two characters and the NUL, two bytes each
    }
    EXPECT_EQ(ReadSetting(kSection, "stayontop"), "-1"); // names are case-blind
    EXPECT_FALSE(stored(HKEY_CURRENT_USER, kMarkerKey, "ErrorMsg").has_value());

    WriteSetting(kSection, "StayOnTop", "");
    EXPECT_EQ(ReadSetting(kSection, "StayOnTop"), "ERROR");
}

TEST_F(Win32Settings, ValuesUpTo1024CharactersAreRead)
{
    const std::string longest(1024, 'a');
    WriteSetting(kSection, "Longest", longest);
    EXPECT_EQ(ReadSetting(kSection, "Longest"), longest);

    put(HKEY_CURRENT_USER, "TooLong", std::wstring(1025, L'b'));
    EXPECT_EQ(ReadSetting(kSection, "TooLong"), "ERROR");
    put(HKEY_LOCAL_MACHINE, "TooLong", L"m");
    EXPECT_EQ(ReadSetting(kSection, "TooLong"), "m");

    WriteSetting(kSection, "Refused", std::string(1025, 'c'));
    EXPECT_FALSE(stored(HKEY_CURRENT_USER, sectionKey().c_str(), "Refused").has_value());
}

// What the machine-wide key creation asked of the descriptor calls.
struct DaclRequest {
    int calls = 0;
    BOOL present = FALSE;
    PACL dacl = reinterpret_cast<PACL>(1);
    BOOL defaulted = TRUE;
} g_dacl;

BOOL WINAPI recordDacl(PSECURITY_DESCRIPTOR sd, BOOL present, PACL dacl, BOOL defaulted)
{
    g_dacl = {g_dacl.calls + 1, present, dacl, defaulted};
    return SetSecurityDescriptorDacl(sd, present, dacl, defaulted);
}

TEST_F(Win32Settings, MachineWideKeysAreCreatedWithANullDacl)
{
    Win32Registry recording({InitializeSecurityDescriptor, recordDacl});
    setRegistry(&recording);
    g_dacl = {};
    WriteSetting(kSection, "Formleft", "812");
    // Only the machine-wide key is created with the descriptor: a present but
    // null DACL, full access for everyone.
    EXPECT_EQ(g_dacl.calls, 1);
    EXPECT_TRUE(g_dacl.present);
    EXPECT_EQ(g_dacl.dacl, nullptr);
    EXPECT_FALSE(g_dacl.defaulted);
    EXPECT_TRUE(stored(HKEY_LOCAL_MACHINE, sectionKey().c_str(), "Formleft").has_value());
    EXPECT_TRUE(stored(HKEY_CURRENT_USER, sectionKey().c_str(), "Formleft").has_value());
}

TEST_F(Win32Settings, UnwritableMachineKeyKeepsTheUserValueAndLeavesTheSystemsReason)
{
    lock(HKEY_LOCAL_MACHINE, sectionKey());
    WriteSetting(kSection, "Formtop", "40");

    EXPECT_EQ(ReadSetting(kSection, "Formtop"), "40");
    EXPECT_FALSE(stored(HKEY_LOCAL_MACHINE, sectionKey().c_str(), "Formtop").has_value());
    wchar_t expected[1025];
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   ERROR_ACCESS_DENIED, 0, expected, 1025, nullptr);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(LastRegistryError(), platform::narrow(expected, n));
    EXPECT_EQ(ReadRegistryText(RegistryRoot::CurrentUser,
                               "SOFTWARE\\Tervalen\\ERROR_WRITING_TO_LOCAL_MACHINE", "ErrorMsg"),
              platform::narrow(expected, n));
}

BOOL WINAPI failToInitialize(PSECURITY_DESCRIPTOR, DWORD)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

BOOL WINAPI failToSetDacl(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST_F(Win32Settings, SecurityDescriptorFailuresAreReportedWithTheSystemsCode)
{
    struct Case {
        Win32Registry::SecurityCalls calls;
        std::string text;
    };
    const std::vector<Case> cases{
        {{failToInitialize, SetSecurityDescriptorDacl},
         "Unable to initialize security descriptor. Windows error=87"},
        {{InitializeSecurityDescriptor, failToSetDacl},
         "Unable to set security descriptor dacl. Windows error=5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Win32Registry failing(c.calls);
        try {
            failing.createKey(RegistryRoot::LocalMachine, "SOFTWARE\\Tervalen\\" + installKey, true);
            ADD_FAILURE() << "no error raised";
        } catch (const RegistryError& e) {
            EXPECT_EQ(std::string(e.what()), c.text);
        }
        // A write survives it: both values are stored (the machine-wide key
        // without the protection) and the text is kept.
        setRegistry(&failing);
        WriteSetting(kSection, "Formtop", "41");
        setRegistry(nullptr);
        EXPECT_EQ(LastRegistryError(), c.text);
        EXPECT_TRUE(stored(HKEY_CURRENT_USER, sectionKey().c_str(), "Formtop").has_value());
        EXPECT_TRUE(stored(HKEY_LOCAL_MACHINE, sectionKey().c_str(), "Formtop").has_value());
    }
}

TEST_F(Win32Settings, DeleteSectionRefusesKeysWithSubKeys)
{
    WriteSetting("Editor", "Zoom", "2");
    WriteSetting("Editor\\Tools", "Pen", "1");
    DeleteSettingSection("Editor");
    EXPECT_EQ(ReadSetting("Editor", "Zoom"), "2");

    DeleteSettingSection("Editor\\Tools");
    DeleteSettingSection("Editor");
    EXPECT_EQ(ReadSetting("Editor", "Zoom"), "ERROR");
    const std::wstring editor = platform::widen(kSettingsRoot + installKey + "Editor");
    HKEY key;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, editor.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(Win32Settings, GenericReadsCheckTheValueType)
{
    const std::string key = kSettingsRoot + installKey + kSection;
    WriteSetting(kSection, "Text", "7");
    DWORD seven = 7;
    HKEY k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, sectionKey().c_str(), 0, KEY_WRITE, &k), ERROR_SUCCESS);
    RegSetValueExW(k, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), sizeof seven);
    RegCloseKey(k);

    EXPECT_EQ(ReadRegistryDword(RegistryRoot::CurrentUser, key, "Number"), 7u);
    EXPECT_EQ(ReadRegistryDword(RegistryRoot::CurrentUser, key, "Text"), 0u);
    EXPECT_EQ(ReadRegistryText(RegistryRoot::CurrentUser, key, "Text"), "7");

    const std::vector<std::uint8_t> bytes{0, 1, 2, 255};
    EXPECT_TRUE(WriteRegistryBinary(RegistryRoot::CurrentUser, key, "Blob", bytes));
    std::vector<std::uint8_t> back{9};
    EXPECT_EQ(ReadRegistryBinary(RegistryRoot::CurrentUser, key, "Blob", back), 4u);
    EXPECT_EQ(back, bytes);
}

} // namespace
