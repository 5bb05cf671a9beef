// Hostile objects: every one is refused with an error the caller turns into
// its placeholder, without a crash and without allocating what the object
// claims.

#include "TestObjects.h"

#include "dicom/DicomDataSet.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <functional>
#include <iostream>
#include <random>

using dicomtest::ObjectFolder;
using dicomtest::PixelSpec;

namespace {

long PeakRssMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

QByteArray Random(size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    QByteArray bytes;
    for (size_t i = 0; i < size; ++i)
        bytes.append(static_cast<char>(generator() & 0xFF));
    return bytes;
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// The bytes of a good 16-bit object, for patching.
QByteArray GoodObject(ObjectFolder& folder)
{
    PixelSpec spec;
    spec.rows = 16;
    spec.columns = 16;
    spec.attributes = {"(0010,0010) PN [Patient^Name]"};
    return Read(folder.make("good.dcm", spec));
}

// Overwrites the little-endian length of the first element `tag` + `vr`
// (explicit VR, short or long length form).
QByteArray WithLength(QByteArray bytes, const QByteArray& tagAndVr, quint32 length, bool longForm)
{
    const qsizetype at = bytes.indexOf(tagAndVr);
    EXPECT_GE(at, 0);
    const qsizetype field = at + (longForm ? 8 : 6);
    for (int i = 0; i < (longForm ? 4 : 2); ++i)
        bytes[field + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    return bytes;
}

const QByteArray kPixelDataOW("\xe0\x7f\x10\x00OW\x00\x00", 8);
const QByteArray kPatientNamePN("\x10\x00\x10\x00PN", 6);
const QByteArray kRowsUS("\x28\x00\x10\x00US", 6);

QByteArray Dumped(ObjectFolder& folder, const QString& name, QStringList lines, const QByteArray& pixels)
{
    lines.prepend("(0008,0016) UI =SecondaryCaptureImageStorage");
    lines.prepend("(0008,0018) UI [1.2.3.4.5]");
    return Read(folder.makeFromDump(name, lines, pixels));
}

QStringList Geometry(const char* rows, const char* columns, const char* samples, const char* bitsStored)
{
    QStringList lines = {"(0028,0004) CS [MONOCHROME2]", "(0028,0100) US 16", "(0028,0103) US 0"};
    lines << QStringLiteral("(0028,0010) US %1").arg(rows) << QStringLiteral("(0028,0011) US %1").arg(columns);
    if (*samples)
        lines << QStringLiteral("(0028,0002) US %1").arg(samples);
    lines << QStringLiteral("(0028,0101) US %1").arg(bitsStored);
    return lines;
}

struct HostileRow {
    const char* name;
    std::function<QByteArray(ObjectFolder&)> bytes;
    bool sizeAttack = false;
};

TEST(HostileObjects, AreRefusedWithoutCrashOrHugeAllocation)
{
    const QByteArray pixels(16 * 16 * 2, '\x11');
    const HostileRow rows[] = {
        {"empty", [](ObjectFolder&) { return QByteArray(); }},
        {"text", [](ObjectFolder&) { return QByteArray("Patient: Test\r\nNothing to see here.\r\n"); }},
        {"random", [](ObjectFolder&) { return Random(4096, 1); }},
        {"DICM and random",
         [](ObjectFolder&) { return QByteArray(128, '\0') + "DICM" + Random(4096, 2); }},
        {"truncated header", [](ObjectFolder& f) { return GoodObject(f).left(200); }},
        {"truncated pixels", [](ObjectFolder& f) { return GoodObject(f).chopped(100); }},
        {"4 GB pixel length",
         [](ObjectFolder& f) { return WithLength(GoodObject(f), kPixelDataOW, 0xFFFFFFF0u, true); }},
        {"length overrun",
         [](ObjectFolder& f) { return WithLength(GoodObject(f), kPatientNamePN, 0x7FF0, false); }},
        {"odd length", [](ObjectFolder& f) { return WithLength(GoodObject(f), kRowsUS, 3, false); }},
        {"65535 x 65535",
         [pixels](ObjectFolder& f) { return Dumped(f, "huge.dcm", Geometry("65535", "65535", "1", "12"), pixels); },
         true},
        {"2^31-1 frames",
         [pixels](ObjectFolder& f) {
             return Dumped(f, "frames.dcm",
                           Geometry("16", "16", "1", "12") << "(0028,0008) IS [2147483647]", pixels);
         },
         true},
        {"negative frames",
         [pixels](ObjectFolder& f) {
             return Dumped(f, "negframes.dcm", Geometry("16", "16", "1", "12") << "(0028,0008) IS [-5]", pixels);
         }},
        {"Bits Stored 40",
         [pixels](ObjectFolder& f) { return Dumped(f, "bits40.dcm", Geometry("16", "16", "1", "40"), pixels); }},
        {"no Samples per Pixel",
         [pixels](ObjectFolder& f) { return Dumped(f, "nosamples.dcm", Geometry("16", "16", "", "12"), pixels); }},
        {"no rows",
         [pixels](ObjectFolder& f) { return Dumped(f, "norows.dcm", Geometry("0", "16", "1", "12"), pixels); }},
        {"no pixel data",
         [](ObjectFolder& f) { return Dumped(f, "nopixels.dcm", Geometry("16", "16", "1", "12"), {}); }},
    };
    long sizeAttackPeak = 0;
    for (const HostileRow& row : rows) {
        SCOPED_TRACE(row.name);
        ObjectFolder folder;
        const QByteArray bytes = row.bytes(folder);
        QFile file(folder.path("hostile.dcm"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        bool refused = false;
        IDicomDataSet ds;
        try {
            ds.LoadFile(file.fileName());
            ds.SetWindowMode(ds.WindowModeFromAttributes());
            ds.RenderFrame(ds.FrameCount() - 1);
        } catch (const dicom::DicomError& e) {
            EXPECT_STRNE(e.what(), "");
            refused = true;
        }
        EXPECT_TRUE(refused);
        if (row.sizeAttack)
            sizeAttackPeak = PeakRssMiB();
    }
    std::cout << "peak RSS after the size attacks: " << sizeAttackPeak << " MiB\n";
    EXPECT_LT(sizeAttackPeak, 256);
}

} // namespace

namespace {

// Every input that ever made the fuzzer fail is read and rendered again.
TEST(HostileObjects, FuzzerFindingsStayHarmless)
{
    const QDir regressions(QStringLiteral(TQ7_SOURCE_DIR "/fuzz/regressions/dicom"));
    const QStringList inputs = regressions.entryList(QDir::Files);
    ASSERT_FALSE(inputs.isEmpty());
    for (const QString& name : inputs) {
        SCOPED_TRACE(name.toStdString());
        IDicomDataSet ds;
        try {
            ds.LoadFile(regressions.filePath(name));
            ds.SetWindowMode(ds.WindowModeFromAttributes());
            const QImage picture = ds.RenderFrame(0);
            EXPECT_FALSE(picture.isNull());
        } catch (const dicom::DicomError& e) {
            EXPECT_STRNE(e.what(), "");
        }
    }
}

} // namespace
