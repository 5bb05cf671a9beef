#include "CountTile.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

namespace floater {

CountTile::CountTile(const QString& title, QWidget* parent)
    : QFrame(parent), title_(new QLabel(title, this)), caption_(new QLabel(this)), menu_(new QMenu(this))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setFixedSize(40, 35);
    setAutoFillBackground(true);
    QFont small;
    small.setFamilies({"Times New Roman", "Liberation Serif", "DejaVu Serif"});
    small.setPixelSize(9);
    title_->setFont(small);
    title_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    title_->setGeometry(1, 1, 38, 12);
    caption_->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    caption_->setGeometry(1, 12, 38, 21);
    // The title label takes part in the double-click like the tile itself.
    title_->installEventFilter(this);
    setColor(QColor(192, 192, 192));
}

QString CountTile::title() const { return title_->text(); }
QString CountTile::caption() const { return caption_->text(); }
void CountTile::setCaption(const QString& caption) { caption_->setText(caption); }
QColor CountTile::color() const { return palette().color(QPalette::Window); }

void CountTile::setColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

QColor CountTile::titleColor() const { return title_->palette().color(QPalette::WindowText); }

void CountTile::setTitleColor(const QColor& color)
{
    QPalette p = title_->palette();
    p.setColor(QPalette::WindowText, color);
    title_->setPalette(p);
}

void CountTile::mouseDoubleClickEvent(QMouseEvent*)
{
    emit doubleClicked();
}

void CountTile::contextMenuEvent(QContextMenuEvent* event)
{
    if (!menu_->isEmpty())
        menu_->popup(event->globalPos());
}

bool CountTile::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == title_ && event->type() == QEvent::MouseButtonDblClick) {
        emit doubleClicked();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void ColorCountTile(CountTile* tile)
{
    if (tile->caption() == "0") {
        tile->setColor(QColor(192, 192, 192));
        tile->setCaption("");
        tile->setTitleColor(Qt::black);
    } else {
        tile->setColor(QColor(0, 255, 0));
        tile->setTitleColor(Qt::white);
    }
}

} // namespace floater
