#pragma once
// The transfer-syntax codes −1 to 30 that the dataset, the DICOM image and the
// attribute window share, and DCMTK's syntaxes. The two numberings agree only
// up to RLE (22); above it they differ, so every conversion goes through the
// table and an unknown code is refused, never guessed.

#include <dcmtk/dcmdata/dcxfer.h>

#include <optional>
#include <stdexcept>

namespace dicom {

// The code a new DICOM image stores with: deflated explicit little endian.
inline constexpr int kDefaultTransferSyntaxCode = 25;

class UnknownTransferSyntax : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// DCMTK's syntax for a code; raises UnknownTransferSyntax outside the table.
E_TransferSyntax ToDcmtkTransferSyntax(int code);
// The code of a DCMTK syntax; none when the table has no code for it.
std::optional<int> FromDcmtkTransferSyntax(E_TransferSyntax xfer);
// The name the attribute window lists for a code ("DeflatedLittleEndianExplicit").
const char* TransferSyntaxCodeName(int code);

} // namespace dicom
