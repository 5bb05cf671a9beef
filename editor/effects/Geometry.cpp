#include "Geometry.h"

#include "PixelAccess.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace effects {

using namespace detail;

namespace {

// Round to nearest with halves to even in a form the compiler vectorises
// (valid for |v| < 2^51 under the default rounding mode).
inline double roundEven(double v)
{
    constexpr double magic = 6755399441055744.0; // 1.5 * 2^52
    return (v + magic) - magic;
}

struct RotateMapping {
    double c = 1, s = 0;
    int ox = 0, oy = 0;
    QSize size;
};

RotateMapping rotateMapping(QSize source, double angle, bool enlarge)
{
    RotateMapping m;
    const double theta = -angle * std::numbers::pi / 180;
    m.c = std::cos(theta);
    m.s = std::sin(theta);
    m.size = source;
    if (!enlarge)
        return m;
    const int w = source.width(), h = source.height();
    const int corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int k = 0; k < 4; ++k) {
        const double i2 = 2.0 * corners[k][0] + 1, j2 = 2.0 * corners[k][1] + 1;
        const int x = (rnd(i2 * m.c - j2 * m.s) - 1) / 2;
        const int y = (rnd(i2 * m.s + j2 * m.c) - 1) / 2;
        minX = k == 0 ? x : std::min(minX, x);
        maxX = k == 0 ? x : std::max(maxX, x);
        minY = k == 0 ? y : std::min(minY, y);
        maxY = k == 0 ? y : std::max(maxY, y);
    }
    m.size = QSize(maxX - minX, maxY - minY);
    m.ox = (m.size.width() - w) / 2;
    m.oy = (m.size.height() - h) / 2;
    return m;
}

struct Pixel24 {
    uint8_t bytes[3];
};
static_assert(sizeof(Pixel24) == 3);

// Nearest-neighbour rotation of Pixel rows; out already has the mapping's size.
template <class Pixel>
void rotatePixels(const QImage& in, QImage& out, const RotateMapping& m, int cx, int cy, Pixel background,
                  const Progress& progress)
{
    const int w = in.width(), h = in.height();
    const int outW = out.width(), outH = out.height();
    const uint8_t* const bits = in.constBits();
    const qsizetype bpl = in.bytesPerLine();
    std::vector<int> columns(outW), rows(outW);
    const RowProgress report(progress, outH);
    for (int y = outH - 1; y >= 0; --y) {
        report(outH - y);
        const double v = (y - cy - m.oy) * 2.0 + 1;
        const double sv = m.s * v, cv = m.c * v;
        const int u0 = (-cx - m.ox) * 2 + 1;
        int* col = columns.data();
        int* row = rows.data();
        for (int x = 0; x < outW; ++x) {
            const double u = u0 + 2 * x;
            col[x] = cx + (int(roundEven(m.c * u - sv)) - 1) / 2;
            row[x] = cy + (int(roundEven(m.s * u + cv)) - 1) / 2;
        }
        auto* d = reinterpret_cast<Pixel*>(out.scanLine(y));
        for (int x = 0; x < outW; ++x) {
            if (unsigned(col[x]) < unsigned(w) && unsigned(row[x]) < unsigned(h))
                d[x] = reinterpret_cast<const Pixel*>(bits + row[x] * bpl)[col[x]];
            else
                d[x] = background;
        }
    }
}

// Centres far off the image only produce background; limiting them keeps the
// coordinate arithmetic inside int.
constexpr int kCentreLimit = 1 << 24;
int limitCentre(int c) { return std::clamp(c, -kCentreLimit, kCentreLimit); }

} // namespace

void Rotate(const QImage& src, QImage& dst, double angle, const Progress& progress, TColor background, bool enlarge,
            int centreRow, int centreColumn)
{
    const QImage in = as24(src);
    const RotateMapping m = rotateMapping(in.size(), angle, enlarge);
    QImage out = target24(dst, m.size);
    const Pixel24 fill{{uint8_t(background >> 16), uint8_t(background >> 8), uint8_t(background)}};
    rotatePixels(in, out, m, limitCentre(centreColumn), limitCentre(centreRow), fill, progress);
    dst = std::move(out);
}

void Rotate32(const QImage& src, QImage& dst, double angle, int centreColumn, int centreRow, bool enlarge,
              QRgb background, const Progress& progress)
{
    const QImage in = as32(src);
    const RotateMapping m = rotateMapping(in.size(), angle, enlarge);
    QImage out = checked(QImage(m.size, kFormat32), m.size);
    rotatePixels<quint32>(in, out, m, limitCentre(centreColumn), limitCentre(centreRow), background, progress);
    dst = std::move(out);
}

void FlipVertical(const QImage& src, QImage& dst, const Progress& progress)
{
    const QImage in = as24(src);
    QImage out = target24(dst, in.size());
    const RowProgress report(progress, in.height());
    const qsizetype rowBytes = qsizetype(in.width()) * 3;
    for (int y = 0; y < in.height(); ++y) {
        report(y);
        std::memcpy(out.scanLine(y), in.constScanLine(in.height() - 1 - y), rowBytes);
    }
    dst = std::move(out);
}

void FlipHorizontal(const QImage& src, QImage& dst, const Progress& progress)
{
    const QImage in = as24(src);
    QImage out = target24(dst, in.size());
    const RowProgress report(progress, in.height());
    const int w = in.width();
    for (int y = 0; y < in.height(); ++y) {
        report(y);
        const auto* s = reinterpret_cast<const Pixel24*>(in.constScanLine(y));
        auto* d = reinterpret_cast<Pixel24*>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            d[x] = s[w - 1 - x];
    }
    dst = std::move(out);
}

void FitToBox(const QImage& src, QImage& dst, int boxWidth, int boxHeight, bool keepSmall, TColor background,
              bool centre)
{
    const QSize box(std::max(boxWidth, 0), std::max(boxHeight, 0));
    QImage canvas = checked(QImage(box, QImage::Format_RGB32), box);
    canvas.fill(QColor(int(background & 0xFF), int((background >> 8) & 0xFF), int((background >> 16) & 0xFF)));
    const int w = src.width(), h = src.height();
    if (w > 0 && h > 0 && !box.isEmpty()) {
        QPainter painter(&canvas);
        if (keepSmall && w < box.width() && h < box.height()) {
            painter.drawImage(QPoint((box.width() - w) / 2, (box.height() - h) / 2), src);
        } else {
            QSize drawn;
            if (h >= w)
                drawn = QSize(std::max(1, rnd(double(w) * box.height() / h)), box.height());
            else
                drawn = QSize(box.width(), std::max(1, rnd(double(h) * box.width() / w)));
            const QPoint at = centre ? QPoint(rnd((box.width() - drawn.width()) / 2.0),
                                              rnd((box.height() - drawn.height()) / 2.0))
                                     : QPoint(0, 0);
            painter.drawImage(QRect(at, drawn), src);
        }
    }
    dst = checked(canvas.convertToFormat(kFormat24), box);
}

} // namespace effects
