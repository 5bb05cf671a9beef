#pragma once
// How an object's grey values are windowed for display.

#include <QString>

namespace dicom {

enum class WindowMode {
    Default = 0,   // no window: the whole value range
    Stored = 1,    // the object's first stored window (min-max when it has none)
    Automatic = 2, // the minimum and maximum of the frame
};

// The mode for an object from its Window Center & Width Explanation, Bits
// Stored, Window Center and Window Width texts. "DEFAULT", "MANUAL" and
// "AUTOMATIC" choose directly. Otherwise the stored window is used when the
// first centre and width values are real numbers, the width is at least 1 and
// the centre is not 2^BitsStored (a window over the full range is the default
// anyway). Negative, fractional and multi-valued windows count.
WindowMode WindowModeFor(const QString& explanation, const QString& bitsStored,
                         const QString& center, const QString& width);

} // namespace dicom
