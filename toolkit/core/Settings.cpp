#include "Settings.h"

#include "Text.h"

#ifdef _WIN32
#include "Win32Registry.h"
#else
#include "FileRegistry.h"
#endif

#include <memory>

namespace toolkit {

namespace {

// A value read into a zeroed buffer of 1025 UTF-16 units: longer data do not fit.
constexpr std::size_t kMaxUnits = 1024;
constexpr std::size_t kReadBufferBytes = (kMaxUnits + 1) * 2;
constexpr const char* kFailureMarkerKey = "SOFTWARE\\Tervalen\\ERROR_WRITING_TO_LOCAL_MACHINE";

Registry* g_registry = nullptr;
std::string g_installKey;
std::string g_lastRegistryError;
std::function<void(const std::string&)> g_userRootFailure;
bool g_userRootFailureTold = false;

Registry& defaultRegistry()
{
#ifdef _WIN32
    static Win32Registry r;
#else
    static FileRegistry r(FileRegistry::defaultFiles());
#endif
    return r;
}

std::string sectionKey(const std::string& section)
{
    return kSettingsRoot + InstallKey() + section;
}

// UTF-16 text up to the first NUL, whatever the value's type.
std::string textOf(const RegistryValue& v)
{
    std::u16string u;
    for (std::size_t i = 0; i + 1 < v.data.size(); i += 2) {
        const char16_t ch = static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8));
        if (ch == 0)
            break;
        u += ch;
    }
    return Utf16ToUtf8(u);
}

std::optional<std::string> readPresent(RegistryRoot root, const std::string& section,
                                       const std::string& name)
{
    auto v = registry().queryValue(root, sectionKey(section), name);
    if (!v || v->data.size() > kReadBufferBytes)
        return std::nullopt;
    std::string text = textOf(*v);
    if (TrimControl(text).empty())
        return std::nullopt;
    return text;
}

std::optional<std::string> readChain(const std::string& section, const std::string& name)
{
    if (auto v = readPresent(RegistryRoot::CurrentUser, section, name))
        return v;
    return readPresent(RegistryRoot::LocalMachine, section, name);
}

bool tooLong(const std::string& s)
{
    return Utf8ToUtf16(s).size() > kMaxUnits;
}

// Creates the key (machine-wide keys open to everyone), retrying once without
// that protection; remembers the text of the first failure. A protection that
// cannot be set up counts as such a failure: the write must not end the program.
int openForWriting(RegistryRoot root, const std::string& keyPath)
{
    try {
        const int first = registry().createKey(root, keyPath, root == RegistryRoot::LocalMachine);
        if (first == 0)
            return 0;
        g_lastRegistryError = registry().errorText(first);
    } catch (const RegistryError& e) {
        g_lastRegistryError = e.what();
    }
    return registry().createKey(root, keyPath, false);
}

// True when written; otherwise *reason (when given) says why.
bool writeValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                const RegistryValue& value, std::string* reason = nullptr)
{
    if (tooLong(keyPath) || tooLong(name))
        return false;
    int error = openForWriting(root, keyPath);
    if (error == 0)
        error = registry().setValue(root, keyPath, name, value);
    if (error != 0 && reason)
        *reason = registry().errorText(error);
    return error == 0;
}

RegistryValue stringValue(const std::string& text)
{
    RegistryValue v;
    v.type = RegistryType::String;
    for (char16_t ch : Utf8ToUtf16(text)) {
        v.data.push_back(static_cast<std::uint8_t>(ch & 0xFF));
        v.data.push_back(static_cast<std::uint8_t>(ch >> 8));
    }
    v.data.push_back(0);
    v.data.push_back(0);
    return v;
}

} // namespace

Registry& registry()
{
    return g_registry ? *g_registry : defaultRegistry();
}

void setRegistry(Registry* r)
{
    g_registry = r;
}

std::string InstallKeyFor(const std::string& workingDir)
{
    std::string path = workingDir;
    // The root keeps its separator, so "/" and "C:\" still give a key name.
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\') &&
           !(path.size() == 3 && path[1] == ':'))
        path.pop_back();
    std::string key;
    for (char c : path) {
        if (c == ':')
            continue;
        key += (c == ' ' || c == '\\' || c == '/') ? '_' : c;
    }
    return key + "\\";
}

