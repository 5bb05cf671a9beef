#pragma once
// A picture file of the journal application's image store. The full picture
// is read on demand and dropped again when only a thumbnail is wanted.

#include "images/ImageData.h"

#include <QDateTime>

#include <memory>

namespace images {

// The date of an image that has none: 30 December 1899, midnight.
QDateTime ZeroDate();
// A date-time that is unset (invalid) or the zero date.
bool IsZeroDate(const QDateTime& when);
// The date in the locale's short date format (years always with four digits,
// so the zero date cannot read as 1999), with the time when `withTime`.
QString FormatImageDate(const QDateTime& when, bool withTime, const QLocale& locale);

// Where a PATBILDER row's picture lies: the folder (a path delimiter added
// when missing) followed by the file name.
QString JournalPicturePath(const QString& bildkatdir, const QString& bildnamn);
// The picture's thumbnail file: the same path ending in ".tmb".
QString ThumbnailFileName(const QString& picturePath);

// patientnr and lopnr read from a picture file's name "<patientnr>_<lopnr>.<ext>";
// a part that is not an integer gives 0.
struct PictureFileNumbers {
    int patientnr = 0;
    int lopnr = 0;
};
PictureFileNumbers ParsePictureFileName(const QString& path);

class PictureFileImageData : public KxImageData {
public:
    PictureFileImageData() = default;

    // Reads the whole picture. The picture counts as loaded even when the
    // read fails: the getters then show the error instead of reading again.
    // False on a read error.
    bool LoadFromFile(const QString& filename);

    bool GetIconGraphic(QImage& OutBmp, int Framnr, bool SaveBitmap) override;
    bool GetGraphic(QImage& OutBmp, int Framnr, bool SaveBitmap) override;
    bool GetGraphic32(QImage& OutBmp, int Framnr, bool SaveBitmap) override;
    QString GetDate(bool klockslag_to) override;
    QString GetLocation() override;
    // Writes the picture in memory back to its file; JPEG at quality 100.
    // Failures are shown with ShowError; `silenterrors` and `errorres` are
    // not used.
    bool Store(bool silenterrors, QString& errorres) override;

    bool BitmapLoaded() const { return FBitmapLoaded; }
    // The full picture; the editor works on it and Store writes it.
    QImage& Picture() { return m_picture; }

    QString loadedfilename;
    QString thumbfilename; // may be empty
    int lopnr = 0;
    int patientnr = 0;
    int bildflik = 0;
    QDateTime FilDatum; // unset: the file's modification time is used
    bool FromXRay = false;
    bool signerad = false;

private:
    QString MissingFileMessage() const;
    // Reads the full picture when it is not loaded; false with the message to
    // draw instead when there is none.
    bool EnsurePicture(QString& message);
    void ReleasePicture();

    bool FBitmapLoaded = false;
    QImage m_picture;
    QString m_loadMessage; // what to show when LoadFromFile gave no picture
};

// A stored journal picture as the image menu makes it: loaded from its full
// path, with patientnr and lopnr from its file name and the row's tab.
std::unique_ptr<PictureFileImageData> MakeJournalPictureImage(const QString& path, int bildflik);

} // namespace images
