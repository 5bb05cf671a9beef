#pragma once
// Helpers shared by the OCR tests.

#include "ocr/core/BackProp.h"
#include "ocr/core/FileStorage.h"
#include "ocr/core/StoredNetworks.h"

#include <string>
#include <vector>

namespace ocrtest {

inline const ocr::TFileStorage& StoredContainer()
{
    static ocr::TFileStorage storage;
    static const bool read = storage.ReadContainer(ocr::StoredNetworksContainer());
    (void)read;
    return storage;
}

inline const std::vector<std::uint8_t>& StoredKnowledge(int index)
{
    return StoredContainer().Files.at(static_cast<std::size_t>(index))->Data;
}

// A layer of the picture convention from rows of '#' (black) and '.'.
inline ocr::TLayer LayerFromRows(const std::vector<std::string>& rows)
{
    ocr::TLayer layer(1, 0.0f);
    for (const auto& row : rows)
        for (char c : row)
            layer.push_back(c == '#' ? 1.0f : -1.0f);
    return layer;
}

} // namespace ocrtest
