// An image source's settings as they come from its row of DICOMSERVERS or
// DICOMDIRS.

#include "images/ImageHandler.h"
#include "images/KxVirtualTable.h"

#include <QSqlField>

#include <gtest/gtest.h>

namespace images {
namespace {

class SettingsOnly : public ImageHandler {
public:
    std::unique_ptr<BasicImageData> GetImage(const QString&, const QString&, const QString&,
                                             const QString&, bool) override { return nullptr; }
    std::unique_ptr<BasicImageData> GetDicomObjectWithMOVE(const QString&, const QString&, const QString&,
                                                           const QString&, bool) override { return nullptr; }
    std::shared_ptr<IDicomDataSet> GetDicomThumbImage(const QString&, const QString&, const QString&,
                                                      const QString&, ImageHandler*&, QString&) override
    {
        return nullptr;
    }
    int GetImageCount(const QString&) override { return 0; }
    ImageDataList GetAllDataSets(const QStringList&, const QStringList&, bool, bool) override { return {}; }
    ImageDataList GetImages(void*, const QString&, const QString&, bool, int) override { return {}; }
    QStringList GetImageTypes(const QString&, const QStringList&, const QStringList&) override { return {}; }
    void GetDataSet(const QString&, const QStringList&, TKxVirtualTable&) override {}
};

// A row with the given columns; a null QVariant is a NULL value.
QSqlRecord Row(std::initializer_list<std::pair<const char*, QVariant>> columns)
{
    QSqlRecord row;
    for (const auto& [name, value] : columns) {
        QSqlField field(name, value.isNull() ? QMetaType(QMetaType::QString) : value.metaType());
        field.setValue(value);
        row.append(field);
    }
    return row;
}

TEST(ImageHandlerTest, CreateDefaults)
{
    SettingsOnly h;
    EXPECT_EQ(h.PatientIdType, pidMedBindestreck);
    EXPECT_FALSE(h.TervalenPACS);
    EXPECT_FALSE(h.IncludeInMove);
    EXPECT_FALSE(h.ColorSpaceConversion);
    EXPECT_EQ(h.MAXPIXELDATASIZERGB, 0);
    EXPECT_EQ(h.RGB_LOSSYCOMPRESSION, 0);
    EXPECT_EQ(h.ThumbType, ttHelaBilden);
}

TEST(ImageHandlerTest, FullServerRow)
{
    SettingsOnly h;
    FillHandlerSettings(h,
                        Row({{"SERVERNAMN", "PACS 1"}, {"AUTOCONNECT", "T"}, {"LOPNR", 7},
                             {"PATIENTIDTYPE", 6}, {"FARG", 0x0000FF}, {"GETONLYTHUMBS", "M"},
                             {"IFNOTHUMBGETIMAGE", "T"}, {"INCLUDEINBILDRAPPORT", "T"},
                             {"MAXPIXELDATASIZERGB", 1000}, {"MAXPIXELDATASIZERTG", 2000},
                             {"M_TRANSFERSYNTAX", QVariant()}, {"M_LOSSYCOMPRESSION", 3},
                             {"RGB_TRANSFERSYNTAX", 4}, {"RGB_LOSSYCOMPRESSION", 5},
                             {"COLORSPACECONVERSION", "F"}, {"COLORSPACECONVERSIONRGB", QVariant()},
                             {"INCLUDEINBILDGRUPPERING", "F"}, {"INCLUDEINMOVE", "T"}, {"DOSTORE", "T"}}),
                        HandlerTable::DicomServers, QSqlDatabase());
    EXPECT_EQ(h.servernamn, "PACS 1");
    EXPECT_TRUE(h.AutoConnect);
    EXPECT_EQ(h.uniktnr, 7);
    EXPECT_EQ(h.PatientIdType, pidUtanBindestreck);
    EXPECT_TRUE(h.TervalenPACS);
    EXPECT_EQ(h.color, 0x0000FFu);
    EXPECT_EQ(h.ThumbType, ttEndastInfo);
    EXPECT_TRUE(h.Ifnothumbgetimage);
    EXPECT_FALSE(h.IncludeInthumbnailsearch); // servers never
    EXPECT_TRUE(h.Ifonlyinfo_thumbgetimage);
    EXPECT_EQ(h.MAXPIXELDATASIZERGB, 1000);
    EXPECT_EQ(h.MAXPIXELDATASIZERTG, 2000);
    EXPECT_EQ(h.M_TRANSFERSYNTAX, 25); // NULL
    EXPECT_EQ(h.M_LOSSYCOMPRESSION, 3);
    EXPECT_EQ(h.RGB_TRANSFERSYNTAX, 4);
    EXPECT_EQ(h.RGB_LOSSYCOMPRESSION, 5);
    EXPECT_FALSE(h.ColorSpaceConversion);
    EXPECT_TRUE(h.ColorSpaceConversionRGB); // NULL is not "F"
    EXPECT_FALSE(h.IncludeInBildGruppering);
    EXPECT_TRUE(h.IncludeInMove);
    EXPECT_TRUE(h.DoStore);
}

TEST(ImageHandlerTest, OldServerRowTakesTheDefaults)
{
    SettingsOnly h;
    FillHandlerSettings(h,
                        Row({{"SERVERNAMN", "Gammal"}, {"INCLUDEINMOVE", "F"}, {"DOSTORE", "T"},
                             {"RGB_TRANSFERSYNTAX", 9}}),
                        HandlerTable::DicomServers, QSqlDatabase());
    // Without INCLUDEINBILDGRUPPERING the other two are not read either.
    EXPECT_TRUE(h.IncludeInBildGruppering);
    EXPECT_TRUE(h.IncludeInMove);
    EXPECT_FALSE(h.DoStore);
    // Without M_TRANSFERSYNTAX none of the four is read.
    EXPECT_EQ(h.RGB_TRANSFERSYNTAX, 0);
    EXPECT_TRUE(h.ColorSpaceConversion);
    EXPECT_TRUE(h.ColorSpaceConversionRGB);
    EXPECT_TRUE(h.Ifonlyinfo_thumbgetimage);
    EXPECT_EQ(h.PatientIdType, pidMedBindestreck);
    EXPECT_EQ(h.ThumbType, ttHelaBilden);
}

TEST(ImageHandlerTest, DirectoryRow)
{
    SettingsOnly h;
    FillHandlerSettings(h,
                        Row({{"PATIENTIDTYPE", 2}, {"INCLUDEINBILDRAPPORT", QVariant()},
                             {"INCLUDEINMOVE", "F"}, {"GETONLYTHUMBS", "T"}}),
                        HandlerTable::DicomDirs, QSqlDatabase());
    EXPECT_EQ(h.PatientIdType, pidBoth);
    EXPECT_FALSE(h.TervalenPACS);
    EXPECT_TRUE(h.IncludeInthumbnailsearch);
    EXPECT_FALSE(h.Ifonlyinfo_thumbgetimage); // folders never
    EXPECT_TRUE(h.IncludeInBildGruppering);   // read even when missing: not "F"
    EXPECT_FALSE(h.IncludeInMove);
    EXPECT_FALSE(h.DoStore);
    EXPECT_EQ(h.ThumbType, ttEndastThumbnail);

    FillHandlerSettings(h, Row({{"INCLUDEINBILDRAPPORT", "F"}}), HandlerTable::DicomDirs, QSqlDatabase());
    EXPECT_FALSE(h.IncludeInthumbnailsearch);
}

TEST(ImageHandlerTest, PatientIdTypes)
{
    struct Case {
        HandlerTable table;
        int value;
        TPatientIdType type;
        bool pacs;
    } cases[] = {
        {HandlerTable::DicomServers, 0, pidMedBindestreck, false},
        {HandlerTable::DicomServers, 2, pidBoth, false},
        {HandlerTable::DicomServers, 5, pidMedBindestreck, true},
        {HandlerTable::DicomServers, 7, pidBoth, true},
        {HandlerTable::DicomServers, 9, pidMedBindestreck, true}, // unknown type
        {HandlerTable::DicomServers, 3, pidMedBindestreck, false},
        {HandlerTable::DicomServers, -1, pidMedBindestreck, false},
        {HandlerTable::DicomDirs, 1, pidUtanBindestreck, false},
        {HandlerTable::DicomDirs, 6, pidMedBindestreck, false}, // used unchanged: unknown
    };
    for (const Case& c : cases) {
        SettingsOnly h;
        FillHandlerSettings(h, Row({{"PATIENTIDTYPE", c.value}}), c.table, QSqlDatabase());
        EXPECT_EQ(h.PatientIdType, c.type) << c.value;
        EXPECT_EQ(h.TervalenPACS, c.pacs) << c.value;
    }
}

TEST(ImageHandlerTest, ColumnNamesCompareWithoutCase)
{
    SettingsOnly h;
    FillHandlerSettings(h, Row({{"servernamn", "pg"}, {"autoconnect", "T"}}), HandlerTable::DicomDirs,
                        QSqlDatabase());
    EXPECT_EQ(h.servernamn, "pg");
    EXPECT_TRUE(h.AutoConnect);
}

} // namespace
} // namespace images
