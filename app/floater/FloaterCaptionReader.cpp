#include "FloaterCaptionReader.h"

#include <QCoreApplication>
#include <QWidget>

namespace floater {

namespace {

ocr::OcrFindings findings(app::TrackingState& state)
{
    return {state.candidates, state.OCRFoundPersonnr, state.fontsmoothingon};
}

} // namespace

std::optional<platform::Rect> FloaterOcrWindow::floaterBounds()
{
    if (!floater_.isVisible())
        return std::nullopt;
    const QRect frame = floater_.frameGeometry();
    return platform::Rect{frame.left(), frame.top(), frame.left() + frame.width(),
                          frame.top() + frame.height()};
}

void FloaterOcrWindow::moveFloaterTop(int top)
{
    floater_.move(floater_.x(), top);
}

void FloaterOcrWindow::processMessages()
{
    QCoreApplication::processEvents();
}

FloaterCaptionReader::FloaterCaptionReader(QWidget& floater, std::function<bool()> clearTypeMode)
    : window_(floater), clearTypeMode_(std::move(clearTypeMode))
{
}

ocr::CaptionOcr& FloaterCaptionReader::captionOcr(platform::Desktop& desktop)
{
    if (!ocr_ || desktop_ != &desktop) {
        ocr_ = std::make_unique<ocr::CaptionOcr>(desktop, window_, clearTypeMode_);
        desktop_ = &desktop;
    }
    return *ocr_;
}

void FloaterCaptionReader::ReadCaptionBar(platform::Desktop& desktop, platform::WindowId window,
                                          app::TrackingState& state)
{
    captionOcr(desktop).ReadCaptionBar(window, findings(state));
}

void FloaterCaptionReader::ReadAppointmentCaption(platform::Desktop& desktop,
                                                  platform::WindowId window,
                                                  app::TrackingState& state)
{
    captionOcr(desktop).ReadAppointmentCaption(window, findings(state));
}

} // namespace floater
