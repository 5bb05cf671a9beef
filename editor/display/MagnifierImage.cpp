#include "editor/display/MagnifierImage.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace editor {

namespace {

constexpr int kMaxMipLevels = 3;

QFont DateFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("DejaVu Serif")});
    font.setPointSize(10);
    return font;
}

} // namespace

QImage OpaqueView(const QImage& image)
{
    if (image.format() != QImage::Format_ARGB32)
        return image;
    return QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                  QImage::Format_RGB32);
}

TMagnifierImage::TMagnifierImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(true);
}

void TMagnifierImage::SetSourceBitmap(const QImage* bitmap)
{
    m_bitmap = bitmap;
    m_mips.clear();
    update();
}

void TMagnifierImage::ImageChanged()
{
    m_mips.clear();
    update();
}

void TMagnifierImage::SetFactor(double factor)
{
    if (!(factor > 0) || factor == m_factor)
        return;
    m_factor = factor;
    update();
}

void TMagnifierImage::SetPortCenter(QPoint centre)
{
    if (centre == m_pos)
        return;
    m_pos = centre;
    update();
}

void TMagnifierImage::SetSmooth(bool smooth)
{
    m_smooth = smooth;
    update();
}

QPoint TMagnifierImage::GetBitmapPoint(QPoint controlPoint) const
{
    return BitmapPoint(size(), m_pos, m_factor, controlPoint);
}

PortLayout TMagnifierImage::Layout() const
{
    if (!m_bitmap)
        return {};
    return ComputePort(size(), m_bitmap->size(), m_pos, m_factor);
}

void TMagnifierImage::SetExtraBitmap(const QImage* lens, QPoint at)
{
    m_extrabitmap = lens;
    m_ExtraPoint = at;
}

QRect TMagnifierImage::LensRect() const
{
    if (!m_extrabitmap || m_extrabitmap->isNull())
        return {};
    const QRect drawn = Layout().target;
    QRect lens(m_ExtraPoint - QPoint(m_extrabitmap->width() / 2, m_extrabitmap->height() / 2),
               m_extrabitmap->size());
    // Pushed inside the drawn area where it fits.
    if (lens.right() > drawn.right())
        lens.moveRight(drawn.right());
    if (lens.bottom() > drawn.bottom())
        lens.moveBottom(drawn.bottom());
    if (lens.left() < drawn.left())
        lens.moveLeft(drawn.left());
    if (lens.top() < drawn.top())
        lens.moveTop(drawn.top());
    return lens;
}

void TMagnifierImage::SetShowViewPortRect(bool show)
{
    m_showViewPortRect = show;
    update();
}

void TMagnifierImage::SetViewPortRect(const QRect& rect)
{
    m_viewPortRect = rect;
    update();
}

void TMagnifierImage::SetFileDate(const QString& text)
{
    m_datum = text;
    update();
}

const QImage* TMagnifierImage::MipFor(double factor, int& level)
{
    level = 0;
    while (level < kMaxMipLevels && factor * double(2 << level) <= 1.0)
        ++level;
    if (level == 0)
        return m_bitmap;
    if (m_mipKey != m_bitmap->cacheKey())
        m_mips.clear();
    while (int(m_mips.size()) < level) {
        const QImage& from = m_mips.empty() ? *m_bitmap : m_mips.back();
        const QSize half(std::max(1, from.width() / 2), std::max(1, from.height() / 2));
        m_mips.push_back(OpaqueView(from).scaled(half, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32));
    }
    m_mipKey = m_bitmap->cacheKey();
    return &m_mips[std::size_t(level - 1)];
}

void TMagnifierImage::PaintTo(QPainter& painter)
{
    if (!m_bitmap || m_bitmap->isNull())
        return;
    const PortLayout layout = Layout();
    if (!layout.empty()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_smooth);
        int level = 0;
        const QImage* source = m_smooth ? MipFor(m_factor, level) : m_bitmap;
        const double scale = 1.0 / double(1 << level);
        const QRectF port(layout.port.x() * scale, layout.port.y() * scale,
                          layout.port.width() * scale, layout.port.height() * scale);
        painter.drawImage(QRectF(layout.target), OpaqueView(*source), port);
        if (m_showViewPortRect && !m_viewPortRect.isNull()) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.setClipRect(layout.target);
            painter.drawRect(m_viewPortRect.translated(layout.target.topLeft()));
            painter.restore();
        }
    }
    if (const QRect lens = LensRect(); !lens.isEmpty()) {
        painter.save();
        if (m_shape == kLensCircle) {
            // The disc inside the lens rectangle, its border rows and columns
            // left out; a clip path, so red pixels of the lens stay.
            QPainterPath disc;
            disc.addEllipse(QRectF(lens).adjusted(1, 1, -1, -1));
            painter.setClipPath(disc);
        }
        painter.drawImage(lens.topLeft(), OpaqueView(*m_extrabitmap));
        painter.restore();
    }
    if (!m_datum.isEmpty()) {
        painter.save();
        painter.setFont(DateFont());
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(Qt::black);
        painter.setPen(Qt::white);
        const QString text = ' ' + m_datum + ' ';
        painter.drawText(QRect(6, 6, width(), height()), Qt::AlignLeft | Qt::AlignTop, text);
        painter.restore();
    }
}

void TMagnifierImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The display never fails visibly: a failed paint keeps what was there.
    try {
        PaintTo(painter);
    } catch (...) {
    }
}

} // namespace editor
