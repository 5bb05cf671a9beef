#include "FileRegistry.h"

#include "Text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {

namespace fs = std::filesystem;

namespace {

std::string normalizePath(const std::string& path)
{
    std::string p = path;
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    while (!p.empty() && p.front() == '\\')
        p.erase(p.begin());
    return p;
}

std::string escape(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[5];
                std::snprintf(buf, sizeof buf, "\\x%02x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// Reads a quoted string at pos; advances pos past it.
std::optional<std::string> unescape(const std::string& line, std::size_t& pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= line.size())
            return std::nullopt;
        switch (line[pos]) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            if (pos + 2 >= line.size())
                return std::nullopt;
            const std::string hex = line.substr(pos + 1, 2);
            char* end = nullptr;
            const long v = std::strtol(hex.c_str(), &end, 16);
            if (end != hex.c_str() + 2)
                return std::nullopt;
            out += static_cast<char>(v);
            pos += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> stringData(const std::string& utf8)
{
    std::u16string u = Utf8ToUtf16(utf8);
    std::vector<std::uint8_t> data;
    for (char16_t ch : u) {
        data.push_back(static_cast<std::uint8_t>(ch & 0xFF));
        data.push_back(static_cast<std::uint8_t>(ch >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

// The text of string data that is exactly UTF-16 with one terminating NUL.
std::optional<std::string> plainString(const std::vector<std::uint8_t>& d)
{
    if (d.size() < 2 || d.size() % 2 != 0 || d[d.size() - 1] != 0 || d[d.size() - 2] != 0)
        return std::nullopt;
    std::u16string u;
    for (std::size_t i = 0; i + 2 < d.size(); i += 2) {
        const char16_t ch = static_cast<char16_t>(d[i] | (d[i + 1] << 8));
        if (ch == 0)
            return std::nullopt;
        u += ch;
    }
    const std::string text = Utf16ToUtf8(u);
    if (Utf8ToUtf16(text) != u) // lone surrogates do not survive; keep such data as hex
        return std::nullopt;
    return text;
}

std::string hexBytes(const std::vector<std::uint8_t>& d)
{
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < d.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", d[i]);
        out += buf;
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> parseHex(const std::string& s)
{
    std::vector<std::uint8_t> out;
    if (s.empty())
        return out;
    std::stringstream in(s);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.size() != 2 || !std::isxdigit(static_cast<unsigned char>(item[0])) ||
            !std::isxdigit(static_cast<unsigned char>(item[1])))
            return std::nullopt;
        out.push_back(static_cast<std::uint8_t>(std::stoul(item, nullptr, 16)));
    }
    return out;
}

std::optional<RegistryValue> parseData(const std::string& s)
{
    RegistryValue v;
    std::size_t pos = 0;
    if (s.rfind("\"", 0) == 0) {
        auto text = unescape(s, pos);
        if (!text || pos != s.size())
            return std::nullopt;
        v.type = RegistryType::String;
        v.data = stringData(*text);
        return v;
    }
    if (s.rfind("dword:", 0) == 0) {
        const std::string hex = s.substr(6);
        if (hex.size() != 8 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        const std::uint32_t n = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
        v.type = RegistryType::Dword;
        v.data = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                  static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
        return v;
    }
    std::uint32_t type = static_cast<std::uint32_t>(RegistryType::Binary);
    std::string rest;
    if (s.rfind("hex:", 0) == 0) {
        rest = s.substr(4);
    } else if (s.rfind("hex(", 0) == 0) {
        const std::size_t close = s.find("):");
        if (close == std::string::npos)
            return std::nullopt;
        const std::string num = s.substr(4, close - 4);
        if (num.empty() || num.size() > 8 || num.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return std::nullopt;
        type = static_cast<std::uint32_t>(std::stoul(num, nullptr, 16));
        rest = s.substr(close + 2);
    } else {
        return std::nullopt;
    }
    auto bytes = parseHex(rest);
    if (!bytes)
        return std::nullopt;
    v.type = static_cast<RegistryType>(type);
    v.data = std::move(*bytes);
    return v;
}

std::string formatData(const RegistryValue& v)
{
    if (v.type == RegistryType::String)
        if (auto text = plainString(v.data))
            return escape(*text);
    if (v.type == RegistryType::Dword && v.data.size() == 4) {
        const std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                (static_cast<std::uint32_t>(v.data[3]) << 24);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        return buf;
    }
    if (v.type == RegistryType::Binary)
        return "hex:" + hexBytes(v.data);
    char buf[24];
    std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
    return buf + hexBytes(v.data);
}

// The whole file; nothing with the reason in error (EFBIG past the size cap).
std::optional<std::string> readFile(const std::string& file, std::size_t maxBytes, int& error)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = errno;
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > maxBytes) {
        error = size < 0 ? EIO : EFBIG;
        return std::nullopt;
    }
    in.seekg(0);
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), size);
    text.resize(static_cast<std::size_t>(in.gcount()));
    error = 0;
    return text;
}

void logToStderr(const std::string& message)
{
    std::fprintf(stderr, "tervalen settings: %s\n", message.c_str());
}

std::string refusedMessage(const std::string& file, std::size_t maxBytes)
{
    return file + " is larger than " + std::to_string(maxBytes / 1024) + " KiB and is not used";
}

// Writes the whole text under a temporary name and renames it into place.
int replaceFile(const std::string& file, const std::string& text, mode_t mode)
{
    std::string tmpl = file + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return errno;
    ::fchmod(fd, mode);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            ::unlink(tmpl.c_str());
            return e;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int e = errno;
        ::unlink(tmpl.c_str());
        return e;
    }
    if (::rename(tmpl.c_str(), file.c_str()) != 0) {
        const int e = errno;
        ::unlink(tmpl.c_str());
        return e;
    }
    return 0;
}

} // namespace

FileRegistry::FileRegistry(std::map<RegistryRoot, std::string> files)
    : log(logToStderr), files_(std::move(files))
{
}

bool FileRegistry::FileState::operator==(const FileState& o) const
{
    return device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
}

std::map<RegistryRoot, std::string> FileRegistry::defaultFiles()
{
    auto env = [](const char* name, const std::string& fallback) {
        const char* v = std::getenv(name);
        return v && *v ? std::string(v) : fallback;
    };
    std::string config;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        config = x;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = std::string(home) + "/.config";
    else
        config = "/tmp";
    return {{RegistryRoot::CurrentUser, env("TQ7_REGISTRY_USER", config + "/tervalen/user.reg")},
            {RegistryRoot::LocalMachine, env("TQ7_REGISTRY_MACHINE", "/etc/tervalen/machine.reg")},
            {RegistryRoot::ClassesRoot, env("TQ7_REGISTRY_CLASSES", "/etc/tervalen/classes.reg")}};
}

FileRegistry::Parsed FileRegistry::parse(const std::string& text)
{
    Parsed result;
    Key* current = nullptr;
    std::stringstream in(text);
    std::string line;
    int number = 0;
    const auto drop = [&] { result.dropped.push_back("line " + std::to_string(number) + ": " + line); };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) // editors' UTF-8 mark
            line.erase(0, 3);
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[') {
            current = nullptr; // the values of a damaged section line belong nowhere
            if (line.back() != ']' || line.size() < 3) {
                drop();
                continue;
            }
            const std::string path = normalizePath(line.substr(1, line.size() - 2));
            Key& key = result.tree[UpperAscii(path)];
            key.name = path;
            current = &key;
            continue;
        }
        std::size_t pos = 0;
        auto name = unescape(line, pos);
        auto value = name && pos < line.size() && line[pos] == '=' ? parseData(line.substr(pos + 1))
                                                                    : std::nullopt;
        if (!current || !value) {
            drop();
            continue;
        }
        current->values[UpperAscii(*name)] = {*name, std::move(*value), line};
    }
    return result;
}

