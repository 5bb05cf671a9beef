#include "Win32Registry.h"

#include "platform/win32/WideText.h"

#include <cstdio>

namespace toolkit {

namespace {

HKEY rootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    }
    return HKEY_CURRENT_USER;
}

// Closes the key when it goes out of scope.
class OpenKey {
public:
    OpenKey() = default;
    ~OpenKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

[[noreturn]] void throwSecurityError(const char* what)
{
    char text[128];
    std::snprintf(text, sizeof text, "%s. Windows error=%d", what, static_cast<int>(GetLastError()));
    throw RegistryError(text);
}

} // namespace

std::optional<RegistryValue> Win32Registry::queryValue(RegistryRoot root, const std::string& keyPath,
                                                       const std::string& name)
{
    OpenKey key;
    if (RegOpenKeyExW(rootKey(root), platform::widen(keyPath).c_str(), 0, KEY_READ, key.out()) !=
        ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring valueName = platform::widen(name);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    value.type = static_cast<RegistryType>(type);
    value.data.resize(size);
    // The value may have grown in between; then it reads as missing.
    if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, value.data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

int Win32Registry::createKey(RegistryRoot root, const std::string& keyPath, bool openToEveryone)
{
    SECURITY_DESCRIPTOR descriptor;
    SECURITY_ATTRIBUTES attributes{};
    SECURITY_ATTRIBUTES* security = nullptr;
    if (openToEveryone) {
        if (!calls_.initialize(&descriptor, SECURITY_DESCRIPTOR_REVISION))
            throwSecurityError("Unable to initialize security descriptor");
        // Present but null: full access for everyone.
        if (!calls_.setDacl(&descriptor, TRUE, nullptr, FALSE))
            throwSecurityError("Unable to set security descriptor dacl");
        attributes.nLength = sizeof attributes;
        attributes.lpSecurityDescriptor = &descriptor;
        attributes.bInheritHandle = TRUE;
        security = &attributes;
    }
    OpenKey key;
    return static_cast<int>(RegCreateKeyExW(rootKey(root), platform::widen(keyPath).c_str(), 0,
                                            nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                            security, key.out(), nullptr));
}

int Win32Registry::setValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                            const RegistryValue& value)
{
    OpenKey key;
    const LONG rc = RegOpenKeyExW(rootKey(root), platform::widen(keyPath).c_str(), 0, KEY_WRITE,
                                  key.out());
    if (rc != ERROR_SUCCESS)
        return static_cast<int>(rc);
    return static_cast<int>(RegSetValueExW(key.get(), platform::widen(name).c_str(), 0,
                                           static_cast<DWORD>(value.type), value.data.data(),
                                           static_cast<DWORD>(value.data.size())));
}

int Win32Registry::deleteKey(RegistryRoot root, const std::string& keyPath, const std::string& subKey)
{
    OpenKey parent;
    const LONG rc = RegOpenKeyExW(rootKey(root), platform::widen(keyPath).c_str(), 0, KEY_READ,
                                  parent.out());
    if (rc != ERROR_SUCCESS)
        return static_cast<int>(rc);
    // The system refuses a key that still has sub-keys.
    return static_cast<int>(RegDeleteKeyW(parent.get(), platform::widen(subKey).c_str()));
}

std::string Win32Registry::errorText(int code)
{
    wchar_t text[1025];
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(code), 0, text, 1025, nullptr);
    return platform::narrow(text, n);
}

} // namespace toolkit
