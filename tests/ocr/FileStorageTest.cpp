#include "TestNetworks.h"

#include "ocr/core/FileStorage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using ocr::TFileStorage;
using ocr::TStoredFile;

std::vector<std::uint8_t> bytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

void putInt(std::vector<std::uint8_t>& out, std::int32_t v)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&v);
    out.insert(out.end(), p, p + 4);
}

void addEntry(TFileStorage& storage, const std::string& name, const std::string& content)
{
    auto entry = std::make_unique<TStoredFile>(&storage);
    entry->FileName = name;
    entry->Data = bytes(content);
    entry->Size = static_cast<int>(content.size());
    storage.Files.push_back(std::move(entry));
}

class TempDir {
public:
    TempDir() : path_(fs::temp_directory_path() / ("tq7-storage-" + std::to_string(::getpid())))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

ocr::ShellFolders foldersIn(const fs::path& root)
{
    ocr::ShellFolders f;
    f.programDir = f.windowsDir = f.tempDir = f.systemDir = f.mediaDir = f.cursorsDir =
        f.helpDir = f.samplesDir = f.desktop = f.programFiles = f.myDocuments = f.myPictures =
            f.appData = root.string();
    return f;
}

TEST(FileStorage, BuiltInContainerHoldsTheFourNetworks)
{
    const TFileStorage& storage = ocrtest::StoredContainer();
    ASSERT_EQ(storage.Count(), 4);
    EXPECT_TRUE(storage.Compressed);
    const int sizes[4] = {193950, 198759, 203559, 197159};
    for (int i = 0; i < 4; ++i) {
        const TStoredFile& f = *storage.Files[static_cast<std::size_t>(i)];
        EXPECT_EQ(f.FileName, ocr::kStoredNetworkNames[i]);
        EXPECT_EQ(f.Size, sizes[i]);
        EXPECT_EQ(f.Data.size(), static_cast<std::size_t>(sizes[i]));
    }
    EXPECT_EQ(storage.DataSize(), 193950 + 198759 + 203559 + 197159);
    EXPECT_TRUE(storage.FileXists("arial_14_from_q7.dcr"));
    EXPECT_TRUE(storage.FileXists("ARIAL_14_FROM_Q7.DCR"));
    EXPECT_FALSE(storage.FileXists("arial_14_from_q7"));
    // Written again with the same zlib, the container is byte for byte the built-in one.
    const auto written = storage.WriteContainer();
    const auto builtIn = ocr::StoredNetworksContainer();
    EXPECT_TRUE(written.size() == builtIn.size() &&
                std::equal(written.begin(), written.end(), builtIn.begin()));
}

TEST(FileStorage, WriteAndReadBackGiveTheSameEntries)
{
    TFileStorage storage;
    addEntry(storage, "a.dcr", std::string(1000, 'a') + "tail");
    addEntry(storage, "Empty.txt", "");
    const auto container = storage.WriteContainer();
    ASSERT_GE(container.size(), 8u);
    EXPECT_EQ(std::memcmp(container.data(), "SFP1", 4), 0);

    TFileStorage copy;
    ASSERT_TRUE(copy.ReadContainer(container));
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Files[0]->FileName, "a.dcr");
    EXPECT_EQ(copy.Files[0]->Data, storage.Files[0]->Data);
    EXPECT_EQ(copy.Files[1]->FileName, "Empty.txt");
    EXPECT_EQ(copy.Files[1]->Size, 0);
}

TEST(FileStorage, EmptyContainerIsNotPersisted)
{
    TFileStorage storage;
    EXPECT_TRUE(storage.WriteContainer().empty());
    EXPECT_TRUE(storage.ReadContainer({}));
    EXPECT_EQ(storage.Count(), 0);
}

TEST(FileStorage, LegacyContainerReadsRawEntries)
{
    std::vector<std::uint8_t> legacy;
    putInt(legacy, 2);
    putInt(legacy, 12345); // skipped
    const std::pair<std::string, std::string> entries[] = {{"one.bin", "abc"}, {"two.bin", "hello world"}};
    for (const auto& [name, content] : entries) {
        putInt(legacy, static_cast<std::int32_t>(name.size()));
        legacy.insert(legacy.end(), name.begin(), name.end());
        putInt(legacy, static_cast<std::int32_t>(content.size()));
        legacy.insert(legacy.end(), content.begin(), content.end());
    }
    TFileStorage storage;
    ASSERT_TRUE(storage.ReadContainer(legacy));
    EXPECT_FALSE(storage.Compressed);
    ASSERT_EQ(storage.Count(), 2);
    EXPECT_EQ(storage.Files[0]->Size, 3);
    EXPECT_EQ(storage.Files[1]->Data, bytes("hello world"));
    EXPECT_EQ(storage.Files[1]->Size, 11);
}

