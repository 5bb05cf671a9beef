#include "TestObjects.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>

namespace dicomtest {

QByteArray PatternPixels(const PixelSpec& spec)
{
    const int bytes = spec.bitsAllocated / 8;
    const quint32 range = 1U << spec.bitsStored;
    QByteArray out;
    out.reserve(spec.rows * spec.columns * spec.samples * bytes * spec.frames);
    for (int f = 0; f < spec.frames; ++f)
        for (int y = 0; y < spec.rows; ++y)
            for (int x = 0; x < spec.columns; ++x)
                for (int s = 0; s < spec.samples; ++s) {
                    const quint32 step = range / 64 + 1;
                    quint32 v = (static_cast<quint32>(x * 7 + y * 13 + s * 29 + f * 41) * step) % range;
                    if (spec.signedPixels)
                        v = static_cast<quint32>(static_cast<qint32>(v) - static_cast<qint32>(range / 2));
                    for (int b = 0; b < bytes; ++b)
                        out.append(static_cast<char>((v >> (8 * b)) & 0xFF));
                }
    return out;
}

ObjectFolder::ObjectFolder()
{
    EXPECT_TRUE(dir_.isValid());
}

QString ObjectFolder::make(const QString& name, const PixelSpec& spec)
{
    QStringList lines = {
        QStringLiteral("(0008,0016) UI =SecondaryCaptureImageStorage"),
        QStringLiteral("(0028,0002) US %1").arg(spec.samples),
        QStringLiteral("(0028,0004) CS [%1]").arg(spec.photometric),
        QStringLiteral("(0028,0010) US %1").arg(spec.rows),
        QStringLiteral("(0028,0011) US %1").arg(spec.columns),
        QStringLiteral("(0028,0100) US %1").arg(spec.bitsAllocated),
        QStringLiteral("(0028,0101) US %1").arg(spec.bitsStored),
        QStringLiteral("(0028,0102) US %1").arg(spec.bitsStored - 1),
        QStringLiteral("(0028,0103) US %1").arg(spec.signedPixels ? 1 : 0),
    };
    if (spec.samples == 3)
        lines << QStringLiteral("(0028,0006) US 0");
    if (spec.frames > 1)
        lines << QStringLiteral("(0028,0008) IS [%1]").arg(spec.frames);
    lines << spec.attributes;
    if (!spec.attributes.join(' ').contains(QLatin1String("(0008,0018)")))
        lines << QStringLiteral("(0008,0018) UI [1.2.826.0.1.3680043.2.1143.%1]").arg(qHash(name) % 100000);
    return makeFromDump(name, lines, PatternPixels(spec), spec.bitsAllocated == 8 ? "OB" : "OW");
}

QString ObjectFolder::makeFromDump(const QString& name, const QStringList& lines, const QByteArray& pixels,
                                   const QString& pixelVr)
{
    QStringList dump = lines;
    if (!pixels.isEmpty()) {
        QFile raw(path(name + ".raw"));
        EXPECT_TRUE(raw.open(QIODevice::WriteOnly));
        raw.write(pixels);
        raw.close();
        dump << QStringLiteral("(7fe0,0010) %1 =%2").arg(pixelVr, raw.fileName());
    }
    QFile text(path(name + ".txt"));
    EXPECT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(dump.join('\n').toUtf8() + '\n');
    text.close();
    run(QStringLiteral("dump2dcm"), {text.fileName(), path(name)});
    return path(name);
}

void ObjectFolder::run(const QString& tool, const QStringList& args) const
{
    QProcess process;
    process.start(tool, args);
    const bool finished = process.waitForFinished(120000);
    ASSERT_TRUE(finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        << tool.toStdString() << " " << args.join(' ').toStdString() << ": "
        << process.readAllStandardError().toStdString();
}

QString ObjectFolder::convert(const QString& tool, const QStringList& options, const QString& source,
                              const QString& name) const
{
    run(tool, QStringList(options) << source << path(name));
    return path(name);
}

QImage ObjectFolder::reference(const QString& tool, const QStringList& options, const QString& object) const
{
    const QString out = object + ".ref.pnm";
    run(tool, QStringList(options) << QStringLiteral("+op") << object << out);
    QImage image(out, "PNM");
    EXPECT_FALSE(image.isNull()) << out.toStdString();
    return image;
}

int MaxDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isGrayscale() != b.isGrayscale())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 3; ++i)
            worst = std::max(worst, std::abs(p[i] - q[i]));
    }
    return worst;
}

} // namespace dicomtest
