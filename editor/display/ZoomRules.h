#pragma once
// The editor's zoom rules: the fit factor, the wheel steps and keeping the
// picture point under the cursor in place.

#include <QPoint>
#include <QSize>

namespace editor {

inline constexpr double kWheelStep = 1.1;
inline constexpr double kMaxZoom = 10.0;

// The factor at which the whole picture fits the panel.
double FitFactor(QSize panel, QSize picture);

struct WheelZoom {
    double factor = 1.0;
    bool centre = false; // zoomed out to the fit: the picture is centred
};
// One wheel step of the main zoom: in multiplies by 1.1 unless that reaches
// 10; out divides by 1.1 but stops at the fit factor.
WheelZoom WheelMainZoom(double factor, double fit, bool in);
// One wheel step of the magnifier's zoom relative to the main one.
double WheelRelativeZoom(double relative, double fit, bool in);

// The port centre that shows `picturePoint` at `controlPoint` at `factor`.
QPoint CentreKeeping(QSize control, QPoint picturePoint, QPoint controlPoint, double factor);

} // namespace editor
