#pragma once
// Filter files: ".flf" holds one linear filter, ".fmf" one multi-pass filter.
// Each is a four-byte tag, the packed little-endian record and a 36-byte
// creator note. A multi-pass file refers to its passes by their positions in
// the built-in filter list.

#include "Filters.h"

#include <QByteArray>
#include <QString>

namespace effects {

// A file that cannot be opened, read or written.
class EFileStream : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr int kGraphicFilterRecordSize = 464;
constexpr int kMultiPassRecordSize = 222;

QByteArray EncodeGraphicFilter(const TGraphicFilter& filter);
// Overlays the bytes on the record's encoding: a short input leaves the rest as it was.
void DecodeGraphicFilter(const QByteArray& bytes, TGraphicFilter& filter);
QByteArray EncodeMultiPassFilter(const TMultiPassFilter& filter);
void DecodeMultiPassFilter(const QByteArray& bytes, TMultiPassFilter& filter);

// Throw EFileStream, or EGraphicEffects ("Not a valid linear filter file")
// when the tag does not match; the record is then unchanged.
void SaveLinearFilter(const QString& fileName, const TGraphicFilter& filter);
void LoadLinearFilter(const QString& fileName, TGraphicFilter& filter);
void SaveMultiPassFilter(const QString& fileName, const TMultiPassFilter& filter);
void LoadMultiPassFilter(const QString& fileName, TMultiPassFilter& filter);

} // namespace effects
