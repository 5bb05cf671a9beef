#include "dicom/TextValues.h"

#include <QByteArrayList>
#include <QStringDecoder>

#include <dcmtk/dcmdata/dcspchrs.h>

#include <algorithm>

namespace dicom {

namespace {

bool IsAscii(const QByteArray& raw)
{
    return std::all_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsUtf8(const QByteArray& charset)
{
    return charset.trimmed().split('\\').contains("ISO_IR 192");
}

} // namespace

QString DecodeValue(const QByteArray& raw, const QByteArray& specificCharacterSet)
{
    if (IsAscii(raw))
        return QString::fromLatin1(raw);
    if (IsUtf8(specificCharacterSet)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(raw);
        if (!utf8.hasError())
            return text;
    } else if (!specificCharacterSet.trimmed().isEmpty()) {
        DcmSpecificCharacterSet converter;
        OFString utf8;
        if (converter.selectCharacterSet(specificCharacterSet.trimmed().constData(), "ISO_IR 192").good() &&
            converter.convertString(OFString(raw.constData(), raw.size()), utf8, "\\^=").good())
            return QString::fromUtf8(utf8.c_str(), static_cast<qsizetype>(utf8.length()));
    }
    return QString::fromLatin1(raw);
}

QByteArray EncodeValue(const QString& text, const QByteArray& specificCharacterSet)
{
    return IsUtf8(specificCharacterSet) ? text.toUtf8() : text.toLatin1();
}

} // namespace dicom
