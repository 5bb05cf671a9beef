#include "dicom/FrameRenderer.h"

#include "dicom/DicomSetup.h"

#include <dcmtk/dcmdata/dcdatset.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcpixel.h>
#include <dcmtk/dcmdata/dcpixseq.h>
#include <dcmtk/dcmdata/dcpxitem.h>
#include <dcmtk/dcmimage/diregist.h> // colour images
#include <dcmtk/dcmimgle/dcmimage.h>

#include <cstring>
#include <new>
#include <string>

namespace dicom {

namespace {

std::uint64_t ReadUS(DcmItem& dataset, const DcmTagKey& tag)
{
    Uint16 value = 0;
    dataset.findAndGetUint16(tag, value);
    return value;
}

std::string Describe(const PixelGeometry& g)
{
    return std::to_string(g.columns) + " x " + std::to_string(g.rows) + ", " + std::to_string(g.samples) +
           " samples of " + std::to_string(g.bitsAllocated) + " bits, " + std::to_string(g.frames) + " frames";
}

// RLE keeps each frame in one fragment, whose header gives the number of
// segments and where they start. DCMTK's decoder reads wherever the offsets
// point, so they must lie inside the fragment, in order.
void CheckRleHeaders(DcmPixelSequence& sequence, const PixelGeometry& g)
{
    if (sequence.card() - 1 != g.frames)
        throw DicomError("RLE pixel data need one fragment per frame: " + Describe(g));
    const std::uint64_t segments = g.samples * ((g.bitsAllocated + 7) / 8);
    for (unsigned long i = 1; i < sequence.card(); ++i) {
        DcmPixelItem* item = nullptr;
        Uint8* bytes = nullptr;
        if (sequence.getItem(item, i).bad() || item == nullptr || item->getUint8Array(bytes).bad())
            throw DicomError("An RLE fragment cannot be read");
        const Uint32 length = item->getLength();
        if (bytes == nullptr || length < 64)
            throw DicomError("An RLE fragment has no header");
        auto word = [bytes](int index) {
            const Uint8* p = bytes + 4 * index;
            return static_cast<Uint32>(p[0]) | (static_cast<Uint32>(p[1]) << 8) | (static_cast<Uint32>(p[2]) << 16) |
                   (static_cast<Uint32>(p[3]) << 24);
        };
        if (word(0) != segments)
            throw DicomError("An RLE fragment has " + std::to_string(word(0)) + " segments, not " +
                             std::to_string(segments));
        Uint32 previous = 64;
        for (std::uint64_t s = 0; s < segments; ++s) {
            const Uint32 offset = word(static_cast<int>(s) + 1);
            if (offset < previous || offset >= length)
                throw DicomError("An RLE segment lies outside its fragment");
            previous = offset;
        }
    }
}

} // namespace

PixelGeometry CheckPixelGeometry(DcmItem& dataset, std::uint64_t cap)
{
    PixelGeometry g;
    g.rows = ReadUS(dataset, DCM_Rows);
    g.columns = ReadUS(dataset, DCM_Columns);
    g.samples = ReadUS(dataset, DCM_SamplesPerPixel);
    g.bitsAllocated = ReadUS(dataset, DCM_BitsAllocated);
    const std::uint64_t bitsStored = ReadUS(dataset, DCM_BitsStored);
    Sint32 frames = 1;
    if (dataset.tagExistsWithValue(DCM_NumberOfFrames) &&
        dataset.findAndGetSint32(DCM_NumberOfFrames, frames).bad())
        throw DicomError("Number of Frames is not a number");
    if (frames < 1)
        throw DicomError("Number of Frames is " + std::to_string(frames));
    g.frames = static_cast<std::uint64_t>(frames);

    if (g.rows == 0 || g.columns == 0)
        throw DicomError("The object has no rows or columns");
    if (g.samples != 1 && g.samples != 3)
        throw DicomError("Samples per Pixel is " + std::to_string(g.samples));
    if (g.bitsAllocated != 1 && g.bitsAllocated != 8 && g.bitsAllocated != 16 && g.bitsAllocated != 32)
        throw DicomError("Bits Allocated is " + std::to_string(g.bitsAllocated));
    if (bitsStored == 0 || bitsStored > g.bitsAllocated)
        throw DicomError("Bits Stored is " + std::to_string(bitsStored));

    // All factors are below 2^16, so the products of one frame fit 64 bits.
    const std::uint64_t pixels = g.rows * g.columns * g.samples;
    if (pixels * 4 > cap)
        throw DicomError("The image is too large: " + Describe(g));

    DcmElement* element = nullptr;
    if (dataset.findAndGetElement(DCM_PixelData, element).bad() || element == nullptr)
        throw DicomError("The object has no pixel data");
    auto* pixelData = static_cast<DcmPixelData*>(element);
    E_TransferSyntax xfer = EXS_Unknown;
    const DcmRepresentationParameter* param = nullptr;
    pixelData->getCurrentRepresentationKey(xfer, param);
    if (DcmXfer(xfer).isEncapsulated()) {
        DcmPixelSequence* sequence = nullptr;
        if (pixelData->getEncapsulatedRepresentation(xfer, param, sequence).bad() || sequence == nullptr)
            throw DicomError("The compressed pixel data cannot be read");
        // The first item is the offset table; every frame needs an item of its own.
        const unsigned long items = sequence->card();
        if (items < 2 || g.frames > items - 1)
            throw DicomError("The pixel data hold fewer fragments than frames: " + Describe(g));
        if (xfer == EXS_RLELossless)
            CheckRleHeaders(*sequence, g);
    } else {
        const std::uint64_t frameBytes = (pixels * g.bitsAllocated + 7) / 8;
        const std::uint64_t length = pixelData->getLengthField();
        if (length / frameBytes < g.frames)
            throw DicomError("The pixel data are shorter than " + Describe(g));
    }
    return g;
}

FrameRenderer::FrameRenderer(DcmItem& dataset, E_TransferSyntax xfer, unsigned frame, std::uint64_t cap)
{
    RegisterCodecs();
    const PixelGeometry g = CheckPixelGeometry(dataset, cap);
    if (frame >= g.frames)
        throw DicomError("The object has no frame " + std::to_string(frame));
    try {
        image_ = std::make_unique<DicomImage>(&dataset, xfer,
                                              CIF_UsePartialAccessToPixelData, frame, 1);
    } catch (const std::bad_alloc&) {
        throw DicomError("Out of memory for " + Describe(g));
    }
    if (image_->getStatus() != EIS_Normal)
        throw DicomError(DicomImage::getString(image_->getStatus()));
    if (image_->getFrameCount() < 1)
        throw DicomError("The frame could not be decoded");
}

FrameRenderer::~FrameRenderer() = default;

int FrameRenderer::width() const
{
    return static_cast<int>(image_->getWidth());
}

int FrameRenderer::height() const
{
    return static_cast<int>(image_->getHeight());
}

bool FrameRenderer::isMonochrome() const
{
    return image_->isMonochrome();
}

void FrameRenderer::setWindowMode(WindowMode mode)
{
    if (!image_->isMonochrome())
        return;
    switch (mode) {
    case WindowMode::Default:
        image_->setNoVoiTransformation();
        break;
    case WindowMode::Stored:
        if (image_->getWindowCount() == 0 || !image_->setWindow(0))
            image_->setMinMaxWindow();
        break;
    case WindowMode::Automatic:
        image_->setMinMaxWindow();
        break;
    }
}

void FrameRenderer::setWindow(double center, double width)
{
    if (image_->isMonochrome())
        image_->setWindow(center, width);
}

QImage FrameRenderer::render() const
{
    return Output(*image_);
}

QImage FrameRenderer::renderScaled(int width, int height) const
{
    if (width < 1 || height < 1 || width > 65535 || height > 65535)
        throw DicomError("Bad icon size");
    std::unique_ptr<DicomImage> scaled(
        image_->createScaledImage(static_cast<unsigned long>(width), static_cast<unsigned long>(height), 1, 0));
    if (!scaled || scaled->getStatus() != EIS_Normal)
        throw DicomError("The frame could not be scaled");
    return Output(*scaled);
}

QImage FrameRenderer::Output(DicomImage& image)
{
    const bool grey = image.isMonochrome();
    const int w = static_cast<int>(image.getWidth());
    const int h = static_cast<int>(image.getHeight());
    QImage out(w, h, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (out.isNull())
        throw DicomError("Out of memory for the picture");
    const size_t rowBytes = static_cast<size_t>(w) * (grey ? 1 : 3);
    if (static_cast<size_t>(out.bytesPerLine()) == rowBytes) {
        // Unpadded rows: DCMTK writes straight into the picture.
        if (!image.getOutputData(out.bits(), out.sizeInBytes(), 8, 0, 0))
            throw DicomError("The frame could not be rendered");
        return out;
    }
    const auto* data = static_cast<const uchar*>(image.getOutputData(8, 0, 0));
    if (data == nullptr)
        throw DicomError("The frame could not be rendered");
    for (int y = 0; y < h; ++y)
        std::memcpy(out.scanLine(y), data + rowBytes * static_cast<size_t>(y), rowBytes);
    return out;
}

} // namespace dicom
