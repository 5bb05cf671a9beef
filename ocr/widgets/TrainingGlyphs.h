#pragma once
// Example glyphs for the stored networks: each symbol drawn in its network's
// font and smoothing, cleaned and cut out exactly as a capture would be, and
// turned into an input layer.

#include "ocr/core/BackProp.h"

#include <QString>

#include <optional>

namespace ocr {

// The glyph layer of symbol in the given network's style; variant 0 is the
// plain drawing, variant 1 a slightly different one (a sub-pixel phase or a
// size one pixel larger). Nothing when the drawing does not give one glyph.
std::optional<TLayer> TrainingGlyph(const QString& symbol, int network, int variant);

} // namespace ocr
