#include "dicom/WindowMode.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace dicom {

namespace {

// The first value of a multi-valued DS or IS text.
std::optional<double> FirstNumber(const QString& text)
{
    bool ok = false;
    const double value = text.section('\\', 0, 0).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

WindowMode WindowModeFor(const QString& explanation, const QString& bitsStored,
                         const QString& center, const QString& width)
{
    const QString named = explanation.section('\\', 0, 0).trimmed().toUpper();
    if (named == QLatin1String("DEFAULT"))
        return WindowMode::Default;
    if (named == QLatin1String("MANUAL"))
        return WindowMode::Stored;
    if (named == QLatin1String("AUTOMATIC"))
        return WindowMode::Automatic;

    bool ok = false;
    int bits = bitsStored.trimmed().toInt(&ok);
    if (!ok)
        bits = 8;
    const double fullRange = std::ldexp(1.0, std::clamp(bits, 1, 16));
    const std::optional<double> c = FirstNumber(center);
    const std::optional<double> w = FirstNumber(width);
    if (c && w && *w >= 1.0 && *c != fullRange)
        return WindowMode::Stored;
    return WindowMode::Default;
}

} // namespace dicom
