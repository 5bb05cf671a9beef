#pragma once
// Generated caption pictures for the OCR benchmarks: random valid personal
// numbers drawn as the clinic windows draw them, with slight colour changes.

#include "ocr/core/CaptionOcr.h"
#include "ocr/core/StoredNetworks.h"
#include "ocr/widgets/CaptionRenderer.h"
#include "platform/memory/MemoryDesktop.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include <ctime>
#include <sys/resource.h>

namespace ocrbench {

// Processor time of this thread, and of the finished child processes: the
// machine is shared, so wall time alone says little.
inline double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
inline double childSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// A floater that never stands in the way of the strip being read.
class StillFloater : public ocr::FloaterWindow {
public:
    std::optional<platform::Rect> floaterBounds() override { return std::nullopt; }
    void moveFloaterTop(int) override {}
    void processMessages() override {}
};

// YYYYMMDD-NNNN with a real date from 1900-2025 and a right check digit;
// every fourth one a coordination number (day + 60).
inline std::string RandomPersonalNumber(std::mt19937& rng)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = std::uniform_int_distribution<int>(1900, 2025)(rng);
    const int month = std::uniform_int_distribution<int>(1, 12)(rng);
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    int day = std::uniform_int_distribution<int>(1, last)(rng);
    if (std::uniform_int_distribution<int>(0, 3)(rng) == 0)
        day += 60;
    const int serial = std::uniform_int_distribution<int>(0, 999)(rng);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%03d0", year, month, day, serial);
    // The mod-10 check over YYMMDDNNN.
    int sum = 0;
    for (int i = 0; i < 9; ++i) {
        const int d = (text[i < 6 ? i + 2 : i + 3] - '0') * (i % 2 == 0 ? 2 : 1);
        sum += d / 10 + d % 10;
    }
    text[12] = static_cast<char>('0' + (10 - sum % 10) % 10);
    return text;
}

inline QColor Vary(std::mt19937& rng, QColor base, int spread)
{
    auto v = [&](int c) {
        return std::clamp(c + std::uniform_int_distribution<int>(-spread, spread)(rng), 0, 255);
    };
    return QColor(v(base.red()), v(base.green()), v(base.blue()));
}

inline platform::Capture ToCapture(const ocr::Image& image)
{
    platform::Capture c;
    c.width = image.width();
    c.height = image.height();
    c.stride = image.width() * 3;
    c.bgr.resize(static_cast<std::size_t>(c.stride) * static_cast<std::size_t>(c.height));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const auto at = static_cast<std::size_t>(y * c.stride + x * 3);
            const ocr::Rgb p = image.pixel(x, y);
            c.bgr[at] = static_cast<std::uint8_t>(ocr::blueOf(p));
            c.bgr[at + 1] = static_cast<std::uint8_t>(ocr::greenOf(p));
            c.bgr[at + 2] = static_cast<std::uint8_t>(ocr::redOf(p));
        }
    return c;
}

// One generated sample: the window picture and the area a peer should read.
struct Sample {
    std::string number; // YYYYMMDD-NNNN
    ocr::Image window;
    QRect readArea; // in window coordinates
};

inline Sample MakeSample(std::mt19937& rng, int network, int offset)
{
    Sample s;
    s.number = RandomPersonalNumber(rng);
    const QString number = QString::fromStdString(s.number);
    switch (network) {
    case ocr::kCaption:
    case ocr::kCaptionClearType: {
        const int width = std::uniform_int_distribution<int>(340, 480)(rng);
        s.window = ocr::RenderCaptionBar(number, width, offset, network == ocr::kCaptionClearType,
                                         Vary(rng, QColor(0, 84, 147), 12),
                                         Vary(rng, QColor(250, 250, 250), 5));
        s.readArea = QRect(width - offset - 154, 0, 150, ocr::kCaptionBarHeight);
        break;
    }
    case ocr::kAppointment:
        s.window = ocr::RenderAppointmentWindow(number, QSize(160, 50),
                                                Vary(rng, QColor(236, 233, 216), 12),
                                                Vary(rng, QColor(0, 0, 0), 20));
        s.readArea = QRect(37, 22, 89, 12);
        break;
    default: {
        QString digits = number;
        digits.remove('-');
        s.window = ocr::RenderText(digits, ocr::NetworkFont(network), ocr::Smoothing::Aliased,
                                   QSize(150, 24),
                                   ocr::NumberOrigin(digits, network, QPoint(0, 0)),
                                   Vary(rng, QColor(255, 255, 255), 10), Vary(rng, QColor(0, 0, 0), 20));
        s.readArea = QRect(0, 0, 150, 24);
        break;
    }
    }
    return s;
}

} // namespace ocrbench
