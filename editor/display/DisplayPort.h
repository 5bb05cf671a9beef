#pragma once
// Where a zoomed picture lands in a display: the integer port arithmetic that
// the display, the annotations and the miniature view share. Annotations keep
// their positions in these exact integers, so the rounding here is part of
// the contract (halves to even, as everywhere in the editor).

#include <QPoint>
#include <QRect>
#include <QSize>

namespace editor {

struct PortLayout {
    QRect port;          // the picture rectangle shown (right/bottom exclusive)
    QRect target;        // where it is drawn in the control
    int bitmapLeft = 0;  // the port's left when it started left of the picture, else 0
    int bitmapTop = 0;
    bool empty() const { return port.isEmpty() || target.isEmpty(); }
};

// The port of a picture of `picture` size shown at `factor` screen pixels per
// picture pixel around `centre` in a control of `control` size.
PortLayout ComputePort(QSize control, QSize picture, QPoint centre, double factor);

// The picture point under a control point.
QPoint BitmapPoint(QSize control, QPoint centre, double factor, QPoint controlPoint);

// Nearest integer, halves to even.
int RoundEven(double v);

} // namespace editor
