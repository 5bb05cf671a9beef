// Feeds the knowledge-file reader with arbitrary bytes. It must stop or refuse
// without reading past the data or allocating for sizes the data cannot hold,
// and leave a network that can still be applied.

#include "ocr/core/BackProp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ocr::TBackProp net(2, 2, 2, 2, 3);
    std::size_t pos = 0;
    net.OpenKnowledgeFromStream({data, size}, pos);
    if (pos > size)
        __builtin_trap();
    net.Apply();
    (void)net.GetResult();
    return 0;
}
