#pragma once
// The zoomable display of a picture: the editor's main view, its magnifier and
// its miniature view. It paints a port of the picture around a centre at a
// factor, an optional lens bitmap over it, a dotted focus rectangle and a
// date, and converts control points to picture points.
//
// The picture is borrowed, never copied: holding a second QImage reference
// would make every in-place effect on the editor's working copy detach.

#include "editor/display/DisplayPort.h"

#include <QImage>
#include <QWidget>

#include <vector>

namespace editor {

enum LensShape { kLensSquare = 1, kLensCircle = 5 };

class TMagnifierImage : public QWidget {
    Q_OBJECT
public:
    explicit TMagnifierImage(QWidget* parent = nullptr);

    // The picture shown (not owned; null shows nothing). Call ImageChanged
    // after changing its pixels in place.
    void SetSourceBitmap(const QImage* bitmap);
    const QImage* SourceBitmap() const { return m_bitmap; }
    void ImageChanged();

    void SetFactor(double factor);
    double GetFactor() const { return m_factor; }
    void SetPortCenter(QPoint centre);
    QPoint GetPortCenter() const { return m_pos; }
    void SetSmooth(bool smooth);
    bool GetSmooth() const { return m_smooth; }

    QPoint GetBitmapPoint(QPoint controlPoint) const;
    PortLayout Layout() const;
    QRect GetBitmapPort() const { return Layout().port; }
    int GetBitmapLeft() const { return Layout().bitmapLeft; }
    int GetBitmapTop() const { return Layout().bitmapTop; }
    int GetBitmapWidth() const { return m_bitmap ? m_bitmap->width() : 0; }
    int GetBitmapHeight() const { return m_bitmap ? m_bitmap->height() : 0; }

    // The lens (not owned; null removes it), centred on a control point. No
    // repaint: the caller repaints once after moving it.
    void SetExtraBitmap(const QImage* lens, QPoint at);
    void SetShape(int shape) { m_shape = shape; }
    int Shape() const { return m_shape; }
    // Where the lens was drawn at the last paint (empty without one).
    QRect LensRect() const;

    void SetShowViewPortRect(bool show);
    void SetViewPortRect(const QRect& rect);
    QRect GetViewPortRect() const { return m_viewPortRect; }

    void SetFileDate(const QString& text);
    QString FileDate() const { return m_datum; }

    // Halved copies kept for smooth drawing below half size (rebuilt when the
    // picture changes); how many levels exist now.
    int MipLevels() const { return int(m_mips.size()); }

    // Draws what paintEvent draws; for the widget and for benchmarks.
    void PaintTo(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* MipFor(double factor, int& level);

    const QImage* m_bitmap = nullptr;
    QPoint m_pos{100, 100};
    double m_factor = 1.0;
    bool m_smooth = false;
    const QImage* m_extrabitmap = nullptr;
    QPoint m_ExtraPoint;
    int m_shape = kLensCircle;
    bool m_showViewPortRect = false;
    QRect m_viewPortRect;
    QString m_datum;
    std::vector<QImage> m_mips;
    qint64 m_mipKey = 0;
};

// A read-only Format_RGB32 view of 32-bit pixels (no copy): alpha is not
// shown, so an inverted alpha channel cannot make the picture vanish.
// Other formats come back as they are.
QImage OpaqueView(const QImage& image);

} // namespace editor
