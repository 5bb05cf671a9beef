#include "DCRFrame.h"

#include "QtImage.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace ocr {

TDCRFrame::TDCRFrame(QWidget* parent) : QWidget(parent), pnlTitle(new QLabel("Text Picture", this))
{
    pnlTitle->setAlignment(Qt::AlignCenter);
    pnlTitle->setFrameShape(QFrame::Panel);
    pnlTitle->setFixedHeight(20);
    setMinimumSize(200, 80);
    resize(400, 150);
}

void TDCRFrame::Init()
{
    Core.Init();
    PenWidth = 5;
    Clear();
}

int TDCRFrame::pictureTop() const
{
    return pnlTitle->isHidden() ? 0 : pnlTitle->height() + 1;
}

void TDCRFrame::Clear()
{
    picture_ = QImage(std::max(width(), 1), std::max(height() - pnlTitle->height(), 1),
                      QImage::Format_RGB32);
    picture_.fill(BrushColour);
    Modified = false;
    update();
    emit PictureChanged();
}

void TDCRFrame::SetPicture(const QImage& picture)
{
    picture_ = picture.convertToFormat(QImage::Format_RGB32);
    update();
    emit PictureChanged();
}

void TDCRFrame::Recognize(TBackProp& network)
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    Core.Recognize(FromQImage(picture_), network);
    QApplication::restoreOverrideCursor();
}

bool TDCRFrame::OpenPicture(const QString& fileName)
{
    QImage loaded;
    if (!loaded.load(fileName))
        return false;
    PenWidth = 5;
    SetPicture(loaded);
    Modified = false;
    return true;
}

bool TDCRFrame::SavePicture(const QString& fileName)
{
    if (!picture_.save(fileName))
        return false;
    Modified = false;
    return true;
}

void TDCRFrame::ShowHideTitle()
{
    pnlTitle->setVisible(pnlTitle->isHidden());
    update();
}

void TDCRFrame::resizeEvent(QResizeEvent*)
{
    pnlTitle->setGeometry(0, 0, width(), pnlTitle->height());
}

void TDCRFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(0, pictureTop(), picture_);
}

QPoint TDCRFrame::toPicture(const QPoint& widgetPoint) const
{
    return widgetPoint - QPoint(0, pictureTop());
}

void TDCRFrame::drawTo(const QPoint& p)
{
    QPainter painter(&picture_);
    if (DrawingTool == TDrawingTool::dtPencil) {
        painter.setPen(QPen(Qt::black, PenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(penPosition_, p);
    } else {
        const int h = (PenWidth + 1) / 2;
        painter.fillRect(QRect(p.x() - h, p.y() - h, 2 * h, 2 * h), BrushColour);
    }
    penPosition_ = p;
    Modified = true;
    update();
    emit PictureChanged();
}

void TDCRFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    FDrawing = true;
    penPosition_ = toPicture(event->position().toPoint());
    drawTo(penPosition_);
}

void TDCRFrame::mouseMoveEvent(QMouseEvent* event)
{
    if (FDrawing)
        drawTo(toPicture(event->position().toPoint()));
}

void TDCRFrame::mouseReleaseEvent(QMouseEvent*)
{
    FDrawing = false;
}

} // namespace ocr
