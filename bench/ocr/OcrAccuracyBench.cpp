// Exact-number accuracy of the stored networks on generated captions they
// were not trained on, through the same readers the floater uses, with
// Tesseract reading the same strips as the peer.
//
// Each strip is read on two passes, as the floater follows a screen number
// on its second sighting; the processor time covers both.
//
// OCR_SAMPLES (default 250) strips per offset for our readers,
// OCR_TESSERACT_SAMPLES (default 25) per offset for Tesseract.

#include "OcrSamples.h"

#include "ocr/core/CaptionOcr.h"
#include "ocr/widgets/QtImage.h"
#include "toolkit/core/PersonalNumber.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <sys/resource.h>

namespace {

using ocrbench::childSeconds;
using ocrbench::StillFloater;
using ocrbench::threadSeconds;

using Clock = std::chrono::steady_clock;

int envCount(const char* name, int fallback)
{
    const char* v = std::getenv(name);
    return v ? std::max(1, std::atoi(v)) : fallback;
}

std::vector<int> offsetsFor(int network)
{
    if (network == ocr::kCaption || network == ocr::kCaptionClearType)
        return {0, 38, 106, 144};
    return {0};
}

// The seed differs from the training one, and the numbers are random.
std::mt19937 sampleGenerator(int network)
{
    return std::mt19937(9001u + static_cast<unsigned>(network));
}

struct Tally {
    int strips = 0, exact = 0, falseAccepts = 0, rejected = 0;
    double seconds = 0;
    double cpuSeconds = 0;
    void add(const std::string& truth, const std::optional<std::string>& read)
    {
        ++strips;
        if (!read)
            ++rejected;
        else if (*read == truth)
            ++exact;
        else
            ++falseAccepts;
    }
    void report(benchmark::State& state) const
    {
        state.counters["strips"] = strips;
        state.counters["exact_pct"] = 100.0 * exact / strips;
        state.counters["false_accepts"] = falseAccepts;
        state.counters["rejected"] = rejected;
        state.counters["ms_per_strip"] = 1000.0 * seconds / strips;
        state.counters["cpu_ms_per_strip"] = 1000.0 * cpuSeconds / strips;
    }
};

// The window a reader gets: caption bar or appointment window; none for the
// digits network, which reads the picture directly.
platform::WindowId addWindow(platform::MemoryDesktop& desktop, int network,
                             const ocrbench::Sample& sample)
{
    if (network == ocr::kDigits16)
        return 0;
    const auto w = desktop.add(0, network == ocr::kAppointment ? "AfxWnd80" : "MIAQ7CAPTIONBAR",
                               network == ocr::kAppointment ? "Appointment" : "");
    desktop.window(w).rect = {100, 200, 100 + sample.window.width(), 200 + sample.window.height()};
    desktop.window(w).pixels = ocrbench::ToCapture(sample.window);
    return w;
}

std::optional<std::string> readWithOurs(ocr::CaptionOcr& reader, int network,
                                        platform::WindowId window, const ocr::Image& picture)
{
    std::vector<std::string> candidates;
    bool found = false, smoothing = false;
    if (network == ocr::kDigits16) {
        ocr::TFrmOCR& host = reader.Host();
        host.LoadDCRFile(ocr::kDigits16);
        return toolkit::NumberFromRecognisedText(
            host.Recognize(ocr::CleanStrip(picture, ocr::StripKind::Plain, false)));
    }
    // The floater follows a screen number on its second sighting.
    for (int pass = 0; pass < 2; ++pass) {
        candidates.clear();
        if (network == ocr::kAppointment)
            reader.ReadAppointmentCaption(window, {candidates, found, smoothing});
        else
            reader.ReadCaptionBar(window, {candidates, found, smoothing});
    }
    if (candidates.empty())
        return std::nullopt;
    return candidates.front();
}

void BM_OurAccuracy(benchmark::State& state)
{
    const int network = static_cast<int>(state.range(0));
    const int perOffset = envCount("OCR_SAMPLES", 250);
    platform::MemoryDesktop desktop;
    StillFloater floater;
    ocr::CaptionOcr reader(desktop, floater, [network] { return network == ocr::kCaptionClearType; });
    Tally tally;
    for (auto _ : state) {
        auto rng = sampleGenerator(network);
        for (int offset : offsetsFor(network))
            for (int i = 0; i < perOffset; ++i) {
                const auto sample = ocrbench::MakeSample(rng, network, offset);
                const auto window = addWindow(desktop, network, sample);
                const auto start = Clock::now();
                const double cpuStart = threadSeconds();
                const auto read = readWithOurs(reader, network, window, sample.window);
                tally.cpuSeconds += threadSeconds() - cpuStart;
                tally.seconds += std::chrono::duration<double>(Clock::now() - start).count();
                tally.add(sample.number, read);
                if (window)
                    desktop.remove(window);
            }
    }
    state.SetLabel(ocr::kStoredNetworkNames[network]);
    tally.report(state);
}

std::string runTesseract(const QString& png)
{
    // One thread per process, as is usual when many small pictures are read.
    const std::string command = "OMP_THREAD_LIMIT=1 tesseract '" + png.toStdString() +
                                "' stdout --psm 7 -c tessedit_char_whitelist=0123456789-A 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, pipe))
            out += buf;
        pclose(pipe);
    }
    std::erase_if(out, [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\f'; });
    return out;
}

void BM_TesseractAccuracy(benchmark::State& state)
{
    const int network = static_cast<int>(state.range(0));
    const int perOffset = envCount("OCR_TESSERACT_SAMPLES", 25);
    QTemporaryDir dir;
    Tally tally;
    for (auto _ : state) {
        auto rng = sampleGenerator(network);
        for (int offset : offsetsFor(network))
            for (int i = 0; i < perOffset; ++i) {
                const auto sample = ocrbench::MakeSample(rng, network, offset);
                const QString png = dir.filePath("strip.png");
                ocr::ToQImage(sample.window).copy(sample.readArea).save(png);
                const auto start = Clock::now();
                const double cpuStart = childSeconds();
                std::string text = runTesseract(png);
                tally.cpuSeconds += childSeconds() - cpuStart;
                tally.seconds += std::chrono::duration<double>(Clock::now() - start).count();
                // Tesseract sees the hyphen where the strip shows it.
                std::string truth = sample.number;
                if (network == ocr::kDigits16)
                    std::erase(truth, '-');
                tally.add(truth, text.empty() ? std::nullopt : std::optional<std::string>(text));
            }
    }
    state.SetLabel(ocr::kStoredNetworkNames[network]);
    tally.report(state);
}

BENCHMARK(BM_OurAccuracy)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TesseractAccuracy)->DenseRange(0, 3)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
