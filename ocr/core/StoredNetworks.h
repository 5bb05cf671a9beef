#pragma once
// The container of trained networks built into the program.

#include <cstdint>
#include <span>

namespace ocr {

// The "SFP1" container bytes: four knowledge files, in the order below.
std::span<const std::uint8_t> StoredNetworksContainer();

inline constexpr const char* kStoredNetworkNames[4] = {
    "MS_Sans_Serif_16_digits.dcr",
    "Arial_14_from_Q7.dcr",
    "Arial_14_from_Q7_cleartype_narrow.dcr",
    "MS_Sans_Serif_10_from_Q7.dcr",
};
enum StoredNetwork { kDigits16 = 0, kCaption = 1, kCaptionClearType = 2, kAppointment = 3 };

} // namespace ocr
