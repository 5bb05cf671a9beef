#pragma once
// The registry interface the settings store is built on: keys with values
// under a few roots. Key paths use "\" between names and compare without
// regard to case, as on Windows.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace toolkit {

enum class RegistryRoot { CurrentUser, LocalMachine, ClassesRoot };
enum class RegistryType : std::uint32_t { String = 1, Binary = 3, Dword = 4 };

struct RegistryValue {
    RegistryType type = RegistryType::String;
    std::vector<std::uint8_t> data; // strings: UTF-16LE with the terminating NUL
};

// A failure to set up the protection a key is created with.
struct RegistryError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual std::optional<RegistryValue> queryValue(RegistryRoot root, const std::string& keyPath,
                                                    const std::string& name) = 0;
    // Creates or opens the key for writing. openToEveryone asks for the
    // machine-wide "everyone may write" protection. Returns 0 or an error code;
    // throws RegistryError when that protection cannot be set up.
    virtual int createKey(RegistryRoot root, const std::string& keyPath, bool openToEveryone) = 0;
    // Sets a value on an existing or new key; 0 or an error code.
    virtual int setValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                         const RegistryValue& value) = 0;
    // Deletes subKey under keyPath; refused (non-zero) while it has sub-keys.
    virtual int deleteKey(RegistryRoot root, const std::string& keyPath, const std::string& subKey) = 0;
    // The system's message text for an error code.
    virtual std::string errorText(int code) = 0;
};

} // namespace toolkit