TEST(FileStorage, DamagedContainersAreRefusedWithoutCrashing)
{
    const auto good = ocrtest::StoredContainer().WriteContainer();
    auto cut = [&](std::size_t n) { return std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)); };
    auto corrupted = good;
    corrupted[200] ^= 0xFF; // inside the first zlib stream
    std::vector<std::uint8_t> hugeName = bytes("SFP1");
    putInt(hugeName, 1);
    putInt(hugeName, 0x7fffffff);
    std::vector<std::uint8_t> negativeData = bytes("SFP1");
    putInt(negativeData, 1);
    putInt(negativeData, 1);
    hugeName.push_back('x');
    negativeData.push_back('x');
    putInt(negativeData, -5);

    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"signature only", cut(4)},
        {"cut in the first name", cut(12)},
        {"cut in the first stream", cut(100)},
        {"cut before the last entry ends", cut(good.size() - 1)},
        {"corrupted stream", corrupted},
        {"name longer than the data", hugeName},
        {"negative data length", negativeData},
        {"legacy count without data", {5, 0, 0, 0}},
    };
    for (const auto& [name, data] : cases) {
        SCOPED_TRACE(name);
        TFileStorage storage;
        EXPECT_FALSE(storage.ReadContainer(data));
        for (const auto& f : storage.Files)
            EXPECT_EQ(f->Size, static_cast<int>(f->Data.size()));
    }
}

// Containers built to escape the extraction folder or to exhaust memory are
// refused whole, and automatic extraction then writes nothing anywhere.
TEST(FileStorage, HostileContainersAreRefusedAndExtractNothing)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::size_t>> entries; // name, bytes of zeros
    };
    const Case cases[] = {
        {"climbs out of the folder", {{"../../escape.txt", 10}}},
        {"names a sub-folder", {{"sub/escape.txt", 10}}},
        {"names a Windows path", {{"..\\escape.txt", 10}}},
        {"names a drive", {{"C:escape.txt", 10}}},
        {"absolute path", {{"/tmp/escape.txt", 10}}},
        {"parent folder itself", {{"..", 10}}},
        {"empty name", {{"", 10}}},
        {"each entry small, all together too large", {{"a.dcr", 33u << 20}, {"b.dcr", 33u << 20}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path folder = dir.path() / "x" / "y";
        fs::create_directories(folder);
        TFileStorage source;
        for (const auto& [name, size] : c.entries)
            addEntry(source, name, std::string(size, '\0'));
        const auto container = source.WriteContainer();

        TFileStorage storage(foldersIn(folder));
        storage.AutoExtract.Enabled = true;
        storage.AutoExtract.Overwrite = ocr::TOverwrite::owAlways;
        storage.AutoExtract.ExtractTo.ToplevelDir = ocr::TToplevelDir::tdAppData;
        EXPECT_FALSE(storage.ReadContainer(container));
        EXPECT_LE(storage.DataSize(), 64 << 20);
        std::size_t written = 0;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
            written += entry.is_regular_file();
        EXPECT_EQ(written, 0u);
    }
}

TEST(FileStorage, ExtractAsksTellsAndCreatesFolders)
{
    TempDir dir;
    TFileStorage storage(foldersIn(dir.path()));
    addEntry(storage, "Net.dcr", "network");
    std::vector<std::string> asked, told;
    bool allow = true;
    storage.OnExtract = [&](TFileStorage& sender, const std::string& file, int size, bool& ok) {
        EXPECT_EQ(&sender, &storage);
        EXPECT_EQ(size, 7);
        asked.push_back(file);
        ok = allow;
    };
    storage.OnExtracted = [&](TFileStorage&, const std::string& file, int, bool ok) {
        told.push_back(file + (ok ? " ok" : " failed"));
    };

    const auto target = (dir.path() / "a" / "b" / "out.dcr").string();
    EXPECT_TRUE(storage.Extract("net.DCR", target));
    EXPECT_EQ(asked, std::vector<std::string>{target});
    EXPECT_EQ(told, std::vector<std::string>{target + " ok"});
    std::ifstream in(target);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "network");

    // A refusal counts as success and writes nothing.
    allow = false;
    const auto refused = (dir.path() / "refused.dcr").string();
    EXPECT_TRUE(storage.Extract(0, refused));
    EXPECT_FALSE(fs::exists(refused));

    // An empty output name means the extraction folder and the name as given.
    allow = true;
    storage.AutoExtract.ExtractTo.ToplevelDir = ocr::TToplevelDir::tdTempDir;
    storage.AutoExtract.ExtractTo.Subdirectory = "\\\\sub";
    EXPECT_TRUE(storage.Extract("NET.dcr"));
    EXPECT_TRUE(fs::exists(dir.path() / "sub" / "NET.dcr"));

    EXPECT_FALSE(storage.Extract("missing.dcr"));
    EXPECT_FALSE(storage.Extract(5));
    told.clear();
    EXPECT_FALSE(storage.Files[0]->ExtractToFile((dir.path() / "no" / "x").string(), false));
    EXPECT_EQ(told.size(), 1u);
    EXPECT_NE(told.front().find("failed"), std::string::npos);
}

