#pragma once
// Turns a captured strip into the clean black-on-white picture the glyph
// frame reads, and decides whether a recognised text is a usable number.

#include "Image.h"

#include <optional>
#include <string>

namespace ocr {

// The colour of the bottom-left pixel.
Rgb ReferenceColour(const Image& picture);
// The reference colour becomes white, every other colour black.
Image Mask(const Image& picture);
// Contrast, grey and threshold for text drawn with sub-pixel smoothing.
Image PrepareClearType(const Image& picture);

enum class StripKind {
    CaptionBar,  // the 150-pixel strip of a caption bar
    Appointment, // the 89 x 12 area of the appointment window
    Plain,       // mask only
};
// The second cleaning, for strips the exact colours fail on (smoothed text,
// gradient bars): a pixel is ink when it differs from its column's bottom
// pixel by more than a threshold chosen from the strip's own differences
// (Otsu), then the same areas as CleanStrip are painted white.
Image ThresholdClean(const Image& strip, StripKind kind);

// The whole cleaning of one capture: ClearType preparation when asked, the
// mask, and the areas known to hold separators painted white.
Image CleanStrip(const Image& strip, StripKind kind, bool clearType);

} // namespace ocr
