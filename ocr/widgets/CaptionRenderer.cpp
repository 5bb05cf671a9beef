#include "CaptionRenderer.h"

#include "QtImage.h"
#include "ocr/core/StoredNetworks.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace ocr {

namespace {

// Areas the strip cleaning paints white, where the hyphen must fall.
QRectF hyphenArea(int network)
{
    return network == kAppointment ? QRectF(56, 5, 4, 3) : QRectF(92, 12, 6, 4);
}

QRect inkBox(const QImage& image, QRgb background)
{
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Sub-pixel text is laid out glyph by glyph on the whole-pixel advances of
// the plain font, as the clinic program's drawing does, so each symbol keeps
// one shape.
double subPixelAdvance(const QString& text, const QFont& font)
{
    const QFontMetricsF metrics(font);
    double advance = 0;
    for (QChar c : text)
        advance += std::round(metrics.horizontalAdvance(c));
    return advance;
}

} // namespace

QFont NetworkFont(int network)
{
    QFont font;
    switch (network) {
    case kDigits16: font = QFont("DejaVu Sans"); font.setPixelSize(16); break;
    case kCaption: font = QFont("Liberation Sans"); font.setPixelSize(19); break;
    case kCaptionClearType: font = QFont("Liberation Sans Narrow"); font.setPixelSize(19); break;
    default: font = QFont("DejaVu Sans"); font.setPixelSize(11); break;
    }
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setKerning(false);
    return font;
}

Smoothing NetworkSmoothing(int network)
{
    return network == kCaptionClearType ? Smoothing::SubPixel : Smoothing::Aliased;
}

StripKind NetworkStripKind(int network)
{
    switch (network) {
    case kCaption:
    case kCaptionClearType: return StripKind::CaptionBar;
    case kAppointment: return StripKind::Appointment;
    default: return StripKind::Plain;
    }
}

Image RenderText(const QString& text, const QFont& font, Smoothing smoothing, QSize size,
                 QPointF origin, QColor background, QColor foreground)
{
    if (smoothing == Smoothing::Aliased) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(background);
        QPainter painter(&image);
        QFont aliased = font;
        aliased.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(aliased);
        painter.setPen(foreground);
        painter.drawText(origin, text);
        painter.end();
        return FromQImage(image);
    }
    // Sub-pixel smoothing: every pixel is three colour stripes, each drawn
    // on its own at three times the horizontal resolution. A stripe is text
    // or background, so a pixel the glyph edge crosses gets a colour fringe.
    // Stems are darkened by one pixel, as sub-pixel smoothing makes text
    // look heavier.
    QPainterPath outline;
    double x = origin.x();
    for (QChar c : text) {
        outline.addText(QPointF(x, origin.y()), font, QString(c));
        x += subPixelAdvance(QString(c), font);
    }
    QPainterPathStroker stroker;
    stroker.setWidth(1.0);
    const QTransform wideScale = QTransform::fromScale(3.0, 1.0);
    QImage wide(size.width() * 3, size.height(), QImage::Format_RGB32);
    wide.fill(Qt::white);
    {
        QPainter painter(&wide);
        painter.fillPath(wideScale.map(outline), Qt::black);
        painter.fillPath(wideScale.map(stroker.createStroke(outline)), Qt::black);
    }
    const int fg[3] = {foreground.red(), foreground.green(), foreground.blue()};
    const int bg[3] = {background.red(), background.green(), background.blue()};
    Image result(size.width(), size.height());
    for (int y = 0; y < size.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(wide.constScanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            int channel[3];
            for (int k = 0; k < 3; ++k)
                channel[k] = qRed(line[3 * x + k]) < 128 ? fg[k] : bg[k];
            result.setPixel(x, y, makeRgb(channel[0], channel[1], channel[2]));
        }
    }
    return result;
}

QRect InkBox(const QString& text, const QFont& font)
{
    constexpr int margin = 64;
    const Image drawn = RenderText(text, font, Smoothing::Aliased, QSize(margin * 2 + 400, margin * 2),
                                   QPointF(margin, margin), Qt::white, Qt::black);
    return inkBox(ToQImage(drawn), qRgb(255, 255, 255)).translated(-margin, -margin);
}

QPointF NumberOrigin(const QString& number, int network, QPoint stripOrigin)
{
    const QFont font = NetworkFont(network);
    const int hyphen = number.indexOf('-');
    if (hyphen < 0) {
        const QRect box = InkBox(number, font);
        return QPointF(stripOrigin.x() + 4 - box.left(), stripOrigin.y() + 2 - box.top());
    }
    const bool subPixel = NetworkSmoothing(network) == Smoothing::SubPixel;
    const double advance = subPixel ? subPixelAdvance(number.left(hyphen), font)
                                    : QFontMetricsF(font).horizontalAdvance(number.left(hyphen));
    const QRectF ink = InkBox("-", font);
    const QRectF area = hyphenArea(network);
    return QPointF(std::round(stripOrigin.x() + area.center().x() - ink.center().x() - advance),
                   stripOrigin.y() + std::round(area.center().y() - ink.center().y()));
}

Image RenderCaptionBar(const QString& number, int width, int offset, bool clearType,
                       QColor background, QColor foreground)
{
    const int network = clearType ? kCaptionClearType : kCaption;
    const QPoint strip(width - offset - 154, 0);
    return RenderText(number, NetworkFont(network), NetworkSmoothing(network),
                      QSize(width, kCaptionBarHeight), NumberOrigin(number, network, strip),
                      background, foreground);
}

Image RenderAppointmentWindow(const QString& number, QSize size, QColor background,
                              QColor foreground)
{
    return RenderText(number, NetworkFont(kAppointment), Smoothing::Aliased, size,
                      NumberOrigin(number, kAppointment, QPoint(37, 22)), background, foreground);
}

} // namespace ocr