const std::string& InstallKey()
{
    return g_installKey;
}

void SetInstallKey(const std::string& key)
{
    g_installKey = key;
}

std::string ReadSetting(const std::string& section, const std::string& name)
{
    return ReadSettingOrDefault(section, name, kAbsent);
}

std::string ReadSettingOrDefault(const std::string& section, const std::string& name,
                                 const std::string& defaultValue)
{
    return readChain(section, name).value_or(defaultValue);
}

void WriteSetting(const std::string& section, const std::string& name, const std::string& value)
{
    if (tooLong(value))
        return; // refused: it could never be read back
    const std::string key = sectionKey(section);
    const RegistryValue v = stringValue(value);
    std::string userFailure;
    const bool user = writeValue(RegistryRoot::CurrentUser, key, name, v, &userFailure);
    const bool machine = writeValue(RegistryRoot::LocalMachine, key, name, v);
    if (!machine && user)
        writeValue(RegistryRoot::CurrentUser, kFailureMarkerKey, "ErrorMsg",
                   stringValue(g_lastRegistryError));
    if (!user && machine) {
        writeValue(RegistryRoot::LocalMachine, kUserFailureMarkerKey, "ErrorMsg", stringValue(userFailure));
        if (g_userRootFailure && !g_userRootFailureTold) {
            g_userRootFailureTold = true;
            g_userRootFailure(userFailure);
        }
    }
}

void SetUserRootFailureNotifier(std::function<void(const std::string& reason)> notify)
{
    g_userRootFailure = std::move(notify);
    g_userRootFailureTold = false;
}

void DeleteSettingSection(const std::string& section)
{
    const std::string parent = kSettingsRoot + InstallKey();
    registry().deleteKey(RegistryRoot::CurrentUser, parent, section);
    registry().deleteKey(RegistryRoot::LocalMachine, parent, section);
}

bool ReadBoolSetting(const std::string& section, const std::string& name, bool defaultValue)
{
    const auto v = readChain(section, name);
    if (!v)
        return defaultValue;
    const std::string t = UpperAscii(TrimControl(*v));
    if (t == "TRUE")
        return true;
    if (t == "FALSE" || t == "0")
        return false;
    // Any other number is true; other texts cannot be converted.
    char* end = nullptr;
    std::strtol(t.c_str(), &end, 10);
    if (end && *end == '\0' && !t.empty())
        return true;
    return defaultValue;
}

void WriteBoolSetting(const std::string& section, const std::string& name, bool value)
{
    WriteSetting(section, name, value ? "-1" : "0");
}

std::string ReadRegistryText(RegistryRoot root, const std::string& keyPath,
                             const std::string& valueName)
{
    auto v = registry().queryValue(root, keyPath, valueName);
    if (!v || v->data.size() > kReadBufferBytes)
        return {};
    return textOf(*v);
}

std::uint32_t ReadRegistryDword(RegistryRoot root, const std::string& keyPath,
                                const std::string& valueName)
{
    auto v = registry().queryValue(root, keyPath, valueName);
    if (!v || v->type != RegistryType::Dword || v->data.size() != 4)
        return 0;
    return v->data[0] | (v->data[1] << 8) | (v->data[2] << 16) |
           (static_cast<std::uint32_t>(v->data[3]) << 24);
}

bool WriteRegistryBinary(RegistryRoot root, const std::string& keyPath,
                         const std::string& valueName, const std::vector<std::uint8_t>& bytes)
{
    RegistryValue v;
    v.type = RegistryType::Binary;
    v.data = bytes;
    return writeValue(root, keyPath, valueName, v);
}

std::size_t ReadRegistryBinary(RegistryRoot root, const std::string& keyPath,
                               const std::string& valueName, std::vector<std::uint8_t>& out)
{
    out.clear();
    auto v = registry().queryValue(root, keyPath, valueName);
    if (!v)
        return 0;
    out = std::move(v->data);
    return out.size();
}

const std::string& LastRegistryError()
{
    return g_lastRegistryError;
}

} // namespace toolkit
