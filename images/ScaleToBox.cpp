#include "images/ScaleToBox.h"

#include "images/codecs/GraphicFormat.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace images {

namespace {

struct Span {
    int first;
    int count;
};

// Target index k covers source indices trunc(r*k) .. trunc(r*(k+1)) - 1, with
// r = source / target held in single precision. Every span keeps at least one
// source index inside the picture.
std::vector<Span> Spans(int source, int target)
{
    const float r = float(1.0 / (double(target) / double(source)));
    std::vector<Span> spans(target);
    for (int k = 0; k < target; ++k) {
        const int first = std::min(int(std::trunc(double(r) * k)), source - 1);
        const int end = std::clamp(int(std::trunc(double(r) * (k + 1))), first + 1, source);
        spans[k] = {first, end - first};
    }
    return spans;
}

// Mean of a block: sum * (65535 div pixels) >> 16, the integer reciprocal
// rule; blocks too large for it use a plain division.
quint64 Mean(quint64 sum, quint64 pixels)
{
    return pixels <= 65535 ? (sum * (65535 / pixels)) >> 16 : sum / pixels;
}

int Sharpen(int centre, int a, int b, int c, int d)
{
    return std::clamp((12 * centre - a - b - c - d) / 8, 0, 255);
}

// Sharpens in place, row by row from the top, leaving the border: the upper
// diagonals come from the row already sharpened.
void SharpenInPlace(QImage& image)
{
    const int width = image.width();
    for (int y = 1; y + 1 < image.height(); ++y) {
        const uchar* above = image.constScanLine(y - 1);
        const uchar* below = image.constScanLine(y + 1);
        uchar* row = image.scanLine(y);
        for (int x = 1; x + 1 < width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int i = 3 * x + c;
                row[i] = uchar(Sharpen(row[i], above[i - 3], above[i + 3], below[i - 3], below[i + 3]));
            }
    }
}

} // namespace

QSize BoxSize(QSize source, int box)
{
    const double w = source.width();
    const double h = source.height();
    if (w / h > h / w)
        return {box, std::max(1, int(std::nearbyint(box / (w / h))))};
    return {std::max(1, int(std::nearbyint(box / (h / w)))), box};
}

void ScaleToBox(const QImage& source, QImage& target, int box)
{
    const QImage picture = source.convertToFormat(kFormat24);
    if (picture.isNull() || box <= 0) {
        target = picture;
        return;
    }
    const QSize size = BoxSize(picture.size(), box);
    if (size.width() >= picture.width() && size.height() >= picture.height()) {
        target = picture;
        return;
    }

    const std::vector<Span> columns = Spans(picture.width(), size.width());
    const std::vector<Span> rows = Spans(picture.height(), size.height());
    // Rows of a span are first summed down each byte column (a straight,
    // vectorisable pass over the picture), then the columns of each span.
    // Up to 257 rows fit 16-bit sums, which halves the vector work.
    QImage result(size, kFormat24);
    const std::size_t rowBytes = std::size_t(picture.width()) * 3;
    std::vector<quint16> partialSums(rowBytes);
    std::vector<quint32> columnSums(rowBytes);
    const auto flush = [&] {
        for (std::size_t i = 0; i < rowBytes; ++i)
            columnSums[i] += partialSums[i];
        std::fill(partialSums.begin(), partialSums.end(), 0);
    };
    for (int ty = 0; ty < size.height(); ++ty) {
        std::fill(columnSums.begin(), columnSums.end(), 0);
        int pending = 0;
        for (int sy = rows[ty].first; sy < rows[ty].first + rows[ty].count; ++sy) {
            const uchar* in = picture.constScanLine(sy);
            quint16* sums = partialSums.data();
            for (std::size_t i = 0; i < rowBytes; ++i)
                sums[i] = quint16(sums[i] + in[i]);
            if (++pending == 257) {
                flush();
                pending = 0;
            }
        }
        flush();
        uchar* out = result.scanLine(ty);
        for (int tx = 0; tx < size.width(); ++tx) {
            const Span& column = columns[tx];
            quint64 sum[3] = {};
            for (int x = column.first; x < column.first + column.count; ++x)
                for (int c = 0; c < 3; ++c)
                    sum[c] += columnSums[std::size_t(x) * 3 + c];
            const quint64 pixels = quint64(column.count) * quint64(rows[ty].count);
            for (int c = 0; c < 3; ++c)
                out[3 * tx + c] = uchar(Mean(sum[c], pixels));
        }
    }
    if (result.height() > 2)
        SharpenInPlace(result);
    target = result;
}

} // namespace images
