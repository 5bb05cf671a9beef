#pragma once
// DICOM objects made at test time with DCMTK's command-line tools, and the
// references its converters give for them.

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <utility>

namespace dicomtest {

struct PixelSpec {
    int rows = 5;
    int columns = 7;
    int samples = 1;
    int bitsAllocated = 16;
    int bitsStored = 12;
    bool signedPixels = false;
    int frames = 1;
    QString photometric = QStringLiteral("MONOCHROME2");
    // Further dump lines, e.g. "(0028,1050) DS [1000]"; a SOP Instance UID
    // here replaces the made-up one.
    QStringList attributes;
};

inline PixelSpec Spec(int rows, int columns, int allocated, int stored, QStringList attributes = {})
{
    PixelSpec s;
    s.rows = rows;
    s.columns = columns;
    s.bitsAllocated = allocated;
    s.bitsStored = stored;
    s.attributes = std::move(attributes);
    return s;
}

// The pixel bytes of a spec: a ramp over the whole stored range, different
// per frame, little endian.
QByteArray PatternPixels(const PixelSpec& spec);

class ObjectFolder {
public:
    ObjectFolder();
    QString path(const QString& name) const { return dir_.filePath(name); }

    // Writes `name` from a spec with dump2dcm (explicit little endian).
    QString make(const QString& name, const PixelSpec& spec);
    // Writes `name` from dump lines only; `pixels` become Pixel Data (OB when
    // 8 bits are allocated, else OW) when not empty.
    QString makeFromDump(const QString& name, const QStringList& lines, const QByteArray& pixels = {},
                         const QString& pixelVr = QStringLiteral("OW"));
    // Runs a DCMTK tool with `args`; fails the test when it fails.
    void run(const QString& tool, const QStringList& args) const;
    // Runs `tool` (dcmcjpeg, dcmconv...) from `source` to a new object.
    QString convert(const QString& tool, const QStringList& options, const QString& source,
                    const QString& name) const;
    // The converter's 8-bit PGM/PPM rendering of `object`.
    QImage reference(const QString& tool, const QStringList& options, const QString& object) const;

private:
    QTemporaryDir dir_;
};

// Largest difference of two pictures of the same size and kind, or -1 when
// their sizes or kinds differ.
int MaxDifference(const QImage& a, const QImage& b);

} // namespace dicomtest
