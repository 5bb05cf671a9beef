#pragma once
// JPEG 2000 pictures on OpenJPEG: reads JP2 files and raw code streams,
// writes JP2 files.

#include "images/codecs/GraphicFormat.h"

#include <algorithm>

namespace images {

class EJpeg2000Error : public EGraphicFormat {
public:
    using EGraphicFormat::EGraphicFormat;
};

class TJpeg2000Bitmap {
public:
    // Decodes from the stream's start; afterwards the stream stands just after
    // the bytes the decoder used.
    void LoadFromStream(QIODevice& stream);
    void SaveToStream(QIODevice& stream) const;

    // The decoded picture (24-bit, 32-bit or 8-bit grey), or the one to write.
    QImage bitmap;

    void SetLossless(bool lossless) { FLossless = lossless; }
    void SetQuality(int quality) { FQuality = std::clamp(quality, 1, 100); }

    // Decodes bytes; returns how many of them the decoder used.
    qsizetype Decode(const QByteArray& data);
    QByteArray Encode() const;

private:
    bool FLossless = false;
    int FQuality = 80;
};

// The compression ratio of the one quality layer for a quality of 1..100.
float Jpeg2000Rate(int quality, qint64 width, qint64 height, int components);

} // namespace images
