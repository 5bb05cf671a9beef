#pragma once
// The printed page of the editor: the patient's name and number as a header,
// the date the picture was taken on its own line, and the picture fitted
// below them.

#include <QImage>
#include <QString>

class QPainter;

namespace editor {

struct PrintJob {
    QImage picture;
    QString header; // first name, last name, personal number; may be empty
    QString date;   // shown after "Bilden tagen: "
};

// Draws the page into `page` (device pixels). The picture is embedded
// losslessly at full size.
void PrintPage(QPainter& painter, const QRect& page, const PrintJob& job);

// The area the picture is fitted into, and where it lands in it (aspect kept,
// centred in the free direction).
QRect PrintPictureArea(const QRect& page, int headerHeight, int dateHeight);
QRect FitCentred(QSize picture, const QRect& area);

} // namespace editor
