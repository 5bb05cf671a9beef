#include "dicom/Identifiers.h"

#include "dicom/FrameRenderer.h"

#include <QRegularExpression>

#include <dcmtk/dcmdata/dcuid.h>
#include <dcmtk/ofstd/ofstd.h>

#include <cmath>
#include <cstring>

namespace dicom {

QString NewUid(const QString& root)
{
    char uid[100] = {};
    const QByteArray prefix = root.toLatin1();
    dcmGenerateUniqueIdentifier(uid, root.isEmpty() ? SITE_INSTANCE_UID_ROOT : prefix.constData());
    return QString::fromLatin1(uid);
}

bool IsFileNameUid(const QString& uid)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]+(\\.[0-9]+)*$"));
    return uid.size() <= 64 && pattern.match(uid).hasMatch();
}

QString DecimalString(double value)
{
    if (!std::isfinite(value))
        throw DicomError("A decimal string must be a finite number");
    // Fewer significant digits until the text fits the 16 characters of DS.
    for (int digits = 14; digits > 0; --digits) {
        char text[64] = {};
        OFStandard::ftoa(text, sizeof text, value, 0, 0, digits);
        if (std::strlen(text) <= 16)
            return QString::fromLatin1(text);
    }
    throw DicomError("The number does not fit a decimal string");
}

} // namespace dicom
