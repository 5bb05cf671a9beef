#include "editor/window/PrintPage.h"

#include <QPainter>

#include <cmath>

namespace editor {

namespace {

QFont PageFont(QPainter& painter, int points)
{
    QFont font(QStringLiteral("Arial"));
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    // Points of the paper, whatever the device's resolution.
    font.setPixelSize(std::max(1, int(std::lround(points * painter.device()->logicalDpiY() / 72.0))));
    return font;
}

} // namespace

QRect PrintPictureArea(const QRect& page, int headerHeight, int dateHeight)
{
    const int left = page.left() + page.width() / 80;
    const int top = page.top() + page.height() / 100 + headerHeight + dateHeight;
    return QRect(QPoint(left, top), page.bottomRight());
}

QRect FitCentred(QSize picture, const QRect& area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    const QSize drawn = picture.scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.left() + (area.width() - drawn.width()) / 2,
                 area.top() + (area.height() - drawn.height()) / 2, drawn.width(), drawn.height());
}

void PrintPage(QPainter& painter, const QRect& page, const PrintJob& job)
{
    painter.save();
    // Without this the PDF engine stores the picture as JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    const int top = page.top() + page.height() / 100;

    painter.setFont(PageFont(painter, 14));
    const int headerHeight = painter.fontMetrics().height();
    painter.setPen(Qt::black);
    if (!job.header.isEmpty())
        painter.drawText(QRect(page.left(), top, page.width(), headerHeight), Qt::AlignHCenter | Qt::AlignTop,
                         job.header);

    // The date gets a line of its own: drawn over the picture it would hide
    // part of it.
    painter.setFont(PageFont(painter, 12));
    const int dateHeight = painter.fontMetrics().height();
    painter.drawText(QPoint(page.left() + page.width() / 80, top + headerHeight + painter.fontMetrics().ascent()),
                     QStringLiteral("Bilden tagen: ") + job.date);

    const QRect target = FitCentred(job.picture.size(), PrintPictureArea(page, headerHeight, dateHeight));
    if (!target.isEmpty())
        painter.drawImage(target, job.picture);
    painter.restore();
}

} // namespace editor