std::string FileRegistry::serialize(const Tree& tree)
{
    std::string out = "; Tervalen settings store\n";
    for (const auto& [upper, key] : tree) {
        out += "\n[" + key.name + "]\n";
        for (const auto& [vupper, entry] : key.values)
            out += (entry.line.empty() ? escape(entry.name) + "=" + formatData(entry.value) : entry.line) + "\n";
    }
    return out;
}

const FileRegistry::Tree* FileRegistry::current(RegistryRoot root)
{
    auto file = files_.find(root);
    if (file == files_.end())
        return nullptr;
    struct stat st{};
    if (::stat(file->second.c_str(), &st) != 0) {
        cache_.erase(root);
        return nullptr;
    }
    const FileState state{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    Cached& cached = cache_[root];
    if (cached.state == state)
        return cached.tree ? &*cached.tree : nullptr;
    cached = {};
    int error = 0;
    auto text = readFile(file->second, kMaxFileBytes, error);
    if (!text) {
        if (error != EFBIG) // unreadable now: try again next time
            return nullptr;
        log(refusedMessage(file->second, kMaxFileBytes));
        cached.state = state;
        return nullptr;
    }
    Parsed parsed = parse(*text);
    for (const std::string& dropped : parsed.dropped)
        log(file->second + ": damaged " + dropped);
    cached.state = state;
    cached.tree = std::move(parsed.tree);
    return &*cached.tree;
}

std::optional<RegistryValue> FileRegistry::queryValue(RegistryRoot root, const std::string& keyPath,
                                                      const std::string& name)
{
    std::lock_guard lock(mutex_);
    const Tree* tree = current(root);
    if (!tree)
        return std::nullopt;
    auto key = tree->find(UpperAscii(normalizePath(keyPath)));
    if (key == tree->end())
        return std::nullopt;
    auto value = key->second.values.find(UpperAscii(name));
    if (value == key->second.values.end())
        return std::nullopt;
    return value->second.value;
}

template <typename Change>
int FileRegistry::modify(RegistryRoot root, bool openToEveryone, Change change)
{
    auto file = files_.find(root);
    if (file == files_.end())
        return EACCES;
    const fs::path path(file->second);
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec)
        return ec.value();
    // A store that every user may write shares it through the folder's group
    // (the package makes /etc/tervalen a setgid folder of its group): files
    // writable by the group, readable by all, never writable by all.
    const mode_t mode = openToEveryone ? 0664 : 0600;
    const std::string lockName = file->second + ".lock";
    const int lock = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode);
    if (lock < 0)
        return errno;
    if (openToEveryone)
        ::fchmod(lock, mode);
    if (::flock(lock, LOCK_EX) != 0) {
        const int e = errno;
        ::close(lock);
        return e;
    }
    int error = 0;
    Tree tree;
    mode_t keepMode = mode;
    auto text = readFile(file->second, kMaxFileBytes, error);
    if (!text && error != ENOENT) {
        // Replacing a file we could not read would lose it.
        if (error == EFBIG)
            log(refusedMessage(file->second, kMaxFileBytes));
        ::flock(lock, LOCK_UN);
        ::close(lock);
        return error;
    }
    if (text) {
        Parsed parsed = parse(*text);
        tree = std::move(parsed.tree);
        if (!parsed.dropped.empty()) {
            // Keep what could not be read; the store drops those lines.
            fs::copy_file(path, path.string() + ".corrupt", fs::copy_options::overwrite_existing, ec);
            for (const std::string& dropped : parsed.dropped)
                log(file->second + ": dropped damaged " + dropped + " (the whole file is kept as " +
                    path.string() + ".corrupt)");
        }
        struct stat st{};
        if (::stat(file->second.c_str(), &st) == 0)
            keepMode = (st.st_mode & 0775) | (openToEveryone ? 0664 : 0);
    }
    int result = change(tree);
    if (result == 0) {
        if (::access(path.parent_path().c_str(), W_OK) != 0)
            result = errno;
        else
            result = replaceFile(file->second, serialize(tree), keepMode);
    }
    ::flock(lock, LOCK_UN);
    ::close(lock);
    return result;
}

