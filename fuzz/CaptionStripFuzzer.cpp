// Screen pixels through both strip cleanings and the guarded number read:
// whatever a window draws must not crash the floater or be read past the
// picture's edges.
#include "ocr/core/CaptionOcr.h"
#include "ocr/core/StoredNetworks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    static ocr::TFrmOCR host;
    const int width = 1 + data[0] % 160;
    const int height = 1 + data[1] % 32;
    const int network = 1 + data[2] % 3;
    ocr::Image strip(width, height);
    std::size_t at = 3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, at += 3)
            if (at + 2 < size)
                strip.setPixel(x, y, ocr::makeRgb(data[at], data[at + 1], data[at + 2]));
    const auto kind = network == ocr::kAppointment ? ocr::StripKind::Appointment
                                                   : ocr::StripKind::CaptionBar;
    const std::chrono::year_month_day today{std::chrono::year{2026}, std::chrono::December,
                                            std::chrono::day{11}};
    host.LoadDCRFile(network);
    host.ReadNumber(ocr::CleanStrip(strip, kind, network == ocr::kCaptionClearType), today);
    host.LoadDCRFile(network);
    host.ReadNumber(ocr::ThresholdClean(strip, kind), today);
    return 0;
}
