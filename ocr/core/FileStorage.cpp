#include "FileStorage.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace ocr {

namespace {

constexpr char kSignature[4] = {'S', 'F', 'P', '1'};
// The stored files are a few hundred kilobytes together; a container that
// inflates beyond this is not one of ours and must not exhaust memory.
constexpr std::size_t kMaxContainerDataSize = 64u << 20;

// An entry names a file inside the extraction folder, never a path that
// leads elsewhere.
bool isBaseName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

bool readInt(std::span<const std::uint8_t> data, std::size_t& pos, std::int32_t& v)
{
    if (data.size() - pos < 4)
        return false;
    std::memcpy(&v, data.data() + pos, 4);
    pos += 4;
    return true;
}

void putInt(std::vector<std::uint8_t>& out, std::int32_t v)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
    out.insert(out.end(), p, p + 4);
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return s;
}

std::string envOr(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string programDir()
{
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec).string() : exe.parent_path().string();
}

} // namespace

std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<std::uint8_t> out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

bool Decompress(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out,
                std::size_t maxSize)
{
    out.clear();
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    zs.next_in = const_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(data.size());
    std::uint8_t chunk[16384];
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = chunk;
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        const std::size_t produced = sizeof chunk - zs.avail_out;
        if (out.size() + produced > maxSize) {
            rc = Z_MEM_ERROR;
            break;
        }
        out.insert(out.end(), chunk, chunk + produced);
        if (rc == Z_BUF_ERROR && zs.avail_in == 0)
            break; // the stream ends before its trailer
    }
    inflateEnd(&zs);
    return rc == Z_STREAM_END;
}

bool TStoredFile::ReadData(std::span<const std::uint8_t> data, std::size_t& pos, bool compressed,
                           std::size_t maxSize)
{
    std::int32_t nameLength = 0, dataLength = 0;
    if (!readInt(data, pos, nameLength) || nameLength < 0 ||
        static_cast<std::size_t>(nameLength) > data.size() - pos)
        return false;
    FileName.assign(reinterpret_cast<const char*>(data.data() + pos),
                    static_cast<std::size_t>(nameLength));
    pos += static_cast<std::size_t>(nameLength);
    if (!isBaseName(FileName))
        return false;
    if (!readInt(data, pos, dataLength) || dataLength < 0 ||
        static_cast<std::size_t>(dataLength) > data.size() - pos)
        return false;
    const auto stored = data.subspan(pos, static_cast<std::size_t>(dataLength));
    pos += stored.size();
    if (compressed || !Owner) {
        if (!Decompress(stored, Data, maxSize))
            return false;
    } else {
        if (stored.size() > maxSize)
            return false;
        Data.assign(stored.begin(), stored.end());
    }
    Size = static_cast<int>(Data.size());
    return true;
}

