# cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -P EmbedBinary.cmake
# Writes the bytes of INPUT as the body of ocr::StoredNetworksContainer().
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}" "// Generated from ${INPUT}; do not edit.
#include \"ocr/core/StoredNetworks.h\"

namespace ocr {
namespace {
// One spare byte keeps the array valid when the container is empty.
const std::uint8_t kContainer[${size} + 1] = {
${bytes}
};
} // namespace

std::span<const std::uint8_t> StoredNetworksContainer()
{
    return {kContainer, ${size}};
}

} // namespace ocr
")
