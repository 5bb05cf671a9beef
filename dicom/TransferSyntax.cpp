#include "dicom/TransferSyntax.h"

#include <iterator>
#include <string>

namespace dicom {

namespace {

struct Row {
    int code;
    E_TransferSyntax xfer;
    const char* name;
};

// Index = code + 1.
constexpr Row kTable[] = {
    {-1, EXS_Unknown, "Unknown"},
    {0, EXS_LittleEndianImplicit, "LittleEndianImplicit"},
    {1, EXS_BigEndianImplicit, "BigEndianImplicit"},
    {2, EXS_LittleEndianExplicit, "LittleEndianExplicit"},
    {3, EXS_BigEndianExplicit, "BigEndianExplicit"},
    {4, EXS_JPEGProcess1, "JPEGProcess1TransferSyntax"},
    {5, EXS_JPEGProcess2_4, "JPEGProcess2_4TransferSyntax"},
    {6, EXS_JPEGProcess3_5, "JPEGProcess3_5TransferSyntax"},
    {7, EXS_JPEGProcess6_8, "JPEGProcess6_8TransferSyntax"},
    {8, EXS_JPEGProcess7_9, "JPEGProcess7_9TransferSyntax"},
    {9, EXS_JPEGProcess10_12, "JPEGProcess10_12TransferSyntax"},
    {10, EXS_JPEGProcess11_13, "JPEGProcess11_13TransferSyntax"},
    {11, EXS_JPEGProcess14, "JPEGProcess14TransferSyntax"},
    {12, EXS_JPEGProcess15, "JPEGProcess15TransferSyntax"},
    {13, EXS_JPEGProcess16_18, "JPEGProcess16_18TransferSyntax"},
    {14, EXS_JPEGProcess17_19, "JPEGProcess17_19TransferSyntax"},
    {15, EXS_JPEGProcess20_22, "JPEGProcess20_22TransferSyntax"},
    {16, EXS_JPEGProcess21_23, "JPEGProcess21_23TransferSyntax"},
    {17, EXS_JPEGProcess24_26, "JPEGProcess24_26TransferSyntax"},
    {18, EXS_JPEGProcess25_27, "JPEGProcess25_27TransferSyntax"},
    {19, EXS_JPEGProcess28, "JPEGProcess28TransferSyntax"},
    {20, EXS_JPEGProcess29, "JPEGProcess29TransferSyntax"},
    {21, EXS_JPEGProcess14SV1, "JPEGProcess14SV1TransferSyntax"},
    {22, EXS_RLELossless, "RLELossless"},
    {23, EXS_JPEGLSLossless, "JPEGLSLossless"},
    {24, EXS_JPEGLSLossy, "JPEGLSLossy"},
    {25, EXS_DeflatedLittleEndianExplicit, "DeflatedLittleEndianExplicit"},
    {26, EXS_JPEG2000LosslessOnly, "JPEG2000LosslessOnly"},
    {27, EXS_JPEG2000, "JPEG2000"},
    {28, EXS_MPEG2MainProfileAtMainLevel, "MPEG2MainProfileAtMainLevel"},
    {29, EXS_JPEG2000MulticomponentLosslessOnly, "JPEG2000MulticomponentLosslessOnly"},
    {30, EXS_JPEG2000Multicomponent, "JPEG2000Multicomponent"},
};

const Row& RowOf(int code)
{
    if (code < kTable[0].code || code > std::rbegin(kTable)->code)
        throw UnknownTransferSyntax("Unknown transfer syntax code " + std::to_string(code));
    return kTable[code + 1];
}

} // namespace

E_TransferSyntax ToDcmtkTransferSyntax(int code)
{
    return RowOf(code).xfer;
}

std::optional<int> FromDcmtkTransferSyntax(E_TransferSyntax xfer)
{
    for (const Row& row : kTable)
        if (row.xfer == xfer)
            return row.code;
    return std::nullopt;
}

const char* TransferSyntaxCodeName(int code)
{
    return RowOf(code).name;
}

} // namespace dicom
