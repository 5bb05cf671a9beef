// libFuzzer target: a DICOM object read from a file, as the program reads
// them, its values and its first and last frames rendered as the image data
// renders them. Errors are expected; crashes, hangs and huge allocations are
// not.

#include "dicom/DicomDataSet.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.dcm"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    IDicomDataSet ds;
    ds.SetPixelCap(std::uint64_t{64} << 20);
    try {
        ds.LoadFile(path);
    } catch (const dicom::DicomError&) {
        return 0;
    }
    for (const dicom::DicomAttribute& attribute : ds.GetAllAttributes())
        (void)attribute.Value.size();
    const unsigned frames = ds.FrameCount();
    for (unsigned frame : {0U, frames - 1}) {
        try {
            ds.SetWindowMode(ds.WindowModeFromAttributes());
            (void)ds.RenderFrame(frame);
        } catch (const dicom::DicomError&) {
        }
    }
    return 0;
}
