#pragma once
// One frame of a DICOM object turned into a picture. The frame is decoded
// once; window changes re-render from it without reading the object again.

#include "dicom/WindowMode.h"

#include <QImage>
#include <QString>

#include <dcmtk/dcmdata/dcxfer.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

class DcmItem;
class DicomImage;

namespace dicom {

class DicomError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Largest decoded frame we accept, counted as 4 bytes per sample (DCMTK's
// intermediate form of a frame).
inline constexpr std::uint64_t kDefaultFrameByteCap = std::uint64_t{1} << 30;

struct PixelGeometry {
    std::uint64_t rows = 0;
    std::uint64_t columns = 0;
    std::uint64_t samples = 0;
    std::uint64_t bitsAllocated = 0;
    std::uint64_t frames = 0;
};

// Reads and checks the declared pixel size before anything is allocated:
// rows, columns, samples, bits and frames must be sane, one decoded frame must
// stay under `cap` and, for native pixel data, all frames must fit the stored
// bytes (compressed data: one fragment at least per frame). Raises DicomError
// with the reason otherwise.
PixelGeometry CheckPixelGeometry(DcmItem& dataset, std::uint64_t cap = kDefaultFrameByteCap);

class FrameRenderer {
public:
    // Decodes `frame` (0-based) of a dataset or of an icon item, whose
    // pixels arrived in `xfer`. Raises DicomError when it cannot be shown.
    FrameRenderer(DcmItem& dataset, E_TransferSyntax xfer, unsigned frame,
                  std::uint64_t cap = kDefaultFrameByteCap);
    ~FrameRenderer();
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    int width() const;
    int height() const;
    bool isMonochrome() const;

    void setWindowMode(WindowMode mode);
    // An explicit window (the editor's window drag).
    void setWindow(double center, double width);

    // 8 bits per sample: Format_Grayscale8 for grey objects, Format_RGB888
    // for colour. MONOCHROME1 comes out inverted, as it is meant to be seen.
    QImage render() const;
    // The same scaled to width x height (an icon).
    QImage renderScaled(int width, int height) const;

private:
    static QImage Output(DicomImage& image);

    std::unique_ptr<DicomImage> image_;
};

} // namespace dicom
