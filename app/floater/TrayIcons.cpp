#include "TrayIcons.h"

#include <QPainter>
#include <QPixmap>

namespace floater {

QIcon trayIcon(int index)
{
    static const QColor colors[] = {QColor(255, 200, 0), QColor(0, 170, 0), QColor(160, 160, 160)};
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(colors[index >= 0 && index < 3 ? index : 2]);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    p.setPen(Qt::white);
    QFont f;
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter, "Q7");
    return QIcon(pm);
}

QIcon orvanaGlyph()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 100, 200));
    const QPointF arrow[] = {{2, 6}, {9, 6}, {9, 2}, {15, 8}, {9, 14}, {9, 10}, {2, 10}};
    p.drawPolygon(arrow, 7);
    return QIcon(pm);
}

} // namespace floater
