// Speed of the heavy pixel operations on a 12-megapixel 24-bit image.
// "bench_effects --write-image=<file.ppm>" writes the same image for the
// side-by-side run against libvips and OpenCV (effects_vs_vips.sh).

#include "editor/effects/Filters.h"
#include "editor/effects/Geometry.h"
#include "editor/effects/Resample.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <cstring>
#include <iostream>

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// Smooth gradients with deterministic noise, so no filter sees flat input.
const QImage& testImage()
{
    static const QImage image = [] {
        QImage img(kWidth, kHeight, QImage::Format_BGR888);
        quint32 seed = 12345;
        for (int y = 0; y < kHeight; ++y) {
            uchar* p = img.scanLine(y);
            for (int x = 0; x < kWidth; ++x, p += 3) {
                seed = seed * 1664525u + 1013904223u;
                const int noise = int(seed >> 27) - 16;
                p[0] = uchar(std::clamp(x * 255 / kWidth + noise, 0, 255));
                p[1] = uchar(std::clamp(y * 255 / kHeight + noise, 0, 255));
                p[2] = uchar(std::clamp(((x ^ y) & 255) + noise, 0, 255));
            }
        }
        return img;
    }();
    return image;
}

void setPixels(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * int64_t(kWidth) * kHeight); }

void linearFilter(benchmark::State& state, const char* name)
{
    const effects::TGraphicFilter filter = effects::BuiltInFilters()[effects::BuiltInFilterPosition(name)];
    const QImage& in = testImage(); // built before the timed loop
    QImage out;
    for (auto _ : state) {
        effects::ApplyFilter(in, out, filter, 0, effects::ctRGB, {});
        benchmark::DoNotOptimize(out.constBits());
    }
    setPixels(state);
}

void Filter3x3(benchmark::State& state) { linearFilter(state, "Blur (Blur linear)"); }
void Filter3x3Average(benchmark::State& state) { linearFilter(state, "Average (Blur linear)"); }
void Filter5x5(benchmark::State& state) { linearFilter(state, "Blur more (Blur linear)"); }
void Filter7x7(benchmark::State& state) { linearFilter(state, "Blur Gaussian (Blur linear)"); }
void Filter7x7Bartlett(benchmark::State& state) { linearFilter(state, "Blur Bartlett (Blur linear)"); }
void Median3x3(benchmark::State& state) { linearFilter(state, "Median (Static)"); }

void ResampleLanczos3Half(benchmark::State& state)
{
    const QImage& in = testImage();
    QImage out;
    for (auto _ : state) {
        effects::Resample(in, out, kWidth / 2, kHeight / 2, {}, 3, effects::Lanczos3Filter);
        benchmark::DoNotOptimize(out.constBits());
    }
    setPixels(state);
}

// Row copies only: the memory-bandwidth floor for one 12-megapixel pass.
void FlipVerticalCopy(benchmark::State& state)
{
    const QImage& in = testImage();
    QImage out;
    for (auto _ : state) {
        effects::FlipVertical(in, out);
        benchmark::DoNotOptimize(out.constBits());
    }
    setPixels(state);
}

void Rotate30(benchmark::State& state)
{
    const QImage& in = testImage();
    QImage out;
    for (auto _ : state) {
        effects::Rotate(in, out, 30, {}, 0x000000, true, kHeight / 2, kWidth / 2);
        benchmark::DoNotOptimize(out.constBits());
    }
    setPixels(state);
}

} // namespace

BENCHMARK(Filter3x3)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter3x3Average)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter5x5)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter7x7)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter7x7Bartlett)->Unit(benchmark::kMillisecond);
BENCHMARK(Median3x3)->Unit(benchmark::kMillisecond);
BENCHMARK(ResampleLanczos3Half)->Unit(benchmark::kMillisecond);
BENCHMARK(Rotate30)->Unit(benchmark::kMillisecond);
BENCHMARK(FlipVerticalCopy)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    constexpr const char* option = "--write-image=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option, std::strlen(option)) == 0) {
            const bool ok = testImage().save(QString::fromLocal8Bit(argv[i] + std::strlen(option)), "PPM");
            if (!ok)
                std::cerr << "cannot write " << argv[i] + std::strlen(option) << '\n';
            return ok ? 0 : 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    testImage(); // no benchmark pays for building the input
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
