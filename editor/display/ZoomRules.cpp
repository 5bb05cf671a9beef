#include "editor/display/ZoomRules.h"

#include "editor/display/DisplayPort.h"

#include <algorithm>

namespace editor {

double FitFactor(QSize panel, QSize picture)
{
    if (panel.isEmpty() || picture.isEmpty())
        return 1.0;
    const double pictureAspect = double(picture.width()) / picture.height();
    const double panelAspect = double(panel.width()) / panel.height();
    return pictureAspect >= panelAspect ? double(panel.width()) / picture.width()
                                        : double(panel.height()) / picture.height();
}

WheelZoom WheelMainZoom(double factor, double fit, bool in)
{
    if (in) {
        const double next = factor * kWheelStep;
        return {next < kMaxZoom ? next : factor, false};
    }
    const double next = factor / kWheelStep;
    if (next <= fit)
        return {fit, true};
    return {next, false};
}

double WheelRelativeZoom(double relative, double fit, bool in)
{
    if (in) {
        const double next = relative * kWheelStep;
        return next < kMaxZoom ? next : relative;
    }
    return std::max(relative / kWheelStep, fit);
}

QPoint CentreKeeping(QSize control, QPoint picturePoint, QPoint controlPoint, double factor)
{
    return QPoint(picturePoint.x() + RoundEven((control.width() / 2 - controlPoint.x()) / factor),
                  picturePoint.y() + RoundEven((control.height() / 2 - controlPoint.y()) / factor));
}

} // namespace editor
