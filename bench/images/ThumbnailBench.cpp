// 170-pixel thumbnails of 12-megapixel JPEG photos: MakeThumbnailFile next to
// vipsthumbnail and ImageMagick's convert, each on the same 20 generated
// photos (a small set, since the machine is shared). The peers run one
// process per photo and on one thread, as MakeThumbnailFile does; the batch
// variant of vipsthumbnail takes all photos in one process.

#include "images/Jpeg.h"
#include "images/Thumbnail.h"
#include "images/codecs/GraphicFormat.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>

namespace {

constexpr int kPhotos = 20;
// The Debian ImageMagick 6 binary itself, not whatever "convert" is first on
// the path.
const QString kConvert = QStringLiteral("/usr/bin/convert-im6.q16");

struct Photos {
    QTemporaryDir dir;
    QStringList files;

    Photos()
    {
        QImage photo(4000, 3000, images::kFormat24);
        for (int i = 0; i < kPhotos; ++i) {
            quint32 seed = quint32(i + 1);
            for (int y = 0; y < photo.height(); ++y) {
                uchar* row = photo.scanLine(y);
                for (int x = 0; x < photo.width(); ++x) {
                    seed = seed * 1664525u + 1013904223u;
                    const int noise = int(seed >> 29);
                    row[3 * x] = uchar((x / 16 + i * 10) + noise);
                    row[3 * x + 1] = uchar((y / 12) + noise);
                    row[3 * x + 2] = uchar(((x + y) / 20) + noise);
                }
            }
            const QString path = dir.filePath(QString("photo%1.jpg").arg(i));
            images::WriteFileBytes(path, images::EncodeJpeg(photo, 90));
            files << path;
        }
    }
};

const Photos& TestPhotos()
{
    static const Photos photos;
    return photos;
}

// CPU time of this process and of its finished children, in ms: on a
// shared machine wall time mostly measures the neighbours.
double CpuMilliseconds()
{
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime})
            total += t.tv_sec * 1000.0 + t.tv_usec / 1000.0;
    }
    return total;
}

// Times the loop in wall and CPU milliseconds per photo.
template <typename Body>
void PerImage(benchmark::State& state, Body&& body)
{
    const double cpuStart = CpuMilliseconds();
    const auto wallStart = std::chrono::steady_clock::now();
    for (auto _ : state)
        body();
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    const double images = double(state.iterations()) * kPhotos;
    state.counters["wall_ms_per_image"] = wall / images;
    state.counters["cpu_ms_per_image"] = (CpuMilliseconds() - cpuStart) / images;
}

void Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VIPS_CONCURRENCY", "1");
    environment.insert("MAGICK_THREAD_LIMIT", "1");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
}

void BM_MakeThumbnailFile(benchmark::State& state)
{
    const Photos& photos = TestPhotos();
    PerImage(state, [&] {
        for (const QString& file : photos.files)
            if (!images::MakeThumbnailFile(file, file + ".tmb", 170, QImage(), 75))
                state.SkipWithError("MakeThumbnailFile failed");
    });
}

void BM_Vipsthumbnail(benchmark::State& state)
{
    const Photos& photos = TestPhotos();
    PerImage(state, [&] {
        for (const QString& file : photos.files)
            Run("vipsthumbnail", {file, "--size", "170", "-o", file + ".vips.jpg[Q=75]"});
    });
}

void BM_VipsthumbnailOneProcess(benchmark::State& state)
{
    const Photos& photos = TestPhotos();
    PerImage(state, [&] {
        Run("vipsthumbnail", QStringList(photos.files) << "--size" << "170" << "-o" << "%s.batch.jpg[Q=75]");
    });
}

void BM_ImageMagickConvert(benchmark::State& state)
{
    const Photos& photos = TestPhotos();
    PerImage(state, [&] {
        for (const QString& file : photos.files)
            Run(kConvert, {"-define", "jpeg:size=340x255", file, "-thumbnail", "170x", "-quality",
                           "75", file + ".magick.jpg"});
    });
}

BENCHMARK(BM_MakeThumbnailFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Vipsthumbnail)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_VipsthumbnailOneProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ImageMagickConvert)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
