#pragma once
// The image-data family: one image of a patient, wherever it comes from.
// Thumbnails, the image manager and the editor work only through
// KxImageData's virtual operations.

#include <QImage>
#include <QString>

#include <stdexcept>

namespace images {

class ImageHandler;

enum TPatientIdType { pidMedBindestreck, pidUtanBindestreck, pidBoth };
enum TThumbTypes { ttHelaBilden, ttEndastThumbnail, ttEndastInfo };

// Raised by an operation a class leaves abstract; calling one is a
// programming error.
class EAbstractError : public std::logic_error {
public:
    EAbstractError() : std::logic_error("Abstract Error") {}
};

// The common type of all image data.
class BasicImageData {
public:
    virtual ~BasicImageData() = default;
};

// The abstract image. It can be made as it is: thumbnails use a bare one when
// they are given no image, and it draws the no-preview placeholder.
//
// A bitmap is a QImage: the plain forms give 24-bit pictures (or the
// picture's own depth), the "32" forms Format_ARGB32. Callers use the filled
// bitmap, never the boolean results.
class KxImageData : public BasicImageData {
public:
    KxImageData() = default;
    KxImageData(const KxImageData&) = delete;
    KxImageData& operator=(const KxImageData&) = delete;

    virtual bool GetIconGraphic(QImage& OutBmp, int Framnr, bool SaveBitmap);
    virtual bool GetGraphic(QImage& OutBmp, int Framnr, bool SaveBitmap);
    virtual bool GetIconGraphic32(QImage& OutBmp, int Framnr, bool SaveBitmap);
    virtual bool GetGraphic32(QImage& OutBmp, int Framnr, bool SaveBitmap);
    virtual QString GetDate(bool klockslag_to);
    virtual QString GetLocation();
    virtual QString GetDcmValue(int groupId, int itemId);
    virtual bool Store(bool silenterrors, QString& errorres);
    virtual bool Delete();

    ImageHandler* Handler() const { return m_handler; }
    void SetHandler(ImageHandler* handler) { m_handler = handler; }
    int Tag() const { return FTag; }
    void SetTag(int tag) { FTag = tag; }

    QString TempBitmapFilename;

protected:
    ImageHandler* m_handler = nullptr; // not owned
    int FTag = 0;
};

// Deletes the per-frame renderings a DICOM image caches in `tempDir`:
// <uid>.<i>.bmp and <uid>.<i>.b32 for every frame i below the Number of
// Frames text (1 when that is not a number). Only UIDs of digits and dots are
// used, so a hostile UID cannot name a file outside the folder, and only the
// files that exist are visited, so a huge frame count costs nothing. Errors
// are ignored. Returns how many files were deleted.
int DeleteFrameCacheFiles(const QString& tempDir, const QString& sopInstanceUid,
                          const QString& numberOfFrames);

} // namespace images
