#pragma once
// "Kryptera"/"Dekryptera": every byte of the picture's 24-bit rows, the row
// padding included, XOR-ed with a linear congruential stream seeded with the
// user's value. The same value undoes it.

#include <QImage>

namespace editor {

// The stream: seed := seed * 134775813 + 1 (mod 2^32); each byte is the top
// byte of the new seed.
class ScrambleStream {
public:
    explicit ScrambleStream(quint32 seed) : seed_(seed) {}
    quint8 next()
    {
        seed_ = seed_ * 134775813u + 1u;
        return quint8(seed_ >> 24);
    }

private:
    quint32 seed_;
};

// The scrambled picture as a new 32-bit working bitmap (alpha 255).
QImage ScramblePicture(const QImage& picture, qint32 value);

} // namespace editor