TEST(FileStorage, ExtractionFolders)
{
    const ocr::ShellFolders folders = foldersIn("/base/");
    struct Case {
        ocr::TToplevelDir top;
        const char* subdirectory;
        const char* path;
    };
    const Case cases[] = {
        {ocr::TToplevelDir::tdNone, "rel/dir", "rel/dir"},
        {ocr::TToplevelDir::tdTempDir, "", "/base/"},
        {ocr::TToplevelDir::tdAppData, "\\\\Tervalen", "/base/Tervalen/"},
        {ocr::TToplevelDir::tdDesktop, "x/", "/base/x/"},
    };
    for (const auto& c : cases) {
        ocr::TExtractTo to;
        to.ToplevelDir = c.top;
        to.Subdirectory = c.subdirectory;
        EXPECT_EQ(to.Path(folders), c.path) << c.subdirectory;
    }
}

TEST(FileStorage, AutomaticExtractionFollowsTheOverwriteMode)
{
    struct Case {
        ocr::TOverwrite mode;
        const char* existing; // nullptr: no file yet
        bool written;
    };
    const Case cases[] = {
        {ocr::TOverwrite::owIfSizeDifferent, nullptr, true},
        {ocr::TOverwrite::owIfSizeDifferent, "1234567", false},
        {ocr::TOverwrite::owIfSizeDifferent, "12", true},
        {ocr::TOverwrite::owNever, nullptr, true},
        {ocr::TOverwrite::owNever, "12", false},
        {ocr::TOverwrite::owAlways, "1234567", true},
    };
    TFileStorage source;
    addEntry(source, "auto.dcr", "content");
    const auto container = source.WriteContainer();
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path target = dir.path() / "auto.dcr";
        if (c.existing)
            std::ofstream(target) << c.existing;
        TFileStorage storage(foldersIn(dir.path()));
        storage.AutoExtract.Enabled = true;
        storage.AutoExtract.Overwrite = c.mode;
        storage.AutoExtract.ExtractTo.ToplevelDir = ocr::TToplevelDir::tdAppData;
        ASSERT_TRUE(storage.ReadContainer(container));
        std::ifstream in(target);
        std::string content;
        std::getline(in, content);
        EXPECT_EQ(content == "content", c.written)
            << static_cast<int>(c.mode) << " " << (c.existing ? c.existing : "(none)");
    }
}

TEST(FileStorage, RemoveOnTerminateDeletesExtractedFilesAndTheirEmptyFolder)
{
    TempDir dir;
    TFileStorage source;
    addEntry(source, "one.dcr", "1");
    addEntry(source, "two.dcr", "2");
    const auto container = source.WriteContainer();
    const fs::path folder = dir.path() / "extracted";
    {
        TFileStorage storage(foldersIn(dir.path()));
        storage.AutoExtract.Enabled = true;
        storage.AutoExtract.RemoveOnTerminate = true;
        storage.AutoExtract.ExtractTo.ToplevelDir = ocr::TToplevelDir::tdAppData;
        storage.AutoExtract.ExtractTo.Subdirectory = "extracted";
        ASSERT_TRUE(storage.ReadContainer(container));
        EXPECT_EQ(storage.ExtractedFilesList.size(), 2u);
        EXPECT_TRUE(fs::exists(folder / "two.dcr"));
    }
    EXPECT_FALSE(fs::exists(folder / "one.dcr"));
    EXPECT_FALSE(fs::exists(folder));
}

TEST(FileStorage, UploadTakesNameAndContent)
{
    TempDir dir;
    const fs::path file = dir.path() / "picked.dcr";
    std::ofstream(file) << "xyz";
    TStoredFile entry;
    ASSERT_TRUE(entry.Upload(file.string()));
    EXPECT_EQ(entry.FileName, "picked.dcr");
    EXPECT_EQ(entry.Size, 3);
    EXPECT_FALSE(entry.Upload((dir.path() / "missing").string()));
    EXPECT_EQ(entry.FileName, "picked.dcr");
    entry.ClearData();
    EXPECT_EQ(entry.Size, 0);
    EXPECT_TRUE(entry.FileName.empty());
}

} // namespace
