#pragma once
// The glyph frame: a picture a user can draw on, load or save, and the
// recognition of its text with a network.

#include "ocr/core/GlyphFrame.h"

#include <QImage>
#include <QLabel>
#include <QWidget>

namespace ocr {

enum class TDrawingTool { dtPencil, dtEraser };

class TDCRFrame : public QWidget {
    Q_OBJECT
public:
    explicit TDCRFrame(QWidget* parent = nullptr);

    void Init();
    void Clear();
    // Recognises the picture; the result is in Core.ResultText.
    void Recognize(TBackProp& network);
    bool OpenPicture(const QString& fileName);
    bool SavePicture(const QString& fileName);
    void ShowHideTitle();

    QImage& Picture() { return picture_; }
    void SetPicture(const QImage& picture);

    DCRRecognizer Core;
    bool Modified = false;
    TDrawingTool DrawingTool = TDrawingTool::dtPencil;
    int PenWidth = 5;
    QColor BrushColour = Qt::white;

signals:
    void PictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int pictureTop() const;
    QPoint toPicture(const QPoint& widgetPoint) const;
    void drawTo(const QPoint& p);

    QLabel* pnlTitle;
    QImage picture_;
    bool FDrawing = false;
    QPoint penPosition_;
};

} // namespace ocr
