// ScaleToBox on a 4000 x 3000 24-bit bitmap, next to a plain read of the same
// 36 MB: the read is the memory-bandwidth limit of one core.

#include "images/ScaleToBox.h"
#include "images/codecs/GraphicFormat.h"

#include <benchmark/benchmark.h>

#include <numeric>

namespace {

const QImage& Photo()
{
    static const QImage photo = [] {
        QImage image(4000, 3000, images::kFormat24);
        quint32 seed = 1;
        for (int y = 0; y < image.height(); ++y) {
            uchar* row = image.scanLine(y);
            for (int i = 0; i < image.width() * 3; ++i) {
                seed = seed * 1664525u + 1013904223u;
                row[i] = uchar(((i / 3 + y) & 0xFF) ^ (seed >> 28));
            }
        }
        return image;
    }();
    return photo;
}

void BM_ScaleToBox(benchmark::State& state)
{
    const QImage& source = Photo();
    QImage target;
    for (auto _ : state) {
        images::ScaleToBox(source, target, 170);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.SetBytesProcessed(state.iterations() * source.sizeInBytes());
    state.counters["Mpixel/s"] = benchmark::Counter(double(state.iterations()) * 12.0,
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScaleToBox)->Unit(benchmark::kMillisecond);

void BM_ReadWholeBitmap(benchmark::State& state)
{
    const QImage& source = Photo();
    const auto* words = reinterpret_cast<const quint64*>(source.constBits());
    const std::size_t count = std::size_t(source.sizeInBytes()) / sizeof(quint64);
    for (auto _ : state)
        benchmark::DoNotOptimize(std::accumulate(words, words + count, quint64(0)));
    state.SetBytesProcessed(state.iterations() * source.sizeInBytes());
    state.counters["Mpixel/s"] = benchmark::Counter(double(state.iterations()) * 12.0,
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadWholeBitmap)->Unit(benchmark::kMillisecond);

} // namespace
