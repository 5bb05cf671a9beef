#include "images/StretchDraw.h"

namespace images {

void StretchDrawHalftone(QPainter& canvas, const QRect& target, const QImage& bitmap)
{
    const QRect rect = target.normalized();
    if (rect.isEmpty() || bitmap.isNull())
        return;
    // Shrinking averages whole blocks of pixels (as half-tone stretching
    // does); plain filtering would drop most of them.
    const bool shrinking = rect.width() < bitmap.width() || rect.height() < bitmap.height();
    canvas.save();
    canvas.setRenderHint(QPainter::SmoothPixmapTransform);
    canvas.drawImage(rect, shrinking ? bitmap.scaled(rect.size(), Qt::IgnoreAspectRatio,
                                                     Qt::SmoothTransformation)
                                     : bitmap);
    canvas.restore();
}

} // namespace images