void TStoredFile::WriteData(std::vector<std::uint8_t>& out) const
{
    putInt(out, static_cast<std::int32_t>(FileName.size()));
    out.insert(out.end(), FileName.begin(), FileName.end());
    const auto packed = Compress(Data);
    putInt(out, static_cast<std::int32_t>(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
}

bool TStoredFile::Upload(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return false;
    std::vector<std::uint8_t> content{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
    if (in.bad())
        return false;
    FileName = fs::path(fileName).filename().string();
    Data = std::move(content);
    Size = static_cast<int>(Data.size());
    return true;
}

void TStoredFile::ClearData()
{
    FileName.clear();
    Size = 0;
    Data.clear();
}

bool TStoredFile::ExtractToFile(const std::string& path, bool createPath)
{
    bool allow = true;
    if (Owner && Owner->OnExtract)
        Owner->OnExtract(*Owner, path, Size, allow);
    if (!allow)
        return true;
    if (createPath) {
        std::error_code ec;
        const auto folder = fs::path(path).parent_path();
        if (!folder.empty())
            fs::create_directories(folder, ec);
    }
    bool ok = false;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(reinterpret_cast<const char*>(Data.data()),
                      static_cast<std::streamsize>(Data.size()));
            out.close();
            ok = !out.fail();
        }
    }
    if (ok && Owner && Owner->AutoExtract.RemoveOnTerminate)
        Owner->ExtractedFilesList.push_back(path);
    if (Owner && Owner->OnExtracted)
        Owner->OnExtracted(*Owner, path, Size, ok);
    return ok;
}

ShellFolders LinuxShellFolders()
{
    const std::string home = envOr("HOME", "/tmp");
    ShellFolders f;
    f.programDir = programDir();
    f.windowsDir = "/usr/share";
    f.tempDir = envOr("TMPDIR", fs::temp_directory_path().string());
    f.systemDir = "/usr/lib";
    f.mediaDir = "/usr/share/sounds";
    f.cursorsDir = "/usr/share/icons";
    f.helpDir = "/usr/share/help";
    f.samplesDir = "/usr/share/doc";
    f.desktop = envOr("XDG_DESKTOP_DIR", home + "/Desktop");
    f.programFiles = "/opt";
    f.myDocuments = envOr("XDG_DOCUMENTS_DIR", home + "/Documents");
    f.myPictures = envOr("XDG_PICTURES_DIR", home + "/Pictures");
    f.appData = envOr("XDG_CONFIG_HOME", home + "/.config");
    return f;
}

std::string TExtractTo::Path(const ShellFolders& f) const
{
    std::string base;
    switch (ToplevelDir) {
    case TToplevelDir::tdNone: return Subdirectory;
    case TToplevelDir::tdCurrentDir: base = f.programDir; break;
    case TToplevelDir::tdWindowsDir: base = f.windowsDir; break;
    case TToplevelDir::tdTempDir: base = f.tempDir; break;
    case TToplevelDir::tdSystemDir: base = f.systemDir; break;
    case TToplevelDir::tdMediaDir: base = f.mediaDir; break;
    case TToplevelDir::tdCursorsDir: base = f.cursorsDir; break;
    case TToplevelDir::tdHelpDir: base = f.helpDir; break;
    case TToplevelDir::tdSamplesDir: base = f.samplesDir; break;
    case TToplevelDir::tdDesktop: base = f.desktop; break;
    case TToplevelDir::tdProgramFiles: base = f.programFiles; break;
    case TToplevelDir::tdMyDocuments: base = f.myDocuments; break;
    case TToplevelDir::tdMyPictures: base = f.myPictures; break;
    case TToplevelDir::tdAppData: base = f.appData; break;
    }
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    std::string path = base + "/";
    const auto first = Subdirectory.find_first_not_of("/\\");
    if (first != std::string::npos) {
        path += Subdirectory.substr(first);
        if (path.back() != '/')
            path += '/';
    }
    return path;
}

TFileStorage::~TFileStorage()
{
    if (!AutoExtract.Enabled || !AutoExtract.RemoveOnTerminate || ExtractedFilesList.empty())
        return;
    std::error_code ec;
    for (const auto& file : ExtractedFilesList)
        fs::remove(file, ec);
    const auto folder = fs::path(ExtractedFilesList.front()).parent_path();
    if (!folder.empty() && fs::is_empty(folder, ec) && !ec)
        fs::remove(folder, ec);
}

int TFileStorage::DataSize() const
{
    int total = 0;
    for (const auto& f : Files)
        total += f->Size;
    return total;
}

bool TFileStorage::ReadContainer(std::span<const std::uint8_t> data)
{
    Files.clear();
    Compressed = false;
    std::size_t pos = 0;
    std::int32_t count = 0;
    if (data.size() < 4)
        return data.empty(); // no stored data: an empty container
    if (std::memcmp(data.data(), kSignature, 4) == 0) {
        Compressed = true;
        pos = 4;
        if (!readInt(data, pos, count))
            return false;
    } else {
        readInt(data, pos, count);
        std::int32_t skipped = 0;
        if (!readInt(data, pos, skipped))
            return false;
    }
    std::size_t budget = kMaxContainerDataSize;
    for (std::int32_t i = 0; i < count; ++i) {
        auto entry = std::make_unique<TStoredFile>(this);
        if (!entry->ReadData(data, pos, Compressed, budget))
            return false;
        budget -= entry->Data.size();
        Files.push_back(std::move(entry));
    }
    runAutoExtract();
    return true;
}

std::vector<std::uint8_t> TFileStorage::WriteContainer() const
{
    if (Files.empty())
        return {};
    std::vector<std::uint8_t> out(std::begin(kSignature), std::end(kSignature));
    putInt(out, static_cast<std::int32_t>(Files.size()));
    for (const auto& f : Files)
        f->WriteData(out);
    return out;
}

TStoredFile* TFileStorage::Find(const std::string& fileName) const
{
    const std::string wanted = lower(fileName);
    for (const auto& f : Files)
        if (lower(f->FileName) == wanted)
            return f.get();
    return nullptr;
}

bool TFileStorage::FileXists(const std::string& fileName) const
{
    return Find(fileName) != nullptr;
}

bool TFileStorage::Extract(const std::string& fileName, const std::string& outputFile)
{
    TStoredFile* f = Find(fileName);
    if (!f)
        return false;
    // The name matches a stored one, which is a plain file name.
    const std::string target = outputFile.empty() ? ExtractionFolder() + fileName : outputFile;
    return f->ExtractToFile(target, AutoExtract.ExtractTo.CreatePath);
}

bool TFileStorage::Extract(int fileIndex, const std::string& outputFile)
{
    if (fileIndex < 0 || fileIndex >= Count())
        return false;
    TStoredFile& f = *Files[static_cast<std::size_t>(fileIndex)];
    const std::string target = outputFile.empty() ? ExtractionFolder() + f.FileName : outputFile;
    return f.ExtractToFile(target, AutoExtract.ExtractTo.CreatePath);
}

void TFileStorage::runAutoExtract()
{
    if (!AutoExtract.Enabled)
        return;
    const std::string folder = ExtractionFolder();
    for (const auto& f : Files) {
        const std::string target = folder + f->FileName;
        std::error_code ec;
        bool write = true;
        switch (AutoExtract.Overwrite) {
        case TOverwrite::owAlways: break;
        case TOverwrite::owNever: write = !fs::exists(target, ec); break;
        case TOverwrite::owIfSizeDifferent: {
            const auto size = fs::file_size(target, ec);
            write = ec || size != static_cast<std::uintmax_t>(f->Size);
            break;
        }
        }
        if (write)
            f->ExtractToFile(target, AutoExtract.ExtractTo.CreatePath);
    }
}

} // namespace ocr
