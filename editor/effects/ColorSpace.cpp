#include "ColorSpace.h"

#include "PixelAccess.h"

#include <algorithm>

namespace effects {

using detail::rnd;

Hsl RGBToHSL(Rgb c)
{
    const double r = c.r / 255.0, g = c.g / 255.0, b = c.b / 255.0;
    const double mx = std::max(r, std::max(g, b));
    const double mn = std::min(r, std::min(g, b));
    const double l = (mx + mn) / 2;
    if (mx == mn)
        return {0, 0, rnd(l * 255)};
    const double d = mx - mn;
    const double s = l >= 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    double h;
    if (r == mx)
        h = (g - b) / d;
    else if (g != mx)
        h = (r - g) / d + 4;
    else
        h = (b - r) / d + 2;
    h /= 6;
    if (h < 0)
        h += 1;
    return {rnd(h * 358), rnd(s * 255), rnd(l * 255)};
}

namespace {

double hueToChannel(double m1, double m2, double t)
{
    if (t < 0)
        t += 1;
    else if (t > 1)
        t -= 1;
    if (6 * t < 1)
        return m1 + (m2 - m1) * 6 * t;
    if (2 * t < 1)
        return m2;
    if (3 * t >= 2)
        return m1;
    return m1 + (m2 - m1) * (2.0 / 3 - t) * 6;
}

// Hues outside the circle (a filter sum can produce them) wrap around it.
int wrapHue(int h, int period) { return ((h % period) + period) % period; }

} // namespace

Rgb HSLToRGB(Hsl c)
{
    const int hue = c.h >= 0 && c.h <= 358 ? c.h : wrapHue(c.h, 358);
    const double h = hue / 358.0, s = c.s / 255.0, l = c.l / 255.0;
    if (s == 0) {
        const int v = rnd(l * 255);
        return {v, v, v};
    }
    const double m2 = l > 0.5 ? s + l - s * l : l * (s + 1);
    const double m1 = 2 * l - m2;
    return {rnd(hueToChannel(m1, m2, h + 1.0 / 3) * 255), rnd(hueToChannel(m1, m2, h) * 255),
            rnd(hueToChannel(m1, m2, h - 1.0 / 3) * 255)};
}

Hsv RGBToHSV(Rgb c)
{
    const int v = std::max(c.r, std::max(c.g, c.b));
    const int m = std::min(c.r, std::min(c.g, c.b));
    const int s = v == 0 ? 0 : (v - m) * 255 / v;
    if (s == 0)
        return {0, 0, v};
    const int d = v - m;
    int h;
    if (c.r == v)
        h = (c.g - c.b) * 60 / d;
    else if (c.g == v)
        h = (c.b - c.r) * 60 / d + 120;
    else
        h = (c.r - c.g) * 60 / d + 240;
    if (h < 0)
        h += 360;
    return {h, s, v};
}

Rgb HSVToRGB(Hsv c)
{
    const int v = c.v;
    if (c.s == 0)
        return {v, v, v};
    const int h = wrapHue(c.h, 360);
    const int f = h % 60;
    const int a = c.s * v;
    const int p = v - a / 255;
    const int q = v - f * a / 15300;
    const int t = v - a * (60 - f) / 15300;
    switch (h / 60) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
    }
}

} // namespace effects
