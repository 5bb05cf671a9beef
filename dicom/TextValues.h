#pragma once
// Values as text for display, in the object's character set.

#include <QByteArray>
#include <QString>

namespace dicom {

// Decodes one stored value in the character set named by Specific Character
// Set (0008,0005). UTF-8 ("ISO_IR 192") is decoded strictly; other sets go
// through DCMTK's converter. A value whose bytes do not fit its declared set
// is read as Latin-1 on its own: the rest of the object is not affected and
// nothing is changed in the dataset.
QString DecodeValue(const QByteArray& raw, const QByteArray& specificCharacterSet);

// The bytes to store for a text in that character set: UTF-8 for
// "ISO_IR 192", Latin-1 otherwise.
QByteArray EncodeValue(const QString& text, const QByteArray& specificCharacterSet);

} // namespace dicom
