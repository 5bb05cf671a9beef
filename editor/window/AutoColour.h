#pragma once
// F7: the colour adjustment stored per modality, applied without a dialog.

#include <QImage>
#include <QString>

namespace editor {

struct ColourDefaults {
    int hue = 0, saturation = 0, lightness = 0;
    int red = 0, green = 0, blue = 0;
    double gamma = 1.0;
    int contrast = 0, luminance = 0;
};

// Section "BildEditor" + modality; a value that is not a number counts as 0
// (gamma as 1).
ColourDefaults ReadColourDefaults(const QString& modality);

// Runs, each on the previous result and only when not neutral, AdjustHSL,
// AdjustRGB, ApplyGamma, then Contrast and Brightness. False (and `result`
// untouched) when every step was neutral.
bool ApplyColourDefaults(const QImage& picture, const ColourDefaults& d, QImage& result);

} // namespace editor
