#pragma once
// UIDs and decimal strings as DICOM wants them.

#include <QString>

namespace dicom {

// A new UID under `root` (DCMTK's own root when empty): unique per call,
// never longer than 64 characters, never ending in ".".
QString NewUid(const QString& root = {});

// Whether a UID may name a file: digits and single dots only, at most 64
// characters. A UID from a peer can hold anything, "../.." included.
bool IsFileNameUid(const QString& uid);

// A DS value of at most 16 characters (e.g. 0.08466666666667).
QString DecimalString(double value);

} // namespace dicom
