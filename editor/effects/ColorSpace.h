#pragma once
// Integer HSL (hue 0..358, the circle scaled by 358) and HSV (hue 0..359 in
// degrees) values and their conversions from and to 8-bit RGB.

namespace effects {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
struct Hsl {
    int h = 0, s = 0, l = 0;
    bool operator==(const Hsl&) const = default;
};
struct Hsv {
    int h = 0, s = 0, v = 0;
    bool operator==(const Hsv&) const = default;
};

Hsl RGBToHSL(Rgb c);
Rgb HSLToRGB(Hsl c);
Hsv RGBToHSV(Rgb c);
Rgb HSVToRGB(Hsv c);

} // namespace effects
