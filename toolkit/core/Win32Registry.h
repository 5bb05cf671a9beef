#pragma once
// The settings store's registry on Windows: the system registry itself.
// Machine-wide keys are created with a null DACL (everyone may write them),
// so a key one user creates can be written by every other user.

#include "Registry.h"

#include <windows.h>

namespace toolkit {

class Win32Registry : public Registry {
public:
    // The two calls that build the security descriptor; replaceable so that
    // their failures can be shown.
    struct SecurityCalls {
        BOOL(WINAPI* initialize)(PSECURITY_DESCRIPTOR, DWORD) = InitializeSecurityDescriptor;
        BOOL(WINAPI* setDacl)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL) = SetSecurityDescriptorDacl;
    };

    Win32Registry() = default;
    explicit Win32Registry(SecurityCalls calls) : calls_(calls) {}

    std::optional<RegistryValue> queryValue(RegistryRoot root, const std::string& keyPath,
                                            const std::string& name) override;
    // Throws RegistryError when the machine-wide security descriptor cannot be built.
    int createKey(RegistryRoot root, const std::string& keyPath, bool openToEveryone) override;
    int setValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                 const RegistryValue& value) override;
    int deleteKey(RegistryRoot root, const std::string& keyPath, const std::string& subKey) override;
    // The system's message table text, default language, at most 1025 characters.
    std::string errorText(int code) override;

private:
    SecurityCalls calls_;
};

} // namespace toolkit
