#pragma once
// A container of whole files carried inside the program: named entries, each
// one zlib stream, behind the signature "SFP1". Entries lie decompressed in
// memory and can be written out as files on request or automatically.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ocr {

class TFileStorage;

class TStoredFile {
public:
    explicit TStoredFile(TFileStorage* owner = nullptr) : Owner(owner) {}

    TFileStorage* Owner;
    std::string FileName; // without folder
    int Size = 0;         // decompressed bytes
    std::vector<std::uint8_t> Data;

    // Reads one entry at pos; false (pos then undefined) when the data end
    // early, the name is not a plain file name, a compressed entry does not
    // inflate, or the content would exceed maxSize bytes.
    bool ReadData(std::span<const std::uint8_t> data, std::size_t& pos, bool compressed,
                  std::size_t maxSize);
    void WriteData(std::vector<std::uint8_t>& out) const;
    // Takes name and content from a file; false when it cannot be read.
    bool Upload(const std::string& fileName);
    void ClearData();
    // Writes Data to path, asking OnExtract first and telling OnExtracted
    // after. A refused extraction counts as success.
    virtual bool ExtractToFile(const std::string& path, bool createPath);
    virtual ~TStoredFile() = default;
};

inline constexpr const char* kUploadErrorText = "This file can not be uploaded.";

enum class TToplevelDir {
    tdCurrentDir, tdWindowsDir, tdTempDir, tdSystemDir, tdMediaDir, tdCursorsDir, tdHelpDir,
    tdSamplesDir, tdDesktop, tdProgramFiles, tdMyDocuments, tdMyPictures, tdAppData, tdNone
};
enum class TOverwrite { owIfSizeDifferent, owNever, owAlways };

// The folders the extraction targets stand for on this system.
struct ShellFolders {
    std::string programDir, windowsDir, tempDir, systemDir, mediaDir, cursorsDir, helpDir,
        samplesDir, desktop, programFiles, myDocuments, myPictures, appData;
};
// The Linux mapping (see ocr/README.md), from the environment.
ShellFolders LinuxShellFolders();

struct TExtractTo {
    TToplevelDir ToplevelDir = TToplevelDir::tdCurrentDir;
    std::string Subdirectory;
    bool CreatePath = true;
    // The extraction folder with a trailing "/" (tdNone: Subdirectory as it stands).
    std::string Path(const ShellFolders& folders) const;
};

struct TAutoExtract {
    bool Enabled = false;
    TExtractTo ExtractTo;
    TOverwrite Overwrite = TOverwrite::owIfSizeDifferent;
    bool RemoveOnTerminate = false;
};

class TFileStorage {
public:
    TFileStorage() : folders_(LinuxShellFolders()) {}
    explicit TFileStorage(ShellFolders folders) : folders_(std::move(folders)) {}
    ~TFileStorage();
    TFileStorage(const TFileStorage&) = delete;
    TFileStorage& operator=(const TFileStorage&) = delete;

    std::vector<std::unique_ptr<TStoredFile>> Files;
    bool Compressed = false;
    TAutoExtract AutoExtract;
    std::vector<std::string> ExtractedFilesList;
    std::function<void(TFileStorage& sender, const std::string& fileName, int fileSize,
                       bool& allowExtracting)>
        OnExtract;
    std::function<void(TFileStorage& sender, const std::string& fileName, int fileSize,
                       bool successfully)>
        OnExtracted;

    int Count() const { return static_cast<int>(Files.size()); }
    int DataSize() const;

    // Replaces the entries by those of a container (signed or legacy), then
    // runs the automatic extraction. False when the data are not a whole
    // container or inflate past 64 MiB in all; the entries read before the
    // fault are kept.
    bool ReadContainer(std::span<const std::uint8_t> data);
    // The container bytes; an empty container has none (it is not persisted).
    std::vector<std::uint8_t> WriteContainer() const;

    bool FileXists(const std::string& fileName) const;
    TStoredFile* Find(const std::string& fileName) const;
    // Empty outputFile: the extraction folder + the name.
    bool Extract(const std::string& fileName, const std::string& outputFile = {});
    bool Extract(int fileIndex, const std::string& outputFile = {});
    std::string ExtractionFolder() const { return AutoExtract.ExtractTo.Path(folders_); }

private:
    void runAutoExtract();
    ShellFolders folders_;
};

// zlib at the best level, and its inverse with a cap on the output size.
std::vector<std::uint8_t> Compress(std::span<const std::uint8_t> data);
bool Decompress(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out,
                std::size_t maxSize);

} // namespace ocr
