#pragma once
// What every picture codec shares: the error it raises, the pixel formats that
// stand for the bitmap depths of this system, and the guards that keep a lying
// header from making us allocate more than the file could ever fill.

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QList>

#include <stdexcept>
#include <string>

namespace images {

// A picture file that cannot be read or written; the message is English text.
class EGraphicFormat : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// 24-bit bitmaps; 32-bit bitmaps are Format_ARGB32 (0xAARRGGBB), 8-bit ones
// Format_Indexed8 with a palette, 1-bit ones Format_Mono.
inline constexpr QImage::Format kFormat24 = QImage::Format_RGB888;

// Largest bitmap a decoder makes: 64 Mpixel, 192 MB at 24 bits per pixel,
// far beyond any photo or radiograph we store.
inline constexpr qint64 kMaxBitmapPixels = qint64(1) << 26;

// Largest picture file we read: an uncompressed 32-bit picture of
// kMaxBitmapPixels and room for its headers. Anything larger could not give
// a bitmap we make, so it is refused before it is read into memory.
inline constexpr qint64 kMaxPictureFileBytes = 4 * kMaxBitmapPixels + (qint64(1) << 20);

// The palette an 8-bit bitmap has when its file gives none: a grey ramp.
QList<QRgb> GreyPalette();

// A new bitmap of the given size, or EGraphicFormat(error) when the size is
// empty, too large, or the memory cannot be had.
QImage NewBitmap(qint64 width, qint64 height, QImage::Format format, const char* error);

// Reads little-endian fields from a byte array; running past the end raises
// EGraphicFormat with the codec's own message.
class ByteReader {
public:
    ByteReader(const QByteArray& data, const char* error) : data_(data), error_(error) {}

    quint8 U8();
    quint16 U16();
    void Skip(qsizetype count);
    void Seek(qsizetype position);
    qsizetype Position() const { return pos_; }
    qsizetype Remaining() const { return data_.size() - pos_; }
    [[noreturn]] void Fail() const { throw EGraphicFormat(error_); }

private:
    const QByteArray& data_;
    const char* error_;
    qsizetype pos_ = 0;
};

// The whole content of a stream, read from its start.
QByteArray ReadFromStart(QIODevice& stream);
// Writes data from the start of the stream.
void WriteFromStart(QIODevice& stream, const QByteArray& data);
// The bytes of a file; a file that cannot be read raises EGraphicFormat(error),
// one larger than kMaxPictureFileBytes EGraphicFormat before anything is read.
QByteArray ReadFileBytes(const QString& fileName, const char* error);
// Replaces a file's content; failure raises EGraphicFormat.
void WriteFileBytes(const QString& fileName, const QByteArray& data);

// Appends little-endian fields.
void PutU8(QByteArray& out, int value);
void PutU16(QByteArray& out, int value);

} // namespace images
