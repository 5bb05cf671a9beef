#include "editor/display/RogBevel.h"

#include <QPainter>

namespace editor {

namespace {

void Bevel(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

TRogBevel::TRogBevel(QWidget* parent) : QWidget(parent)
{
    resize(50, 50);
}

void TRogBevel::SetCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

void TRogBevel::SetStyle(Style style)
{
    m_style = style;
    update();
}

void TRogBevel::SetShape(Shape shape)
{
    m_shape = shape;
    update();
}

QRect TRogBevel::MoveRect() const
{
    const QRect inner = rect().adjusted(3, 3, -3, -3);
    return QRect(inner.right() - 29, inner.bottom() - 29, 30, 30);
}

void TRogBevel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor first = m_style == Raised ? light : dark;
    const QColor second = m_style == Raised ? dark : light;
    const QRect r = rect();
    switch (m_shape) {
    case Box:
        Bevel(painter, r, first, second);
        break;
    case Frame:
        Bevel(painter, r, first, second);
        Bevel(painter, r.adjusted(1, 1, -1, -1), second, first);
        break;
    case TopLine:
        painter.setPen(first);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.setPen(second);
        painter.drawLine(r.topLeft() + QPoint(0, 1), r.topRight() + QPoint(0, 1));
        break;
    case BottomLine:
        painter.setPen(first);
        painter.drawLine(r.bottomLeft() - QPoint(0, 1), r.bottomRight() - QPoint(0, 1));
        painter.setPen(second);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        break;
    case LeftLine:
        painter.setPen(first);
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(second);
        painter.drawLine(r.topLeft() + QPoint(1, 0), r.bottomLeft() + QPoint(1, 0));
        break;
    case RightLine:
        painter.setPen(first);
        painter.drawLine(r.topRight() - QPoint(1, 0), r.bottomRight() - QPoint(1, 0));
        painter.setPen(second);
        painter.drawLine(r.topRight(), r.bottomRight());
        break;
    case Spacer:
        break;
    }
    const QRect handle = MoveRect();
    Bevel(painter, handle, second, first);
    Bevel(painter, handle.adjusted(1, 1, -1, -1), first, second);
    if (m_caption.isEmpty())
        return;
    QFont font(QStringLiteral("Times New Roman"));
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setPointSize(12);
    font.setBold(true);
    painter.setFont(font);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    // Drawn three times one pixel apart for a chiselled look.
    painter.setPen(Qt::black);
    painter.drawText(r, flags, m_caption);
    painter.setPen(first);
    painter.drawText(r.translated(1, 1), flags, m_caption);
    painter.setPen(second);
    painter.drawText(r.translated(2, 2), flags, m_caption);
}

} // namespace editor