int FileRegistry::createKey(RegistryRoot root, const std::string& keyPath, bool openToEveryone)
{
    const std::string path = normalizePath(keyPath);
    return modify(root, openToEveryone, [&](Tree& tree) {
        Key& key = tree[UpperAscii(path)];
        if (key.name.empty())
            key.name = path;
        return 0;
    });
}

int FileRegistry::setValue(RegistryRoot root, const std::string& keyPath, const std::string& name,
                           const RegistryValue& value)
{
    const std::string path = normalizePath(keyPath);
    return modify(root, false, [&](Tree& tree) {
        auto key = tree.find(UpperAscii(path));
        if (key == tree.end())
            return ENOENT;
        key->second.values[UpperAscii(name)] = {name, value, {}};
        return 0;
    });
}

int FileRegistry::deleteKey(RegistryRoot root, const std::string& keyPath, const std::string& subKey)
{
    const std::string path = UpperAscii(normalizePath(normalizePath(keyPath) + "\\" + subKey));
    return modify(root, false, [&](Tree& tree) {
        auto key = tree.find(path);
        if (key == tree.end())
            return ENOENT;
        const std::string prefix = path + "\\";
        for (const auto& [other, k] : tree)
            if (other.rfind(prefix, 0) == 0)
                return ENOTEMPTY;
        tree.erase(key);
        return 0;
    });
}

std::string FileRegistry::errorText(int code)
{
    return std::strerror(code);
}

} // namespace toolkit
