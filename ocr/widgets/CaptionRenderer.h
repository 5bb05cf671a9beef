#pragma once
// Draws personal numbers the way the clinic program's windows do, with the
// free fonts that stand in for its fonts: the training tool learns from these
// pictures, the accuracy benchmark reads them back, and a simulator can show
// them.

#include "ocr/core/CaptureCleaning.h"
#include "ocr/core/Image.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QSize>
#include <QString>

namespace ocr {

enum class Smoothing {
    Aliased,  // no font smoothing: every pixel is text or background
    SubPixel, // sub-pixel (ClearType-like) smoothing with colour fringes
};

// The font that stands in for each stored network's font.
QFont NetworkFont(int network);
Smoothing NetworkSmoothing(int network);
StripKind NetworkStripKind(int network);

// Draws text with its baseline origin at origin (fractional x allowed for
// sub-pixel smoothing) into a picture of the given size.
Image RenderText(const QString& text, const QFont& font, Smoothing smoothing, QSize size,
                 QPointF origin, QColor background, QColor foreground);

// The ink box of text drawn at origin (0, 0), in pixels relative to the origin.
QRect InkBox(const QString& text, const QFont& font);

// Where the number's baseline origin goes so that its hyphen lies in the area
// the strip cleaning paints white, for a strip whose top-left is stripOrigin.
// A number without hyphen starts near the strip's left edge.
QPointF NumberOrigin(const QString& number, int network, QPoint stripOrigin);

inline constexpr int kCaptionBarHeight = 24;

// A caption bar of the given width with the number placed for strip offset b.
Image RenderCaptionBar(const QString& number, int width, int offset, bool clearType,
                       QColor background, QColor foreground);
// The appointment window area (89 x 12 at (37, 22)) drawn into a window of size.
Image RenderAppointmentWindow(const QString& number, QSize size, QColor background,
                              QColor foreground);

} // namespace ocr
