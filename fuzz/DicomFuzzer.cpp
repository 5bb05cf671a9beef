// libFuzzer target: a DICOM object from bytes, its values and its frames
// rendered as the image data renders them. Errors are expected; crashes,
// hangs and huge allocations are not.

#include "dicom/DicomDataSet.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IDicomDataSet ds;
    ds.SetPixelCap(std::uint64_t{64} << 20);
    try {
        ds.LoadBuffer(reinterpret_cast<const char*>(data), size);
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
