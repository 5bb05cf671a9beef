// DICOM rendering next to DCMTK's DicomImage in the same run:
// - a window change on a decoded 3000 x 3000 16-bit frame (the editor's
//   window drag) against DicomImage::setWindow + getOutputData(8);
// - 170-pixel thumbnails of 20 objects of 1000 x 1300, 16 bits, read from
//   files, against DicomImage construct + createScaledImage.

#include "dicom/DicomDataSet.h"
#include "dicom/FrameRenderer.h"

#include <QTemporaryDir>

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/dcmimgle/dcmimage.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

void FillGrey16(DcmDataset& ds, int rows, int columns, unsigned seed)
{
    ds.putAndInsertString(DCM_SOPClassUID, UID_SecondaryCaptureImageStorage);
    ds.putAndInsertString(DCM_SOPInstanceUID, ("1.2.826.0.1.99." + std::to_string(seed)).c_str());
    ds.putAndInsertUint16(DCM_SamplesPerPixel, 1);
    ds.putAndInsertString(DCM_PhotometricInterpretation, "MONOCHROME2");
    ds.putAndInsertUint16(DCM_Rows, static_cast<Uint16>(rows));
    ds.putAndInsertUint16(DCM_Columns, static_cast<Uint16>(columns));
    ds.putAndInsertUint16(DCM_BitsAllocated, 16);
    ds.putAndInsertUint16(DCM_BitsStored, 16);
    ds.putAndInsertUint16(DCM_HighBit, 15);
    ds.putAndInsertUint16(DCM_PixelRepresentation, 0);
    ds.putAndInsertString(DCM_WindowCenter, "30000");
    ds.putAndInsertString(DCM_WindowWidth, "20000");
    std::vector<Uint16> pixels(static_cast<size_t>(rows) * columns);
    Uint32 state = seed * 2654435761u + 1;
    for (size_t i = 0; i < pixels.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        pixels[i] = static_cast<Uint16>((i % columns) * 13 + (i / columns) * 7 + (state >> 24));
    }
    ds.putAndInsertUint16Array(DCM_PixelData, pixels.data(), static_cast<unsigned long>(pixels.size()));
}

// Window centres swept through like a drag.
double Centre(int64_t i)
{
    return 20000.0 + static_cast<double>(i % 200) * 100.0;
}

void BM_WindowChange_Ours(benchmark::State& state)
{
    IDicomDataSet ds;
    FillGrey16(ds.Dataset(), 3000, 3000, 1);
    auto renderer = ds.FrameRendererFor(0);
    int64_t i = 0;
    for (auto _ : state) {
        renderer->setWindow(Centre(i++), 8000);
        QImage picture = renderer->render();
        benchmark::DoNotOptimize(picture.constBits());
    }
}
BENCHMARK(BM_WindowChange_Ours)->Unit(benchmark::kMillisecond);

void BM_WindowChange_DicomImage(benchmark::State& state)
{
    DcmFileFormat file;
    FillGrey16(*file.getDataset(), 3000, 3000, 1);
    DicomImage image(file.getDataset(), EXS_LittleEndianExplicit, CIF_UsePartialAccessToPixelData, 0, 1);
    int64_t i = 0;
    for (auto _ : state) {
        image.setWindow(Centre(i++), 8000);
        const void* data = image.getOutputData(8);
        benchmark::DoNotOptimize(data);
    }
}
BENCHMARK(BM_WindowChange_DicomImage)->Unit(benchmark::kMillisecond);

constexpr int kObjects = 20;

struct Study {
    QTemporaryDir dir;
    std::vector<std::string> files;
    Study()
    {
        for (int n = 0; n < kObjects; ++n) {
            DcmFileFormat file;
            FillGrey16(*file.getDataset(), 1300, 1000, static_cast<unsigned>(n + 10));
            files.push_back(dir.filePath(QStringLiteral("%1.dcm").arg(n)).toStdString());
            file.saveFile(files.back().c_str(), EXS_LittleEndianExplicit);
        }
    }
};

Study& TheStudy()
{
    static Study study;
    return study;
}

void BM_Thumbnails20_Ours(benchmark::State& state)
{
    Study& study = TheStudy();
    for (auto _ : state)
        for (const std::string& path : study.files) {
            IDicomDataSet ds;
            ds.LoadFile(QString::fromStdString(path));
            ds.SetWindowMode(ds.WindowModeFromAttributes());
            QImage icon = ds.FrameRendererFor(0)->renderScaled(170, 221);
            benchmark::DoNotOptimize(icon.constBits());
        }
}
BENCHMARK(BM_Thumbnails20_Ours)->Unit(benchmark::kMillisecond);

void BM_Thumbnails20_DicomImage(benchmark::State& state)
{
    Study& study = TheStudy();
    for (auto _ : state)
        for (const std::string& path : study.files) {
            DcmFileFormat file;
            file.loadFile(path.c_str());
            DicomImage image(file.getDataset(), file.getDataset()->getOriginalXfer(),
                             CIF_UsePartialAccessToPixelData, 0, 1);
            image.setWindow(0);
            std::unique_ptr<DicomImage> scaled(image.createScaledImage(170UL, 221UL, 1, 0));
            benchmark::DoNotOptimize(scaled->getOutputData(8));
        }
}
BENCHMARK(BM_Thumbnails20_DicomImage)->Unit(benchmark::kMillisecond);

} // namespace
