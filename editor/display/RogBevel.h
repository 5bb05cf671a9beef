#pragma once
// The selection frame: a bevel that shows a caption text and has a resize
// handle in its bottom-right corner.

#include <QWidget>

namespace editor {

class TRogBevel : public QWidget {
    Q_OBJECT
public:
    enum Style { Lowered = 0, Raised = 1 };
    enum Shape { Box = 0, Frame = 1, TopLine, BottomLine, LeftLine, RightLine, Spacer };

    explicit TRogBevel(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return m_caption; }
    void SetStyle(Style style);
    void SetShape(Shape shape);
    // The resize handle: the 30 x 30 square at the bottom right, inset by 3.
    QRect MoveRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style m_style = Lowered;
    Shape m_shape = Frame;
    QString m_caption;
};

} // namespace editor
