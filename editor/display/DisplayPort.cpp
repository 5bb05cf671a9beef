#include "editor/display/DisplayPort.h"

#include <cmath>

namespace editor {

int RoundEven(double v)
{
    return int(std::nearbyint(v));
}

namespace {

struct Span {
    int start = 0;   // first picture pixel shown
    int end = 0;     // one past the last
    int drawFrom = 0; // control coordinate where the picture starts
    int drawTo = 0;   // control coordinate where it ends
    int outside = 0;  // the negative start when the port began before the picture
};

// One axis of the port: control length, picture length, centre, factor.
Span PortSpan(int control, int picture, int centre, double factor)
{
    Span s;
    const int half = RoundEven(control / 2.0 / factor);
    int start = centre - half;
    const bool clipped = start < 0;
    if (clipped) {
        s.drawFrom = RoundEven(-start * factor);
        s.outside = start;
        start = 0;
    }
    s.start = start;
    if (!clipped) {
        const double rest = picture - start;
        if (rest * factor >= control) {
            s.drawTo = control;
            s.end = start + RoundEven(control / factor);
        } else {
            s.end = RoundEven(start + rest);
            s.drawTo = RoundEven(rest * factor) + s.drawFrom;
        }
    } else {
        const int whole = RoundEven(factor * picture) + s.drawFrom;
        if (whole <= control) {
            s.drawTo = whole;
            s.end = picture;
        } else {
            s.drawTo = control;
            s.end = RoundEven((control - s.drawFrom) / factor);
        }
    }
    if (s.end > picture)
        s.end = picture;
    return s;
}

} // namespace

PortLayout ComputePort(QSize control, QSize picture, QPoint centre, double factor)
{
    PortLayout layout;
    if (!(factor > 0) || picture.isEmpty() || control.isEmpty())
        return layout;
    const Span x = PortSpan(control.width(), picture.width(), centre.x(), factor);
    const Span y = PortSpan(control.height(), picture.height(), centre.y(), factor);
    layout.bitmapLeft = x.outside;
    layout.bitmapTop = y.outside;
    if (x.end <= x.start || y.end <= y.start || x.drawTo <= x.drawFrom || y.drawTo <= y.drawFrom)
        return layout;
    layout.port = QRect(QPoint(x.start, y.start), QPoint(x.end - 1, y.end - 1));
    layout.target = QRect(QPoint(x.drawFrom, y.drawFrom), QPoint(x.drawTo - 1, y.drawTo - 1));
    return layout;
}

QPoint BitmapPoint(QSize control, QPoint centre, double factor, QPoint p)
{
    if (!(factor > 0))
        return centre;
    return QPoint(centre.x() - RoundEven((control.width() / 2 - p.x()) / factor),
                  centre.y() - RoundEven((control.height() / 2 - p.y()) / factor));
}

} // namespace editor
