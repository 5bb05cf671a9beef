#include "Utilities.h"

#include "Text.h"

#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace toolkit {

namespace {

std::string readRest(std::istream& in)
{
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string envText(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string firstWord(const std::string& s)
{
    const std::string t = TrimControl(s);
    return t.substr(0, t.find(' '));
}

// The host part of an X display name ("host:0.0"), empty for a local one.
std::string displayHost(const std::string& display, const std::string& ownHost)
{
    const auto colon = display.rfind(':');
    if (colon == std::string::npos)
        return {};
    std::string host = display.substr(0, colon);
    if (host.starts_with("unix") || host == "localhost" || host == "127.0.0.1" ||
        host == "::1" || host == ownHost || host.find('/') != std::string::npos)
        return {};
    return host;
}

} // namespace

bool IsPictureFileName(const std::string& fileName)
{
    static const std::string kExtensions = ".BMP.PCX.PNG.JPG.TGA.TIF.DCM.DIC.JPEG.TIFF.JP2.J2K";
    const std::string name = fs::path(fileName).filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    return kExtensions.find(UpperAscii(name.substr(dot))) != std::string::npos;
}

std::string GetTempDir()
{
    std::error_code ec;
    const fs::path dir = fs::temp_directory_path(ec);
    if (ec || dir.empty())
        throw std::runtime_error("Unable to generate temporary path");
    std::string s = dir.string();
    if (!s.ends_with('/'))
        s += '/';
    return s;
}

namespace {

// Made if missing, then checked: a folder of ours, no link, no access for others.
std::string ensurePrivateFolder(const fs::path& dir)
{
    std::error_code ec;
    fs::create_directories(dir.parent_path(), ec);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error("Unable to create " + dir.string());
    struct stat st{};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw std::runtime_error(dir.string() + " is not a folder");
    if (st.st_uid != ::geteuid())
        throw std::runtime_error(dir.string() + " belongs to another user");
    if ((st.st_mode & 0077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        throw std::runtime_error("Unable to make " + dir.string() + " private");
    return dir.string() + "/";
}

} // namespace

std::string GetPrivateStateDir()
{
    const auto absolute = [](const std::string& p) { return !p.empty() && p.front() == '/'; };
    fs::path base;
    if (const std::string state = envText("XDG_STATE_HOME"); absolute(state))
        base = state;
    else if (const std::string home = envText("HOME"); absolute(home))
        base = fs::path(home) / ".local" / "state";
    else if (const std::string runtime = envText("XDG_RUNTIME_DIR"); absolute(runtime))
        base = runtime;
    else
        throw std::runtime_error("Unable to find a private folder");
    return ensurePrivateFolder(base / "tervalen");
}

std::vector<std::string> FindFiles(const std::string& folder, const std::string& pattern,
                                   const std::function<void(const std::string&)>& onError)
{
    std::vector<std::string> found;
    std::string base = folder;
    while (base.size() > 1 && (base.back() == '/' || base.back() == '\\'))
        base.pop_back();
    const bool all = pattern.empty() || pattern == " ";

    const std::function<void(const std::string&)> visit = [&](const std::string& dir) {
        for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_directory()) {
                visit(dir + "/" + name);
            } else if (all) {
                found.push_back(dir + "/" + name);
            } else {
                bool added = false;
                for (const fs::directory_entry& match : fs::directory_iterator(dir)) {
                    const std::string candidate = match.path().filename().string();
                    if (fnmatch(pattern.c_str(), candidate.c_str(), FNM_CASEFOLD) == 0) {
                        found.push_back(dir + "/" + candidate);
                        added = true;
                    }
                }
                if (added)
                    return;
            }
        }
    };
    try {
        visit(base);
    } catch (const std::exception& e) {
        if (onError)
            onError(e.what());
    }
    return found;
}

std::vector<std::string> SplitText(const std::string& text, char separator)
{
    std::string s = text;
    if (s.empty() || s.back() != separator)
        s += separator;
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t sep = s.find(separator); sep != std::string::npos;
         start = sep + 1, sep = s.find(separator, start))
        parts.push_back(s.substr(start, sep - start));
    return parts;
}

std::string GetDelimitedField(const std::string& text, int index, char separator)
{
    const std::string s = text + separator;
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const auto sep = s.find(separator, start);
        if (sep == std::string::npos) {
            start = 0;
            break;
        }
        start = sep + 1;
    }
    if (start >= s.size() - 1)
        return {};
    return TrimControl(s.substr(start, s.find(separator, start) - start));
}

