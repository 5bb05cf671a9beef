#pragma once
// How the LoadPictureFile fuzzer reads its input: the first byte picks the
// file's extension (low four bits) and the reduced mode (top bit), the rest
// is the file. Shared with the tests that replay kept inputs.

#include <QString>

#include <cstdint>

namespace fuzz {

inline QString PictureFileExtension(std::uint8_t selector)
{
    static const char* const kExtensions[] = {"bmp", "jpg", "JPEG", "tmb", "jp2", "j2k", "gif", "pcx",
                                              "tga", "wmf", "pcd", "png", "tif", "TIFF", "txt", ""};
    return QString::fromLatin1(kExtensions[selector & 15]);
}

inline bool PictureFileReduced(std::uint8_t selector)
{
    return selector & 0x80;
}

} // namespace fuzz
