#include "images/codecs/GraphicFormat.h"

#include <QFile>
#include <QSaveFile>

namespace images {

QList<QRgb> GreyPalette()
{
    QList<QRgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = qRgb(i, i, i);
    return palette;
}

QImage NewBitmap(qint64 width, qint64 height, QImage::Format format, const char* error)
{
    if (width <= 0 || height <= 0 || width * height > kMaxBitmapPixels)
        throw EGraphicFormat(error);
    QImage bitmap(int(width), int(height), format);
    if (bitmap.isNull())
        throw EGraphicFormat(error);
    return bitmap;
}

quint8 ByteReader::U8()
{
    if (pos_ >= data_.size())
        Fail();
    return quint8(data_[pos_++]);
}

quint16 ByteReader::U16()
{
    const quint16 low = U8();
    return quint16(low | (U8() << 8));
}

void ByteReader::Skip(qsizetype count)
{
    if (count < 0 || count > Remaining())
        Fail();
    pos_ += count;
}

void ByteReader::Seek(qsizetype position)
{
    if (position < 0 || position > data_.size())
        Fail();
    pos_ = position;
}

QByteArray ReadFromStart(QIODevice& stream)
{
    if (!stream.isSequential())
        stream.seek(0);
    return stream.readAll();
}

void WriteFromStart(QIODevice& stream, const QByteArray& data)
{
    if (!stream.isSequential())
        stream.seek(0);
    if (stream.write(data) != data.size())
        throw EGraphicFormat("Cannot write picture data: " + stream.errorString().toStdString());
}

QByteArray ReadFileBytes(const QString& fileName, const char* error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EGraphicFormat(error);
    if (file.size() > kMaxPictureFileBytes)
        throw EGraphicFormat("The picture file is too large (" + std::to_string(file.size())
                             + " bytes)");
    return file.readAll();
}

void WriteFileBytes(const QString& fileName, const QByteArray& data)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw EGraphicFormat("Cannot write " + fileName.toStdString() + ": "
                             + file.errorString().toStdString());
}

void PutU8(QByteArray& out, int value)
{
    out.append(char(value & 0xFF));
}

void PutU16(QByteArray& out, int value)
{
    PutU8(out, value);
    PutU8(out, value >> 8);
}

} // namespace images
