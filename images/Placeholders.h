#pragma once
// The pictures an image draws instead of its own: black bitmaps with a short
// text, word-wrapped and centred from the top, in bold Times New Roman (or
// the closest serif font installed). Drawing errors are ignored.

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

namespace images {

// Size of the small placeholders, and the default of the message one.
inline constexpr QSize kPlaceholderSize{105, 92};
inline constexpr QSize kMessagePlaceholderSize{450, 400};

// The placeholder font at a point size (96 dpi): bold Times New Roman, or
// Liberation Serif where that is not installed.
QFont PlaceholderFont(int points);

// "No preview available" in aqua, 12 points; 105 x 92. `bits32` gives a
// Format_ARGB32 bitmap, otherwise 24 bits.
void DrawNoPreviewPlaceholder(QImage& bitmap, bool bits32);
// A message in red, 10 points. A width or height of 0 takes the default
// (450 x 400).
void DrawMessagePlaceholder(QImage& bitmap, const QString& message, QSize size);
// The same in 32 bits, always 105 x 92.
void DrawMessagePlaceholder32(QImage& bitmap, const QString& message);
// Says that a DICOM image was not fetched; 105 x 92, 24 bits.
void DrawNotFetchedPlaceholder(QImage& bitmap);

} // namespace images
