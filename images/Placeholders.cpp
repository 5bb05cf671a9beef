#include "images/Placeholders.h"

#include "images/codecs/GraphicFormat.h"
#include "toolkit/Dialogs.h"

#include <QFont>
#include <QPainter>

namespace images {

namespace {

// Point sizes are meant for a 96-dpi screen; pixel sizes keep the drawing
// the same whatever the display says.
int PixelsForPoints(int points)
{
    return (points * 96 + 36) / 72;
}

// "\r" breaks a line in our message texts.
QString WithLineBreaks(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
}

void Draw(QImage& bitmap, QSize size, QImage::Format format, const QString& text, int points,
          QColor colour)
{
    QImage canvas(size, format);
    if (canvas.isNull())
        return;
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.setFont(PlaceholderFont(points));
    painter.setPen(colour);
    painter.drawText(canvas.rect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                     WithLineBreaks(text));
    painter.end();
    bitmap = canvas;
}

} // namespace

QFont PlaceholderFont(int points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPixelSize(PixelsForPoints(points));
    return font;
}

namespace {

const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kRed(0xFF, 0x00, 0x00);

} // namespace

void DrawNoPreviewPlaceholder(QImage& bitmap, bool bits32)
{
    Draw(bitmap, kPlaceholderSize, bits32 ? QImage::Format_ARGB32 : kFormat24,
         toolkit::Translate(QStringLiteral("\rNo preview\r\ravailable")), 12, kAqua);
}

void DrawMessagePlaceholder(QImage& bitmap, const QString& message, QSize size)
{
    const QSize sized(size.width() == 0 ? kMessagePlaceholderSize.width() : size.width(),
                      size.height() == 0 ? kMessagePlaceholderSize.height() : size.height());
    Draw(bitmap, sized, kFormat24, message, 10, kRed);
}

void DrawMessagePlaceholder32(QImage& bitmap, const QString& message)
{
    Draw(bitmap, kPlaceholderSize, QImage::Format_ARGB32, message, 10, kRed);
}

void DrawNotFetchedPlaceholder(QImage& bitmap)
{
    Draw(bitmap, kPlaceholderSize, kFormat24,
         toolkit::Translate(QStringLiteral("\rBilden hämtades inte!\rKontrollera felen\rpå DICOM-servern")),
         10, kRed);
}

} // namespace images
