// Feeds the stored-file container reader with arbitrary bytes, then reads
// every entry it accepted as a knowledge file, as the OCR host does.

#include "ocr/core/BackProp.h"
#include "ocr/core/FileStorage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ocr::TFileStorage storage{ocr::ShellFolders{}};
    storage.ReadContainer({data, size});
    for (const auto& file : storage.Files) {
        if (file->Size != static_cast<int>(file->Data.size()))
            __builtin_trap();
        ocr::TBackProp net(1, 1, 1);
        std::size_t pos = 0;
        net.OpenKnowledgeFromStream(file->Data, pos);
    }
    return 0;
}
