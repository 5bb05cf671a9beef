#pragma once
// Small helpers for building picture files byte by byte in tests.

#include "images/codecs/GraphicFormat.h"

#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <initializer_list>

namespace images::testing {

inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

inline void AppendU16(QByteArray& out, int v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

// Expects `action` to raise EGraphicFormat (or a subclass) with this message.
template <typename Action>
void ExpectFormatError(Action&& action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "no error raised, expected \"" << message << "\"";
    } catch (const EGraphicFormat& e) {
        EXPECT_EQ(e.what(), message);
    }
}

inline QImage Image24(int width, int height, QRgb fill)
{
    QImage image(width, height, kFormat24);
    image.fill(fill);
    return image;
}

// A picture whose every pixel differs from its neighbours.
inline QImage Pattern24(int width, int height)
{
    QImage image(width, height, kFormat24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 37 + y) & 0xFF, (y * 53 + x * 3) & 0xFF, (x * y) & 0xFF));
    return image;
}

} // namespace images::testing
