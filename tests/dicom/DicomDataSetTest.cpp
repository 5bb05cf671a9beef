// The dataset on DCMTK: transfer-syntax codes, the dictionary, values and
// their character sets, writing in every syntax and dropped pixels.

#include "TestObjects.h"

#include "dicom/DicomDataSet.h"
#include "dicom/DicomSetup.h"
#include "dicom/TextValues.h"
#include "dicom/TransferSyntax.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>

#include <gtest/gtest.h>

using dicom::PackTag;
using dicomtest::ObjectFolder;
using dicomtest::PixelSpec;

namespace {

// Every code against the UID of the syntax it stands for.
struct CodeRow {
    int code;
    const char* uid;
};

constexpr CodeRow kCodes[] = {
    {0, "1.2.840.10008.1.2"},         {2, "1.2.840.10008.1.2.1"},       {3, "1.2.840.10008.1.2.2"},
    {4, "1.2.840.10008.1.2.4.50"},    {5, "1.2.840.10008.1.2.4.51"},    {6, "1.2.840.10008.1.2.4.52"},
    {7, "1.2.840.10008.1.2.4.53"},    {8, "1.2.840.10008.1.2.4.54"},    {9, "1.2.840.10008.1.2.4.55"},
    {10, "1.2.840.10008.1.2.4.56"},   {11, "1.2.840.10008.1.2.4.57"},   {12, "1.2.840.10008.1.2.4.58"},
    {13, "1.2.840.10008.1.2.4.59"},   {14, "1.2.840.10008.1.2.4.60"},   {15, "1.2.840.10008.1.2.4.61"},
    {16, "1.2.840.10008.1.2.4.62"},   {17, "1.2.840.10008.1.2.4.63"},   {18, "1.2.840.10008.1.2.4.64"},
    {19, "1.2.840.10008.1.2.4.65"},   {20, "1.2.840.10008.1.2.4.66"},   {21, "1.2.840.10008.1.2.4.70"},
    {22, "1.2.840.10008.1.2.5"},      {23, "1.2.840.10008.1.2.4.80"},   {24, "1.2.840.10008.1.2.4.81"},
    {25, "1.2.840.10008.1.2.1.99"},   {26, "1.2.840.10008.1.2.4.90"},   {27, "1.2.840.10008.1.2.4.91"},
    {28, "1.2.840.10008.1.2.4.100"},  {29, "1.2.840.10008.1.2.4.92"},   {30, "1.2.840.10008.1.2.4.93"},
};

TEST(TransferSyntaxCodes, EveryCodeNamesItsSyntaxAndComesBack)
{
    for (const CodeRow& row : kCodes) {
        SCOPED_TRACE(row.code);
        const E_TransferSyntax xfer = dicom::ToDcmtkTransferSyntax(row.code);
        EXPECT_STREQ(DcmXfer(xfer).getXferID(), row.uid);
        EXPECT_EQ(dicom::FromDcmtkTransferSyntax(xfer), row.code);
    }
    // Big endian implicit has no UID of its own; it still goes both ways.
    EXPECT_EQ(dicom::FromDcmtkTransferSyntax(dicom::ToDcmtkTransferSyntax(1)), 1);
    EXPECT_EQ(dicom::ToDcmtkTransferSyntax(-1), EXS_Unknown);
    EXPECT_STREQ(dicom::TransferSyntaxCodeName(25), "DeflatedLittleEndianExplicit");
}

TEST(TransferSyntaxCodes, UnknownCodesAndSyntaxesAreRefused)
{
    for (int code : {-2, 31, 255, -1000})
        EXPECT_THROW(dicom::ToDcmtkTransferSyntax(code), dicom::UnknownTransferSyntax) << code;
    for (E_TransferSyntax xfer : {EXS_JPIPReferenced, EXS_MPEG4HighProfileLevel4_1, EXS_HEVCMainProfileLevel5_1})
        EXPECT_FALSE(dicom::FromDcmtkTransferSyntax(xfer).has_value()) << xfer;
}

TEST(DicomDictionary, LoadsAndNamesTags)
{
    ASSERT_TRUE(dicom::DictionaryLoaded());
    IDicomDataSet ds;
    EXPECT_EQ(ds.GetName(0x0010, 0x0010), "PatientName");
    int group = 0;
    int element = 0;
    ASSERT_TRUE(ds.TagByKeyword("StudyDate", group, element));
    EXPECT_EQ(group, 0x0008);
    EXPECT_EQ(element, 0x0020);
    EXPECT_FALSE(ds.TagByKeyword("", group, element));
    EXPECT_FALSE(ds.TagByKeyword("NoSuchKeyword", group, element));
    EXPECT_EQ(ds.GetVR(0x0010, 0x0010), EVR_PN);
    EXPECT_EQ(ds.GetVR(0x0020, 0x4000), EVR_LT);
}

TEST(DicomDataSet, ValuesAreSetKeptAndRead)
{
    IDicomDataSet ds;
    ds.SetValue(0x0010, 0x0020, "191212121212", true);
    ds.SetValue(0x0010, 0x0020, "other", false);
    EXPECT_EQ(ds.GetValue(0x0010, 0x0020), "191212121212");
    ds.SetValueByTag(PackTag(0x0010, 0x0020), "19121212-1212", true);
    EXPECT_EQ(ds.GetValueByTag(PackTag(0x0010, 0x0020)), "19121212-1212");

    ds.SetValue(0x0008, 0x0060, "", true); // a query key
    EXPECT_TRUE(ds.TagExists(PackTag(0x0008, 0x0060)));
    EXPECT_FALSE(ds.TagHasValue(PackTag(0x0008, 0x0060)));
    EXPECT_EQ(ds.GetValue(0x0008, 0x0060), "");

    ds.SetValue(0x0028, 0x0008, " 12 ", true);
    EXPECT_EQ(ds.GetIntByTag(PackTag(0x0028, 0x0008)), 12);
    ds.SetValue(0x0028, 0x1050, "-600\\40", true);
    EXPECT_EQ(ds.GetValue(0x0028, 0x1050), "-600\\40");
    EXPECT_THROW(ds.GetIntByTag(PackTag(0x0028, 0x0010)), dicom::DicomError);
    EXPECT_EQ(ds.IntValueOrZero(PackTag(0x0028, 0x0010)), 0);
}

// Stored bytes, the declared set, the text shown.
struct CharsetRow {
    const char* charset;
    QByteArray raw;
    QString shown;
};

TEST(DicomText, ValuesAreDecodedPerValueWithLatin1Fallback)
{
    const CharsetRow rows[] = {
        {"ISO_IR 100", "M\xfcller^\xc5sa", QStringLiteral(u"Müller^Åsa")},
        {"ISO_IR 192", "M\xc3\xbcller^\xc3\x85sa", QStringLiteral(u"Müller^Åsa")},
        // UTF-8 declared, Latin-1 stored: this value alone falls back.
        {"ISO_IR 192", "M\xfcller", QStringLiteral(u"Müller")},
        // A cut UTF-8 sequence.
        {"ISO_IR 192", "Ab\xc3", QStringLiteral(u"Ab\u00c3")},
        // No set declared: plain ASCII is the only valid content.
        {"", "\xd6rjan", QStringLiteral(u"Örjan")},
        {"", "Plain^Text", QStringLiteral("Plain^Text")},
        {"ISO_IR 144", "\xbf\xd5\xe2\xe0", QStringLiteral(u"Петр")},
    };
    for (const CharsetRow& row : rows) {
        SCOPED_TRACE(row.raw.toStdString());
        EXPECT_EQ(dicom::DecodeValue(row.raw, row.charset), row.shown);
    }
}

TEST(DicomText, ABadValueLeavesTheObjectAndItsBytesAlone)
{
    ObjectFolder folder;
    const QString file = folder.makeFromDump(
        "mixed.dcm", {"(0008,0005) CS [ISO_IR 192]", "(0008,0016) UI =SecondaryCaptureImageStorage",
                      "(0008,0018) UI [1.2.3.4]", "(0008,1030) LO [\xc3\x85rskontroll]"});
    // dump2dcm takes the dump's bytes as they stand: put a Latin-1 name in.
    DcmFileFormat raw;
    ASSERT_TRUE(raw.loadFile(file.toLocal8Bit().constData()).good());
    raw.getDataset()->putAndInsertString(DCM_PatientName, "Str\xf6m^P\xe4r");
    ASSERT_TRUE(raw.saveFile(file.toLocal8Bit().constData(), EXS_LittleEndianExplicit).good());

    IDicomDataSet ds;
    ds.LoadFile(file);
    EXPECT_EQ(ds.GetValue(0x0010, 0x0010), QStringLiteral(u"Ström^Pär"));
    EXPECT_EQ(ds.GetValue(0x0008, 0x1030), QStringLiteral(u"Årskontroll"));
    EXPECT_EQ(ds.GetValue(0x0008, 0x0005), "ISO_IR 192");
    const char* stored = nullptr;
    ds.Dataset().findAndGetString(DCM_PatientName, stored);
    EXPECT_STREQ(stored, "Str\xf6m^P\xe4r");
    // A new value goes in as the declared set wants it.
    ds.SetValue(0x0010, 0x0010, QStringLiteral(u"Åberg^Ola"), true);
    ds.Dataset().findAndGetString(DCM_PatientName, stored);
    EXPECT_STREQ(stored, "\xc3\x85" "berg^Ola");
}

TEST(DicomDataSet, WritesEveryLosslessSyntaxWithThePixelsIntact)
{
    ObjectFolder folder;
    PixelSpec spec;
    spec.rows = 6;
    spec.columns = 9;
    const QString source = folder.make("source.dcm", spec);
    IDicomDataSet original;
    original.LoadFile(source);
    original.SetWindowMode(dicom::WindowMode::Automatic);
    const QImage expected = original.RenderFrame(0);

    for (int code : {0, 2, 3, 11, 21, 22, 23, 25}) {
        SCOPED_TRACE(code);
        IDicomDataSet ds;
        ds.LoadFile(source);
        const QString out = folder.path(QStringLiteral("out%1.dcm").arg(code));
        ds.SaveToFile(out, code);
        IDicomDataSet back;
        back.LoadFile(out);
        EXPECT_EQ(back.GetArrivalTransferSyntax(), code);
        back.SetWindowMode(dicom::WindowMode::Automatic);
        EXPECT_EQ(dicomtest::MaxDifference(back.RenderFrame(0), expected), 0);
    }
    IDicomDataSet ds;
    ds.LoadFile(source);
    EXPECT_THROW(ds.SaveToFile(folder.path("bad.dcm"), 31), dicom::UnknownTransferSyntax);
}

TEST(DicomDataSet, DroppedPixelsAreNeverWrittenOrRendered)
{
    ObjectFolder folder;
    PixelSpec spec;
    spec.bitsAllocated = 8;
    spec.bitsStored = 8;
    const QString source = folder.make("px.dcm", spec);
    IDicomDataSet ds;
    ds.LoadFile(source);
    ASSERT_FALSE(ds.RenderFrame(0).isNull());
    ds.SetByteArrayByTag(PackTag(0x7FE0, 0x0010), {}, true);
    EXPECT_TRUE(ds.PixelsDropped());
    // The syntax keeps its meaning: a dropped object is not "JPEG-LS lossy".
    EXPECT_EQ(ds.GetTransferSyntax(), 2);
    EXPECT_THROW(ds.SaveToFile(source, 2), dicom::DicomError);
    EXPECT_THROW(ds.RenderFrame(0), dicom::DicomError);
    IDicomDataSet again;
    again.LoadFile(source);
    EXPECT_FALSE(again.RenderFrame(0).isNull());
}

} // namespace
