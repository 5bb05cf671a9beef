#pragma once
// Reads the personal number that some clinic windows only draw: captures a
// strip of the window through the desktop layer, cleans it, recognises it
// with a stored network and hands an accepted number to the tracking pass.

#include "BackProp.h"
#include "CaptureCleaning.h"
#include "FileStorage.h"
#include "GlyphFrame.h"
#include "StripReading.h"

#include "platform/Desktop.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ocr {

// The OCR host: the one network, the glyph frame and the stored networks.
class TFrmOCR {
public:
    TFrmOCR(); // reads the built-in container
    explicit TFrmOCR(std::span<const std::uint8_t> container);

    // Reloads the network from container entry n; false when there is none
    // or it does not read completely.
    bool LoadDCRFile(int n);
    // Recognises a cleaned picture; ResultText without surrounding blanks.
    std::string Recognize(const Image& picture);
    // Reads a cleaned strip as a personal number, with the screen-number rules.
    StripReading ReadNumber(const Image& clean, std::chrono::year_month_day today);
    // Reads a captured strip with network n: the exact-colour cleaning first,
    // the strip's own threshold where that gives no acceptable number.
    StripReading ReadCapture(const Image& strip, StripKind kind, bool clearType, int n,
                             std::chrono::year_month_day today);

    TBackProp Network{20, 20, 20, 20, 50};
    DCRRecognizer DCR;
    TFileStorage FileStorage1;
};

// What the floater offers the caption reader.
class FloaterWindow {
public:
    virtual ~FloaterWindow() = default;
    virtual std::optional<platform::Rect> floaterBounds() = 0;
    virtual void moveFloaterTop(int top) = 0;
    virtual void processMessages() = 0;
};

// The tracking pass's state the readers write.
struct OcrFindings {
    std::vector<std::string>& candidates; // YYYYMMDD-NNNN
    bool& OCRFoundPersonnr;
    bool& fontsmoothingon;
};

// The strip offsets from the caption bar's right edge, in the order tried.
inline constexpr int kCaptionOffsets[4] = {0, 38, 106, 144};
inline constexpr int kCaptionStripWidth = 150;

// Copies a rectangle in window coordinates out of a capture; pixels outside
// it are black, as a copy beyond a window's edge gives.
Image CopyRect(const platform::Capture& capture, int left, int top, int width, int height);

// A number read off the screen is handed to the tracking pass only when the
// same window showed the same number on the pass before: a capture taken
// while Q7 repaints can mix the old number with the new one.
class CaptionOcr {
public:
    using Today = std::function<std::chrono::year_month_day()>;
    CaptionOcr(platform::Desktop& desktop, FloaterWindow& floater,
               std::function<bool()> clearTypeMode, Today today = {});

    void ReadCaptionBar(platform::WindowId window, OcrFindings findings);
    void ReadAppointmentCaption(platform::WindowId window, OcrFindings findings);

    // The host, created on first use.
    TFrmOCR& Host();
    // The reading of the last strip tried.
    const StripReading& LastReading() const { return last_; }

private:
    // The number a window showed on the previous pass.
    struct Sighting {
        platform::WindowId window = 0;
        std::string number;
    };
    void moveFloaterOutOf(const platform::Rect& strip);
    // Hands on a confirmed number; true when the strip held a number at all.
    bool offer(platform::WindowId window, Sighting& previous, OcrFindings& findings);

    platform::Desktop& desktop_;
    FloaterWindow& floater_;
    std::function<bool()> clearTypeMode_;
    Today today_;
    std::unique_ptr<TFrmOCR> host_;
    StripReading last_;
    Sighting captionSighting_, appointmentSighting_;
};

} // namespace ocr
