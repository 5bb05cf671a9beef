#pragma once
// A registry kept in one text file per root, for platforms without a system
// registry. Each write takes an exclusive lock, re-reads the file, and
// replaces it atomically (write a temporary file, then rename), so a crash
// never leaves half a file and two processes never lose each other's writes.
// A file that cannot be parsed reads as empty; before it is replaced it is
// kept beside the store as "<file>.corrupt".
//
// File layout (UTF-8):
//   ; comment
//   [SOFTWARE\Tervalen\_opt_Floater\Q7-Floater]
//   "StayOnTop"="-1"
//   "Count"=dword:0000000a
//   "Key"=hex:01,02,ff
//   "Other"=hex(7):00,00
// Strings escape \\ \" \n \r \t and other control characters as \xHH.

#include "Registry.h"

#include <map>
#include <string>

namespace toolkit {

class FileRegistry : public Registry {
public:
    // The file of each root; a missing entry makes that root unwritable.
    explicit FileRegistry(std::map<RegistryRoot, std::string> files);
    // Files from the environment (TQ7_REGISTRY_USER, TQ7_REGISTRY_MACHINE,
    // TQ7_REGISTRY_CLASSES), else ~/.config/tervalen/user.reg,
    // /etc/tervalen/machine.reg and /etc/tervalen/classes.reg.
    static std::map<RegistryRoot, std::string> defaultFiles();

    std::optional<RegistryValue> queryValue(RegistryRoot root, const std::string& keyPath,
                                            const std::string& name) override;
    int createKey(RegistryRoot root, const std::string& keyPath, bool openToEveryone) override;
    int setValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                 const RegistryValue& value) override;
    int deleteKey(RegistryRoot root, const std::string& keyPath, const std::string& subKey) override;
    std::string errorText(int code) override;

    struct Key {
        std::string name; // as first written
        std::map<std::string, std::pair<std::string, RegistryValue>> values; // upper name -> (name, value)
    };
    using Tree = std::map<std::string, Key>; // upper path -> key

    static std::optional<Tree> parse(const std::string& text);
    static std::string serialize(const Tree& tree);

private:
    template <typename Change>
    int modify(RegistryRoot root, bool openToEveryone, Change change);

    std::map<RegistryRoot, std::string> files_;
};

} // namespace toolkit
