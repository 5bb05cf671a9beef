#pragma once
// One count tile of the category and modality rows: a lowered panel with a
// small title at the top and the count at the bottom.

#include <QFrame>

class QLabel;
class QMenu;

namespace floater {

class CountTile : public QFrame {
    Q_OBJECT
public:
    CountTile(const QString& title, QWidget* parent);

    QString title() const;
    QString caption() const;
    void setCaption(const QString& caption);
    QColor color() const;
    void setColor(const QColor& color);
    QColor titleColor() const;
    void setTitleColor(const QColor& color);
    QMenu* menu() const { return menu_; }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* title_;
    QLabel* caption_;
    QMenu* menu_;
};

// A tile with count "0" turns silver with an empty caption and a black title;
// any other count turns it lime with a white title.
void ColorCountTile(CountTile* tile);

} // namespace floater
