// Feeds one decoder, chosen at build time by extension, with arbitrary bytes.
// A picture or EGraphicFormat are the only acceptable outcomes.

#include "images/PictureFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QImage target;
    try {
        images::LoadPictureData(target, bytes, QStringLiteral(TQ7_FUZZ_EXTENSION), false);
    } catch (const images::EGraphicFormat&) {
    }
    return 0;
}
