#pragma once
// Reads the personal number that some clinic windows only draw: captures a
// strip of the window through the desktop layer, cleans it, recognises it
// with a stored network and hands an accepted number to the tracking pass.

#include "BackProp.h"
#include "CaptureCleaning.h"
#include "FileStorage.h"
#include "GlyphFrame.h"

#include "platform/Desktop.h"

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

class CaptionOcr {
public:
    CaptionOcr(platform::Desktop& desktop, FloaterWindow& floater,
               std::function<bool()> clearTypeMode);

    void ReadCaptionBar(platform::WindowId window, OcrFindings findings);
    void ReadAppointmentCaption(platform::WindowId window, OcrFindings findings);

    // The host, created on first use.
    TFrmOCR& Host();

private:
    void moveFloaterOutOf(const platform::Rect& strip);
    static bool accept(const std::string& text, OcrFindings& findings);

    platform::Desktop& desktop_;
    FloaterWindow& floater_;
    std::function<bool()> clearTypeMode_;
    std::unique_ptr<TFrmOCR> host_;
};

} // namespace ocr
