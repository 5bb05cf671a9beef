#pragma once
// A registry kept in one text file per root, for platforms without a system
// registry. Each write takes an exclusive lock, re-reads the file, and
// replaces it atomically (write a temporary file, then rename), so a crash
// never leaves half a file and two processes never lose each other's writes.
// A damaged line is dropped alone (and named in the log); before a file with
// such lines is replaced it is kept beside the store as "<file>.corrupt".
// Lines that are not rewritten keep their bytes. A file is parsed again only
// when it changed; one larger than kMaxFileBytes is refused, neither read
// nor replaced.
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

#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <sys/types.h>

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

    static constexpr std::size_t kMaxFileBytes = 4u << 20;

    struct Entry {
        std::string name;
        RegistryValue value;
        std::string line; // the line it was read from, written back as it was
    };
    struct Key {
        std::string name; // as first written
        std::map<std::string, Entry> values; // upper name -> entry
    };
    using Tree = std::map<std::string, Key>; // upper path -> key

    struct Parsed {
        Tree tree;
        std::vector<std::string> dropped; // "line N: <text>" of each damaged line
    };
    static Parsed parse(const std::string& text);
    static std::string serialize(const Tree& tree);

    // Where the store says what it dropped or refused; stderr unless replaced.
    std::function<void(const std::string&)> log;

private:
    struct FileState {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        timespec changed{};
        bool operator==(const FileState& o) const;
    };
    struct Cached {
        FileState state;
        std::optional<Tree> tree; // nothing: refused
    };
    // The file's tree, parsed again only when the file changed; nothing when
    // it is missing, unreadable or refused. Called with mutex_ held.
    const Tree* current(RegistryRoot root);
    template <typename Change>
    int modify(RegistryRoot root, bool openToEveryone, Change change);

    std::map<RegistryRoot, std::string> files_;
    std::map<RegistryRoot, Cached> cache_;
    std::mutex mutex_;
};

} // namespace toolkit
