// Speed of the recognition: one 400-50-400 network pass, and one whole
// caption recognition (cleaning, segmentation, classification) of a
// 150-pixel strip.

#include "OcrSamples.h"

#include "ocr/core/CaptionOcr.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

// One core's multiply-adds per second: the clock times the single-precision
// fused multiply-adds it can issue per cycle (two 256-bit pipes on this
// machine, 16 lanes), the physical limit.
double peakMultiplyAddsPerSecond()
{
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("cpu MHz", 0) == 0)
            return std::stod(line.substr(line.find(':') + 1)) * 1e6 * 16.0;
    return 0.0;
}

void BM_Apply(benchmark::State& state)
{
    ocr::TFrmOCR host;
    host.LoadDCRFile(ocr::kCaption);
    ocr::TBackProp& net = host.Network;
    for (std::size_t i = 1; i < net.InputLayer.size(); ++i)
        net.InputLayer[i] = (i % 3 == 0) ? 1.0f : -1.0f;
    for (auto _ : state) {
        net.Apply();
        benchmark::DoNotOptimize(net.OutputLayer.data());
        benchmark::ClobberMemory();
    }
    const double macs = static_cast<double>(net.NHiddenNeuron()) * (net.NInputNeuron() + 1) +
                        static_cast<double>(net.NOutputNeuron()) * (net.NHiddenNeuron() + 1);
    state.counters["mul_adds_per_pass"] = macs;
    state.counters["mul_adds_per_s"] =
        benchmark::Counter(macs, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_mul_adds_per_s"] = peakMultiplyAddsPerSecond();
}
BENCHMARK(BM_Apply);

ocrbench::Sample captionSample(bool clearType)
{
    std::mt19937 rng(42);
    return ocrbench::MakeSample(rng, clearType ? ocr::kCaptionClearType : ocr::kCaption, 0);
}

// Reload, clean, segment and classify one strip, as one offset of a caption read does.
void BM_CaptionRecognition(benchmark::State& state)
{
    const bool clearType = state.range(0) != 0;
    const auto sample = captionSample(clearType);
    const auto& area = sample.readArea;
    ocr::Image strip(area.width(), area.height());
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            strip.setPixel(x, y, sample.window.pixel(area.left() + x, area.top() + y));
    ocr::TFrmOCR host;
    std::string text;
    for (auto _ : state) {
        host.LoadDCRFile(clearType ? ocr::kCaptionClearType : ocr::kCaption);
        text = host.Recognize(ocr::CleanStrip(strip, ocr::StripKind::CaptionBar, clearType));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetLabel(text == [&] { auto t = sample.number; std::erase(t, '-'); return t; }()
                       ? "read correctly"
                       : "MISREAD " + text);
}
BENCHMARK(BM_CaptionRecognition)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
