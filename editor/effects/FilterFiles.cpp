#include "FilterFiles.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace effects {

namespace {

constexpr int kNoteSize = 36;
constexpr int kFilterNameUnits = 129;
constexpr int kMultiPassNameUnits = 101;
constexpr char kLinearTag[] = "fxlf";
constexpr char kMultiPassTag[] = "fxmf";

class Writer {
public:
    explicit Writer(int size) : bytes_(size, '\0') {}
    void byte(uint8_t v) { bytes_[pos_++] = char(v); }
    void int32(qint32 v)
    {
        qToLittleEndian(v, bytes_.data() + pos_);
        pos_ += 4;
    }
    // Zero-terminated UTF-16 in a field of units code units; longer names are cut.
    void name(const QString& text, int units)
    {
        const QString cut = text.left(units - 1);
        for (int i = 0; i < units; ++i) {
            const char16_t u = i < cut.size() ? cut[i].unicode() : 0;
            qToLittleEndian(quint16(u), bytes_.data() + pos_);
            pos_ += 2;
        }
    }
    QByteArray bytes() const { return bytes_; }

private:
    QByteArray bytes_;
    int pos_ = 0;
};

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : bytes_(bytes) {}
    uint8_t byte() { return uint8_t(bytes_[pos_++]); }
    qint32 int32()
    {
        const qint32 v = qFromLittleEndian<qint32>(bytes_.constData() + pos_);
        pos_ += 4;
        return v;
    }
    QString name(int units)
    {
        QString text;
        for (int i = 0; i < units; ++i) {
            const quint16 u = qFromLittleEndian<quint16>(bytes_.constData() + pos_ + 2 * i);
            if (u == 0)
                break;
            text.append(QChar(u));
        }
        pos_ += 2 * units;
        return text;
    }

private:
    const QByteArray& bytes_;
    int pos_ = 0;
};

// The record's own encoding with the given bytes laid over its start.
QByteArray overlay(QByteArray encoded, const QByteArray& bytes)
{
    std::memcpy(encoded.data(), bytes.constData(), size_t(std::min(bytes.size(), encoded.size())));
    return encoded;
}

QByteArray creatorNote()
{
    QByteArray note("Tervalen Q7-koppling");
    note.resize(kNoteSize, '\0');
    return note;
}

void writeFile(const QString& fileName, const char* tag, const QByteArray& record)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFileStream(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
    const QByteArray bytes = QByteArray(tag, 4) + record + creatorNote();
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw EFileStream(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
}

// The record bytes that follow a matching tag (as many as the file holds).
QByteArray readRecord(const QString& fileName, const char* tag, int recordSize)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileStream(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
    if (file.read(4) != QByteArray(tag, 4))
        throw EGraphicEffects("Not a valid linear filter file");
    return file.read(recordSize);
}

} // namespace

QByteArray EncodeGraphicFilter(const TGraphicFilter& filter)
{
    Writer w(kGraphicFilterRecordSize);
    w.byte(filter.FilterType);
    w.byte(filter.MatrixSize);
    for (qint32 k : filter.Matrix)
        w.int32(k);
    w.int32(filter.Divisor);
    w.int32(filter.Bias);
    w.name(filter.FilterName, kFilterNameUnits);
    return w.bytes();
}

void DecodeGraphicFilter(const QByteArray& bytes, TGraphicFilter& filter)
{
    const QByteArray record = overlay(EncodeGraphicFilter(filter), bytes);
    Reader r(record);
    TGraphicFilter f;
    f.FilterType = TFilterType(r.byte());
    f.MatrixSize = TMatrixSize(r.byte());
    for (qint32& k : f.Matrix)
        k = r.int32();
    f.Divisor = r.int32();
    f.Bias = r.int32();
    f.FilterName = r.name(kFilterNameUnits);
    filter = f;
}

QByteArray EncodeMultiPassFilter(const TMultiPassFilter& filter)
{
    Writer w(kMultiPassRecordSize);
    w.byte(filter.FilterType);
    for (qint32 position : filter.Filters)
        w.int32(position);
    for (uint8_t function : filter.Functions)
        w.byte(function);
    w.name(filter.FilterName, kMultiPassNameUnits);
    return w.bytes();
}

void DecodeMultiPassFilter(const QByteArray& bytes, TMultiPassFilter& filter)
{
    const QByteArray record = overlay(EncodeMultiPassFilter(filter), bytes);
    Reader r(record);
    TMultiPassFilter f;
    f.FilterType = TFilterType(r.byte());
    for (qint32& position : f.Filters)
        position = r.int32();
    for (uint8_t& function : f.Functions)
        function = r.byte();
    f.FilterName = r.name(kMultiPassNameUnits);
    filter = f;
}

void SaveLinearFilter(const QString& fileName, const TGraphicFilter& filter)
{
    writeFile(fileName, kLinearTag, EncodeGraphicFilter(filter));
}

void LoadLinearFilter(const QString& fileName, TGraphicFilter& filter)
{
    DecodeGraphicFilter(readRecord(fileName, kLinearTag, kGraphicFilterRecordSize), filter);
}

void SaveMultiPassFilter(const QString& fileName, const TMultiPassFilter& filter)
{
    writeFile(fileName, kMultiPassTag, EncodeMultiPassFilter(filter));
}

void LoadMultiPassFilter(const QString& fileName, TMultiPassFilter& filter)
{
    DecodeMultiPassFilter(readRecord(fileName, kMultiPassTag, kMultiPassRecordSize), filter);
}

} // namespace effects
