#pragma once
// A picture whose every pixel names its own position, so a grabbed screen
// pixel tells which picture pixel was drawn there.

#include <QImage>
#include <QPoint>

namespace editortest {

inline QRgb CodeOf(int x, int y)
{
    return qRgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 4));
}

inline QPoint DecodeRgb(QRgb c)
{
    return QPoint(qRed(c) | ((qBlue(c) & 15) << 8), qGreen(c) | ((qBlue(c) >> 4) << 8));
}

inline QImage CodedImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = CodeOf(x, y);
    }
    return image;
}

} // namespace editortest
