#include "editor/window/Scrambling.h"

namespace editor {

QImage ScramblePicture(const QImage& picture, qint32 value)
{
    // Rows of blue, green, red bytes padded to four bytes, as a DIB has them,
    // so a scrambled picture decodes wherever the rows are laid out that way.
    QImage rows = picture.convertToFormat(QImage::Format_BGR888);
    ScrambleStream stream{quint32(value)};
    const qsizetype stride = rows.bytesPerLine();
    for (int y = 0; y < rows.height(); ++y) {
        uchar* row = rows.scanLine(y);
        for (qsizetype i = 0; i < stride; ++i)
            row[i] ^= stream.next();
    }
    return rows.convertToFormat(QImage::Format_ARGB32);
}

} // namespace editor