std::string TextBefore(const std::string& text, const std::string& separator)
{
    const auto at = text.find(separator);
    return at == std::string::npos ? std::string() : text.substr(0, at);
}

std::string RemoveSpecialCharacters(const std::string& text)
{
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) {
        return std::string_view("\t\n\r!&-/\\").find(c) == std::string_view::npos;
    });
    return out;
}

std::string TimestampPrefix(const std::tm& when)
{
    std::array<char, 64> buf{};
    std::snprintf(buf.data(), buf.size(), "%04d.%02d.%02d.%02d.%02d.%02d", when.tm_year + 1900,
                  when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    std::string s = buf.data();
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == '.' && i + 1 < s.size() && s[i + 1] == '0')
            ++i;
    }
    return out;
}

std::string MakeTimestampName(const std::tm& when)
{
    static std::mt19937 generator{std::random_device{}()};
    static int previous = 0;
    int number = std::uniform_int_distribution<int>(1, 999)(generator);
    if (number == previous)
        ++number;
    previous = number;
    return TimestampPrefix(when) + "." + std::to_string(number);
}

std::optional<fs::file_time_type> FileDate(const std::string& fileName)
{
    std::error_code ec;
    const auto t = fs::last_write_time(fileName, ec);
    if (ec)
        return std::nullopt;
    return t;
}

Rgb ContrastColor(Rgb c)
{
    static const Rgb kStrong[] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                  {0, 0, 128},   {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                                  {255, 0, 0},   {0, 255, 0},   {255, 255, 0}, {0, 0, 255},
                                  {255, 0, 255}, {0, 255, 255}};
    const Rgb silver{192, 192, 192}, grey{128, 128, 128}, white{255, 255, 255}, black{0, 0, 0};
    if (std::find(std::begin(kStrong), std::end(kStrong), c) != std::end(kStrong))
        return silver;
    if (c == silver || c == white)
        return grey;
    return (c.r + c.g + c.b) / 3.0 <= 100 ? white : black;
}

bool IsBlackBitmap(const Bitmap24View& bitmap)
{
    for (int y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* row = bitmap.bits + static_cast<std::ptrdiff_t>(y) * bitmap.stride;
        if (std::any_of(row, row + bitmap.width * 3, [](std::uint8_t b) { return b != 0; }))
            return false;
    }
    return true;
}

void CompressStream(std::istream& source, std::iostream& target)
{
    const std::string in = readRest(source);
    uLongf size = compressBound(in.size());
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(in.data()), in.size(), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib compression failed");
    target.write(out.data(), static_cast<std::streamsize>(size));
}

void DecompressStream(std::istream& source, std::iostream& target)
{
    std::string in = readRest(source);
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw std::runtime_error("zlib initialisation failed");
    z.next_in = reinterpret_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    std::array<char, 65536> chunk;
    int rc = Z_OK;
    do {
        z.next_out = reinterpret_cast<Bytef*>(chunk.data());
        z.avail_out = chunk.size();
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&z);
            throw std::runtime_error(std::string("zlib data error: ") + (z.msg ? z.msg : "truncated"));
        }
        target.write(chunk.data(), static_cast<std::streamsize>(chunk.size() - z.avail_out));
        if (rc != Z_STREAM_END && z.avail_in == 0 && z.avail_out != 0) {
            inflateEnd(&z);
            throw std::runtime_error("zlib data error: truncated");
        }
    } while (rc != Z_STREAM_END);
    inflateEnd(&z);
    target.seekg(0);
    target.seekp(0);
}

SessionEnvironment SessionEnvironment::current()
{
    SessionEnvironment env;
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) == 0)
        env.hostName = host.data();
    env.sshConnection = envText("SSH_CONNECTION");
    env.sshClient = envText("SSH_CLIENT");
    env.display = envText("DISPLAY");
    return env;
}

bool IsRemoteSession(const SessionEnvironment& env)
{
    return !TrimControl(env.sshConnection).empty() || !TrimControl(env.sshClient).empty() ||
           !displayHost(env.display, env.hostName).empty();
}

std::string GetClientComputerName(const SessionEnvironment& env)
{
    if (!IsRemoteSession(env))
        return env.hostName.substr(0, 15);
    const std::string xHost = displayHost(env.display, env.hostName);
    if (!xHost.empty())
        return xHost;
    const std::string client = firstWord(env.sshConnection);
    return client.empty() ? firstWord(env.sshClient) : client;
}

} // namespace toolkit
