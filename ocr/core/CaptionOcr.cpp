#include "CaptionOcr.h"

#include "toolkit/core/PersonalNumber.h"

#include "StoredNetworks.h"

#include <algorithm>

namespace ocr {

TFrmOCR::TFrmOCR() : TFrmOCR(StoredNetworksContainer()) {}

TFrmOCR::TFrmOCR(std::span<const std::uint8_t> container)
{
    DCR.Init();
    FileStorage1.ReadContainer(container);
}

bool TFrmOCR::LoadDCRFile(int n)
{
    if (n < 0 || n >= FileStorage1.Count())
        return false;
    const auto& data = FileStorage1.Files[static_cast<std::size_t>(n)]->Data;
    std::size_t pos = 0;
    return Network.OpenKnowledgeFromStream(data, pos);
}

std::string TFrmOCR::Recognize(const Image& picture)
{
    DCR.Recognize(picture, Network);
    const auto first = DCR.ResultText.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = DCR.ResultText.find_last_not_of(' ');
    return DCR.ResultText.substr(first, last - first + 1);
}

StripReading TFrmOCR::ReadNumber(const Image& clean, std::chrono::year_month_day today)
{
    return ReadNumberStrip(DCR, Network, clean, today);
}

StripReading TFrmOCR::ReadCapture(const Image& strip, StripKind kind, bool clearType, int n,
                                  std::chrono::year_month_day today)
{
    LoadDCRFile(n);
    StripReading reading = ReadNumber(CleanStrip(strip, kind, clearType), today);
    if (reading.accepted())
        return reading;
    LoadDCRFile(n);
    StripReading second = ReadNumber(ThresholdClean(strip, kind), today);
    return second.accepted() ? second : reading;
}

Image CopyRect(const platform::Capture& capture, int left, int top, int width, int height)
{
    Image result(width, height, kBlack);
    for (int y = 0; y < height; ++y) {
        const int sy = top + y;
        if (sy < 0 || sy >= capture.height)
            continue;
        for (int x = 0; x < width; ++x) {
            const int sx = left + x;
            if (sx < 0 || sx >= capture.width)
                continue;
            const auto at = static_cast<std::size_t>(sy) * static_cast<std::size_t>(capture.stride) +
                            static_cast<std::size_t>(sx) * 3;
            if (at + 2 >= capture.bgr.size())
                continue;
            result.setPixel(x, y, makeRgb(capture.bgr[at + 2], capture.bgr[at + 1], capture.bgr[at]));
        }
    }
    return result;
}

CaptionOcr::CaptionOcr(platform::Desktop& desktop, FloaterWindow& floater,
                       std::function<bool()> clearTypeMode, Today today)
    : desktop_(desktop), floater_(floater), clearTypeMode_(std::move(clearTypeMode)),
      today_(today ? std::move(today) : Today(toolkit::LocalToday))
{
}

TFrmOCR& CaptionOcr::Host()
{
    if (!host_)
        host_ = std::make_unique<TFrmOCR>();
    return *host_;
}

bool CaptionOcr::offer(platform::WindowId window, Sighting& previous, OcrFindings& findings)
{
    if (!last_.accepted())
        return false;
    const bool seenBefore = previous.window == window && previous.number == last_.number;
    previous = {window, last_.number};
    if (!seenBefore) {
        last_.verdict = StripVerdict::Unconfirmed;
        return true;
    }
    findings.candidates.push_back(last_.number);
    findings.OCRFoundPersonnr = true;
    return true;
}

void CaptionOcr::moveFloaterOutOf(const platform::Rect& strip)
{
    const auto floater = floater_.floaterBounds();
    if (!floater)
        return;
    const bool overlaps = floater->left < strip.right && strip.left < floater->right &&
                          floater->top < strip.bottom && strip.top < floater->bottom;
    if (overlaps)
        floater_.moveFloaterTop(strip.height() + std::max(strip.top, floater->top) + 2);
}

void CaptionOcr::ReadCaptionBar(platform::WindowId window, OcrFindings findings)
{
    const auto rect = desktop_.windowRect(window);
    for (int b : kCaptionOffsets) {
        if (!rect)
            break;
        moveFloaterOutOf({rect->right - b - 154, rect->top, rect->right, rect->bottom});
        const auto capture = desktop_.captureWindow(window);
        if (!capture)
            break;
        const Image strip = CopyRect(*capture, rect->width() - b - 154, 0, kCaptionStripWidth,
                                     rect->height());
        findings.fontsmoothingon = clearTypeMode_ && clearTypeMode_();
        floater_.processMessages();
        last_ = Host().ReadCapture(strip, StripKind::CaptionBar, findings.fontsmoothingon,
                                   findings.fontsmoothingon ? kCaptionClearType : kCaption, today_());
        if (offer(window, captionSighting_, findings))
            return;
    }
    captionSighting_ = {};
}

void CaptionOcr::ReadAppointmentCaption(platform::WindowId window, OcrFindings findings)
{
    const auto capture = desktop_.captureWindow(window);
    if (!capture) {
        appointmentSighting_ = {};
        return;
    }
    const Image strip = CopyRect(*capture, 37, 22, 89, 12);
    floater_.processMessages();
    last_ = Host().ReadCapture(strip, StripKind::Appointment, false, kAppointment, today_());
    if (!offer(window, appointmentSighting_, findings))
        appointmentSighting_ = {};
}

} // namespace ocr
