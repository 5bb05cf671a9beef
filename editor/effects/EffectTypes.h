#pragma once
// Types shared by every pixel operation: the progress callback, channel flags,
// the colour value handed to operations and the library's error.

#include <QtGlobal>

#include <functional>
#include <stdexcept>

namespace effects {

// Called with (minimum, maximum, position); an empty function means no report.
using Progress = std::function<void(int minimum, int maximum, int position)>;

// Red, green and blue (or the three components of the chosen colour space).
struct ChannelFlags {
    bool first = true;
    bool second = true;
    bool third = true;
    bool operator[](int i) const { return i == 0 ? first : i == 1 ? second : third; }
};

// A background colour as the platform hands it over: 0x00BBGGRR.
using TColor = quint32;

class EGraphicEffects : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace effects
