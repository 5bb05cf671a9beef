// Frame rendering against DCMTK's own converters, the window-mode rules and
// the size checks that come before any allocation.

#include "TestObjects.h"

#include "dicom/DicomDataSet.h"
#include "dicom/WindowMode.h"

#include <gtest/gtest.h>

#include <functional>

using dicom::WindowMode;
using dicomtest::ObjectFolder;
using dicomtest::PixelSpec;
using dicomtest::Spec;

namespace {

struct ModeRow {
    const char* explanation;
    const char* bitsStored;
    const char* center;
    const char* width;
    WindowMode mode;
};

TEST(WindowModeRules, ReadWindowsAsRealNumbers)
{
    const ModeRow rows[] = {
        {"MANUAL", "12", "4096", "4096", WindowMode::Stored},
        {"manual", "", "", "", WindowMode::Stored},
        {"AUTOMATIC", "12", "1000", "500", WindowMode::Automatic},
        {"DEFAULT", "12", "1000", "500", WindowMode::Default},
        {"", "12", "4096", "300", WindowMode::Default}, // the full range
        {"", "12", "1000", "500", WindowMode::Stored},
        {"", "16", "32767.5", "65535", WindowMode::Stored},
        {"", "12", "-600\\40", "1500\\400", WindowMode::Stored},
        {"", "12", "1", "1", WindowMode::Stored},
        {"", "12", "1000", "0", WindowMode::Default},
        {"", "12", "1000", "", WindowMode::Default},
        {"", "12", "abc", "500", WindowMode::Default},
        {"", "x", "256", "100", WindowMode::Default}, // Bits Stored taken as 8
        {"", "40", "65536", "100", WindowMode::Default}, // clamped to 16 bits
        {"", "40", "70000", "100", WindowMode::Stored},
        {"SOMETHING", "8", "100", "50", WindowMode::Stored},
    };
    for (const ModeRow& row : rows) {
        SCOPED_TRACE(std::string(row.explanation) + "|" + row.bitsStored + "|" + row.center + "|" + row.width);
        EXPECT_EQ(dicom::WindowModeFor(row.explanation, row.bitsStored, row.center, row.width), row.mode);
    }
}

// One generated object, the mode its attributes must choose, the frame, and
// the converter call that renders the same.
struct RenderRow {
    const char* name;
    std::function<QString(ObjectFolder&)> make;
    WindowMode mode;
    unsigned frame;
    const char* tool;
    QStringList options;
};

QString Io16(ObjectFolder& f)
{
    return f.make("io16.dcm", Spec(13, 11, 16, 12, {"(0008,0060) CS [IO]", "(0028,1050) DS [1000]",
                                                     "(0028,1051) DS [500]"}));
}

QString Px8(ObjectFolder& f)
{
    return f.make("px8.dcm", Spec(10, 9, 8, 8, {"(0008,0060) CS [PX]"}));
}

TEST(FrameRendering, MatchesDcmtkConverters)
{
    const RenderRow rows[] = {
        {"IO 12 of 16 bits, stored window, columns 3 mod 4", Io16, WindowMode::Stored, 0, "dcm2pnm", {"+Wi", "1"}},
        {"PX 8 bits, columns 1 mod 4, no window", Px8, WindowMode::Default, 0, "dcm2pnm", {}},
        {"CR MONOCHROME1 min-max",
         [](ObjectFolder& f) {
             PixelSpec s = Spec(8, 10, 16, 10, {"(0008,0060) CS [CR]", "(0028,1055) LO [AUTOMATIC]"});
             s.photometric = "MONOCHROME1";
             return f.make("cr.dcm", s);
         },
         WindowMode::Automatic, 0, "dcm2pnm", {"+Wm"}},
        {"DX 16 bits, fractional window",
         [](ObjectFolder& f) {
             return f.make("dx.dcm", Spec(6, 12, 16, 16, {"(0028,1050) DS [32767.5]", "(0028,1051) DS [40000]"}));
         },
         WindowMode::Stored, 0, "dcm2pnm", {"+Wi", "1"}},
        {"CT signed 12 bits, rescale, two windows",
         [](ObjectFolder& f) {
             PixelSpec s = Spec(7, 8, 16, 12,
                                {"(0008,0060) CS [CT]", "(0028,1052) DS [-1024]", "(0028,1053) DS [1]",
                                 "(0028,1050) DS [-600\\40]", "(0028,1051) DS [1500\\400]"});
             s.signedPixels = true;
             return f.make("ct.dcm", s);
         },
         WindowMode::Stored, 0, "dcm2pnm", {"+Wi", "1"}},
        {"RGB, columns 2 mod 4",
         [](ObjectFolder& f) {
             PixelSpec s = Spec(5, 6, 8, 8);
             s.samples = 3;
             s.photometric = "RGB";
             return f.make("rgb.dcm", s);
         },
         WindowMode::Default, 0, "dcm2pnm", {}},
        {"multi-frame 16 bits, third frame",
         [](ObjectFolder& f) {
             PixelSpec s = Spec(9, 7, 16, 12, {"(0028,1050) DS [2000]", "(0028,1051) DS [1000]"});
             s.frames = 4;
             return f.make("mf16.dcm", s);
         },
         WindowMode::Stored, 2, "dcm2pnm", {"+F", "3", "+Wi", "1"}},
        {"multi-frame 8 bits, second frame",
         [](ObjectFolder& f) {
             PixelSpec s = Spec(9, 5, 8, 8);
             s.frames = 3;
             return f.make("mf8.dcm", s);
         },
         WindowMode::Default, 1, "dcm2pnm", {"+F", "2"}},
        {"JPEG lossless",
         [](ObjectFolder& f) { return f.convert("dcmcjpeg", {"+e1"}, Io16(f), "jpegll.dcm"); },
         WindowMode::Stored, 0, "dcmj2pnm", {"+Wi", "1"}},
        {"JPEG baseline",
         [](ObjectFolder& f) { return f.convert("dcmcjpeg", {"+eb"}, Px8(f), "jpegb.dcm"); },
         WindowMode::Default, 0, "dcmj2pnm", {}},
        {"JPEG-LS lossless",
         [](ObjectFolder& f) { return f.convert("dcmcjpls", {}, Io16(f), "jlsll.dcm"); },
         WindowMode::Stored, 0, "dcml2pnm", {"+Wi", "1"}},
        {"JPEG-LS near-lossless",
         [](ObjectFolder& f) { return f.convert("dcmcjpls", {"+en"}, Io16(f), "jlsnl.dcm"); },
         WindowMode::Stored, 0, "dcml2pnm", {"+Wi", "1"}},
        {"RLE", [](ObjectFolder& f) { return f.convert("dcmcrle", {}, Io16(f), "rle.dcm"); },
         WindowMode::Stored, 0, "dcm2pnm", {"+Wi", "1"}},
        {"deflated", [](ObjectFolder& f) { return f.convert("dcmconv", {"+td"}, Io16(f), "defl.dcm"); },
         WindowMode::Stored, 0, "dcm2pnm", {"+Wi", "1"}},
        {"big endian", [](ObjectFolder& f) { return f.convert("dcmconv", {"+tb"}, Io16(f), "be.dcm"); },
         WindowMode::Stored, 0, "dcm2pnm", {"+Wi", "1"}},
        {"implicit VR", [](ObjectFolder& f) { return f.convert("dcmconv", {"+ti"}, Px8(f), "impl.dcm"); },
         WindowMode::Default, 0, "dcm2pnm", {}},
    };
    for (const RenderRow& row : rows) {
        SCOPED_TRACE(row.name);
        ObjectFolder folder;
        const QString file = row.make(folder);
        IDicomDataSet ds;
        ds.LoadFile(file);
        EXPECT_EQ(ds.WindowModeFromAttributes(), row.mode);
        ds.SetWindowMode(ds.WindowModeFromAttributes());
        const QImage ours = ds.RenderFrame(row.frame);
        const QImage reference = folder.reference(row.tool, row.options, file);
        const int difference = dicomtest::MaxDifference(ours, reference);
        EXPECT_GE(difference, 0) << "size or kind differs";
        EXPECT_LE(difference, 1);
    }
}

TEST(FrameRendering, WindowChangesRenderFromTheDecodedFrame)
{
    ObjectFolder folder;
    const QString file = Io16(folder);
    IDicomDataSet ds;
    ds.LoadFile(file);
    auto renderer = ds.FrameRendererFor(0);
    renderer->setWindow(300, 200);
    const QImage narrow = renderer->render();
    renderer->setWindow(2048, 4096);
    const QImage wide = renderer->render();
    EXPECT_LE(dicomtest::MaxDifference(narrow, folder.reference("dcm2pnm", {"+Ww", "300", "200"}, file)), 1);
    EXPECT_LE(dicomtest::MaxDifference(wide, folder.reference("dcm2pnm", {"+Ww", "2048", "4096"}, file)), 1);
    EXPECT_GT(dicomtest::MaxDifference(narrow, wide), 1);
    EXPECT_THROW(ds.FrameRendererFor(1), dicom::DicomError);
}

} // namespace
