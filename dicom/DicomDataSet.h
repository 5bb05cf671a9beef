#pragma once
// One DICOM object in memory: read, queried, changed and written through
// DCMTK. Failed calls raise dicom::DicomError. Tags go as group and element,
// or packed as group × 65536 + element.

#include "dicom/FrameRenderer.h"
#include "dicom/WindowMode.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class DcmFileFormat;
class DcmDataset;
class DcmItem;

namespace dicom {

struct DicomAttribute {
    int Group = 0;
    int Element = 0;
    QString Name;
    QString Value;
    quint32 Length = 0;
};

inline constexpr quint32 PackTag(int group, int element)
{
    return (static_cast<quint32>(group) << 16) | static_cast<quint32>(element & 0xFFFF);
}

} // namespace dicom

class IDicomDataSet {
public:
    IDicomDataSet(); // empty
    ~IDicomDataSet();
    IDicomDataSet(const IDicomDataSet&) = delete;
    IDicomDataSet& operator=(const IDicomDataSet&) = delete;

    // Reads a file, with or without its file meta information. Objects are
    // only read from files: DCMTK checks declared lengths against the file
    // size there, not in memory streams.
    void LoadFile(const QString& path);

    // The value as text (all values joined by "\"), decoded from the object's
    // character set; empty when absent.
    QString GetValue(int group, int element) const;
    QString GetValueByTag(quint32 tag) const;
    // Stores a text; an empty text adds an empty attribute (a query key).
    // Without `overwrite` an existing value is kept.
    void SetValue(int group, int element, const QString& value, bool overwrite);
    void SetValueByTag(quint32 tag, const QString& value, bool overwrite);
    // The first value as an integer; raises when absent or not a number.
    long GetIntByTag(quint32 tag) const;
    // The integer of an attribute, 0 when it has no value or is not a number.
    long IntValueOrZero(quint32 tag) const;

    bool TagExists(quint32 tag) const;
    bool TagHasValue(quint32 tag) const;
    // The dictionary name, "Unknown Tag & Data" for tags it does not know.
    QString GetName(int group, int element) const;
    // Group and element of a dictionary keyword; false when it names no tag.
    bool TagByKeyword(const QString& keyword, int& group, int& element) const;
    // DCMTK's VR code (DcmEVR) of the attribute, or of its dictionary entry.
    int GetVR(int group, int element) const;
    std::vector<dicom::DicomAttribute> GetAllAttributes() const;

    QByteArray GetByteArray(int group, int element) const;
    // Puts bytes as OB. Empty bytes for Pixel Data drop the pixels: the object
    // then only describes its picture (see PixelsDropped).
    void SetByteArrayByTag(quint32 tag, const QByteArray& bytes, bool replace);
    // True after the pixels were dropped. Such an object must not be written
    // anywhere: it would replace the stored picture by none.
    bool PixelsDropped() const { return m_pixelsDropped; }

    // Transfer-syntax codes as the attribute window lists them.
    int GetTransferSyntax() const;        // as held now
    int GetArrivalTransferSyntax() const; // as read
    // Writes the object with the syntax of a code (−1: as it arrived).
    void SaveToFile(const QString& path, int transferSyntaxCode);
    void SaveToFileDefault(const QString& path);

    void SetWindowMode(dicom::WindowMode mode) { m_windowMode = mode; }
    dicom::WindowMode GetWindowMode() const { return m_windowMode; }
    // The window mode the object's own attributes ask for.
    dicom::WindowMode WindowModeFromAttributes() const;
    // The decoded frame (0-based), windowed with the window mode; see
    // dicom::FrameRenderer::render for the formats.
    QImage RenderFrame(unsigned frame) const;
    // The decoder of one frame, for windowing it again and again.
    std::unique_ptr<dicom::FrameRenderer> FrameRendererFor(unsigned frame) const;
    // Number of Frames, at least 1.
    unsigned FrameCount() const;

    // Adds the icon (0088,0200) of frame 0: `width` wide, Rows ÷ (Columns ÷
    // width) high, rounded, 8 bits per sample, windowed as the frame is.
    void MakeIcon(int width);
    // The icon's size; false when the object has none.
    bool GetIconSize(int& width, int& height) const;
    QImage RenderIcon() const;

    void SetPixelCap(std::uint64_t bytes) { m_pixelCap = bytes; }

    DcmDataset& Dataset() const;

private:
    QByteArray CharacterSet() const;
    DcmItem* IconItem() const;

    std::unique_ptr<DcmFileFormat> m_file;
    dicom::WindowMode m_windowMode = dicom::WindowMode::Default;
    std::uint64_t m_pixelCap = dicom::kDefaultFrameByteCap;
    bool m_pixelsDropped = false;
};
