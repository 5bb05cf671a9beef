#include "images/ImageHandler.h"

#include <QVariant>

#include <optional>

namespace images {

namespace {

// A column's text; none when the row has no such column. NULL reads as "".
std::optional<QString> Text(const QSqlRecord& row, const char* column)
{
    const int index = row.indexOf(QLatin1String(column));
    if (index < 0)
        return std::nullopt;
    return row.value(index).toString().trimmed();
}

std::optional<int> Integer(const QSqlRecord& row, const char* column)
{
    const int index = row.indexOf(QLatin1String(column));
    if (index < 0)
        return std::nullopt;
    return row.value(index).toInt();
}

// A flag that is on unless the column says "F"; a missing column keeps it.
void ReadUnlessF(bool& field, const QSqlRecord& row, const char* column)
{
    if (const auto text = Text(row, column))
        field = *text != "F";
}

void ReadIsT(bool& field, const QSqlRecord& row, const char* column)
{
    if (const auto text = Text(row, column))
        field = *text == "T";
}

void ReadInteger(int& field, const QSqlRecord& row, const char* column)
{
    if (const auto value = Integer(row, column))
        field = *value;
}

// Transfer syntaxes are 25 when NULL.
int TransferSyntax(const QSqlRecord& row, const char* column)
{
    const QVariant value = row.value(QLatin1String(column));
    return value.isNull() ? 25 : value.toInt();
}

void ReadPatientIdType(ImageHandler& handler, const QSqlRecord& row, HandlerTable table)
{
    const auto value = Integer(row, "PATIENTIDTYPE");
    if (!value)
        return;
    int type = *value;
    if (table == HandlerTable::DicomServers) {
        handler.TervalenPACS = type >= 5;
        if (handler.TervalenPACS)
            type -= 5;
    }
    handler.PatientIdType = type >= pidMedBindestreck && type <= pidBoth ? TPatientIdType(type)
                                                                        : pidMedBindestreck;
}

void ReadThumbType(ImageHandler& handler, const QSqlRecord& row)
{
    const auto text = Text(row, "GETONLYTHUMBS");
    if (!text)
        return;
    if (*text == "T")
        handler.ThumbType = ttEndastThumbnail;
    else if (*text == "M")
        handler.ThumbType = ttEndastInfo;
    else
        handler.ThumbType = ttHelaBilden;
}

} // namespace

void FillHandlerSettings(ImageHandler& handler, const QSqlRecord& row, HandlerTable table,
                         const QSqlDatabase& connection)
{
    if (const auto name = Text(row, "SERVERNAMN"))
        handler.servernamn = *name;
    ReadIsT(handler.AutoConnect, row, "AUTOCONNECT");
    ReadInteger(handler.uniktnr, row, "LOPNR");
    ReadPatientIdType(handler, row, table);
    if (const auto colour = Integer(row, "FARG"))
        handler.color = quint32(*colour);
    ReadThumbType(handler, row);
    ReadIsT(handler.Ifnothumbgetimage, row, "IFNOTHUMBGETIMAGE");
    ReadInteger(handler.MAXPIXELDATASIZERGB, row, "MAXPIXELDATASIZERGB");
    ReadInteger(handler.MAXPIXELDATASIZERTG, row, "MAXPIXELDATASIZERTG");
    if (row.contains(QStringLiteral("M_TRANSFERSYNTAX"))) {
        handler.M_TRANSFERSYNTAX = TransferSyntax(row, "M_TRANSFERSYNTAX");
        ReadInteger(handler.M_LOSSYCOMPRESSION, row, "M_LOSSYCOMPRESSION");
        handler.RGB_TRANSFERSYNTAX = TransferSyntax(row, "RGB_TRANSFERSYNTAX");
        ReadInteger(handler.RGB_LOSSYCOMPRESSION, row, "RGB_LOSSYCOMPRESSION");
    }
    handler.ColorSpaceConversion = true;
    handler.ColorSpaceConversionRGB = true;
    ReadUnlessF(handler.ColorSpaceConversion, row, "COLORSPACECONVERSION");
    ReadUnlessF(handler.ColorSpaceConversionRGB, row, "COLORSPACECONVERSIONRGB");

    // Grouping, moving and storing came into DICOMSERVERS together.
    const bool grouping = table == HandlerTable::DicomDirs ||
                          row.contains(QStringLiteral("INCLUDEINBILDGRUPPERING"));
    handler.IncludeInBildGruppering = true;
    handler.IncludeInMove = true;
    handler.DoStore = false;
    if (grouping) {
        handler.IncludeInBildGruppering = Text(row, "INCLUDEINBILDGRUPPERING").value_or("") != "F";
        handler.IncludeInMove = Text(row, "INCLUDEINMOVE").value_or("") != "F";
        handler.DoStore = Text(row, "DOSTORE").value_or("") == "T";
    }

    bool report = true;
    ReadUnlessF(report, row, "INCLUDEINBILDRAPPORT");
    handler.IncludeInthumbnailsearch = table == HandlerTable::DicomDirs && report;
    handler.Ifonlyinfo_thumbgetimage = table == HandlerTable::DicomServers && report;
    handler.AdoConnection = connection;
}

} // namespace images
