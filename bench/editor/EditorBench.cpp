// The editor's costs on a 12-megapixel picture: painting the display into a
// 1920 x 1080 view at several zooms, beside a plain QPainter::drawImage of the
// same port (the peer); opening a 12 MP JPEG into the working copy; and one
// brightness step in place. Times are CPU time of the whole process (Qt
// converts and scales large images on its thread pool, which a per-thread
// clock would miss); the paint benchmarks also report the 95th percentile of
// single frames.

#include "editor/display/MagnifierImage.h"
#include "editor/effects/Ops32.h"
#include "images/PictureFileImageData.h"

#include <benchmark/benchmark.h>

#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000;
const QSize kView(1920, 1080);

double ProcessCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Shading with noise, like a photograph.
QImage MakePicture()
{
    QImage img(kWidth, kHeight, QImage::Format_ARGB32);
    quint32 seed = 4711;
    for (int y = 0; y < kHeight; ++y) {
        auto* p = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int n = int(seed >> 28) - 8;
            p[x] = qRgb(std::clamp(x * 255 / kWidth + n, 0, 255), std::clamp(y * 255 / kHeight + n, 0, 255),
                        std::clamp(128 + n * 4, 0, 255));
        }
    }
    return img;
}

QImage& Picture()
{
    static QImage picture = MakePicture();
    return picture;
}

void ReportFrames(benchmark::State& state, std::vector<double>& frames)
{
    std::sort(frames.begin(), frames.end());
    if (!frames.empty()) {
        state.counters["p95_ms"] = frames[std::min(frames.size() - 1, frames.size() * 95 / 100)];
        state.counters["median_ms"] = frames[frames.size() / 2];
    }
}

// The display's own paint: port arithmetic, RGB32 view, mip cache.
void DisplayPaint(benchmark::State& state, bool smooth)
{
    const double zoom = state.range(0) / 10.0;
    editor::TMagnifierImage display;
    display.resize(kView);
    display.SetSourceBitmap(&Picture());
    display.SetSmooth(smooth);
    display.SetFactor(zoom);
    display.SetPortCenter(QPoint(kWidth / 2, kHeight / 2));
    QImage target(kView, QImage::Format_RGB32);
    {
        QPainter warm(&target); // builds the mip levels once, as the first paint does
        display.PaintTo(warm);
    }
    std::vector<double> frames;
    for (auto _ : state) {
        const double start = ProcessCpuMs();
        QPainter painter(&target);
        display.PaintTo(painter);
        painter.end();
        frames.push_back(ProcessCpuMs() - start);
    }
    ReportFrames(state, frames);
}

// The peer: QPainter::drawImage of the same port straight from the ARGB32
// picture, without the display's view or mip levels.
void PlainDrawImage(benchmark::State& state, bool smooth)
{
    const double zoom = state.range(0) / 10.0;
    editor::TMagnifierImage display; // only for the same port and target
    display.resize(kView);
    display.SetSourceBitmap(&Picture());
    display.SetFactor(zoom);
    display.SetPortCenter(QPoint(kWidth / 2, kHeight / 2));
    const editor::PortLayout layout = display.Layout();
    QImage target(kView, QImage::Format_RGB32);
    std::vector<double> frames;
    for (auto _ : state) {
        const double start = ProcessCpuMs();
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        painter.drawImage(QRectF(layout.target), Picture(), QRectF(layout.port));
        painter.end();
        frames.push_back(ProcessCpuMs() - start);
    }
    ReportFrames(state, frames);
}

void PaintNearest(benchmark::State& s) { DisplayPaint(s, false); }
void PaintSmooth(benchmark::State& s) { DisplayPaint(s, true); }
void PlainNearest(benchmark::State& s) { PlainDrawImage(s, false); }
void PlainSmooth(benchmark::State& s) { PlainDrawImage(s, true); }

// Picture file to working copy, as the editor loads it.
void OpenJpeg(benchmark::State& state)
{
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("1000_1.jpg"));
    if (!QFile::exists(file))
        Picture().convertToFormat(QImage::Format_RGB888).save(file, "JPG", 92);
    for (auto _ : state) {
        auto image = images::MakeJournalPictureImage(file, 1);
        QImage working;
        image->GetGraphic32(working, 0, true);
        benchmark::DoNotOptimize(working.constBits());
    }
}

// One quick-tool step on the working copy the display shows: in place, no
// copy of the 48 MB.
void BrightnessStep(benchmark::State& state)
{
    QImage& working = Picture();
    editor::TMagnifierImage display;
    display.SetSourceBitmap(&working);
    const uchar* before = working.constBits();
    for (auto _ : state) {
        effects::Brightness32(working, working, 1);
        display.ImageChanged();
    }
    state.counters["detached"] = working.constBits() != before ? 1 : 0;
}

void Zooms(benchmark::internal::Benchmark* b)
{
    for (int z : {3, 5, 10, 20, 40})
        b->Arg(z);
    b->Unit(benchmark::kMillisecond)->Iterations(60)->MeasureProcessCPUTime();
}

} // namespace

BENCHMARK(PaintNearest)->Apply(Zooms);
BENCHMARK(PlainNearest)->Apply(Zooms);
BENCHMARK(PaintSmooth)->Apply(Zooms);
BENCHMARK(PlainSmooth)->Apply(Zooms);
BENCHMARK(OpenJpeg)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime();
BENCHMARK(BrightnessStep)->Unit(benchmark::kMillisecond)->Iterations(10)->MeasureProcessCPUTime();
