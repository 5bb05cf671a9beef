#pragma once
// Reads the numbers Q7 only draws for the floater's tracking pass, with the
// caption recognition; the floater window is what the recognition moves out
// of the captured strip.

#include "app/core/Tracking.h"
#include "ocr/core/CaptionOcr.h"

#include <functional>
#include <memory>

class QWidget;

namespace floater {

// The floater as the caption recognition sees it: its frame in screen
// coordinates, moved vertically, and the event loop run once.
class FloaterOcrWindow : public ocr::FloaterWindow {
public:
    explicit FloaterOcrWindow(QWidget& floater) : floater_(floater) {}
    std::optional<platform::Rect> floaterBounds() override;
    void moveFloaterTop(int top) override;
    void processMessages() override;

private:
    QWidget& floater_;
};

class FloaterCaptionReader : public app::CaptionReader {
public:
    // clearTypeMode tells, at each capture, whether the desktop smooths text
    // with sub-pixel rendering.
    FloaterCaptionReader(QWidget& floater, std::function<bool()> clearTypeMode);

    void ReadCaptionBar(platform::Desktop& desktop, platform::WindowId window,
                        app::TrackingState& state) override;
    void ReadAppointmentCaption(platform::Desktop& desktop, platform::WindowId window,
                                app::TrackingState& state) override;

private:
    // The recognition for this desktop, created on first use.
    ocr::CaptionOcr& captionOcr(platform::Desktop& desktop);

    FloaterOcrWindow window_;
    std::function<bool()> clearTypeMode_;
    platform::Desktop* desktop_ = nullptr;
    std::unique_ptr<ocr::CaptionOcr> ocr_;
};

} // namespace floater
