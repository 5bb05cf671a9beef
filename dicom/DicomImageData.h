#pragma once
// One DICOM object of a patient in the image-data family: pictures for
// thumbnails and the editor, its date and values, writing it back and
// deleting it at its source.

#include "dicom/DicomDataSet.h"
#include "images/ImageData.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace dicom {

// What an image needs from the DICOMDIR folder source that listed it. The
// folder handler implements it next to ImageHandler.
class DicomFolderSource {
public:
    virtual ~DicomFolderSource() = default;
    // The folder the objects live under (each patient in a sub-folder).
    virtual QString FolderRoot() const = 0;
    // The folder's list of object files; the image removes what it deletes.
    virtual QStringList& FileList() = 0;
};

// What an image needs from the DICOM server source that listed it: sending
// the object. The server handler implements it; it raises DicomError.
class DicomServerSource {
public:
    virtual ~DicomServerSource() = default;
    virtual void StoreDataSet(IDicomDataSet& dataset, int transferSyntaxCode) = 0;
};

// A Patient ID in the form a source keeps: with a hyphen before the last four
// characters, or without separators (and, for folders, without blanks).
QString NormalisePatientId(const QString& id, images::TPatientIdType type, bool trimBlanks);

class DicomImageData : public images::KxImageData {
public:
    DicomImageData(images::ImageHandler* handler, std::shared_ptr<IDicomDataSet> dataset, const QString& fnamn);
    ~DicomImageData() override; // removes the frame caches this image was the last user of

    bool GetIconGraphic(QImage& OutBmp, int Framnr, bool SaveBitmap) override;
    bool GetGraphic(QImage& OutBmp, int Framnr, bool SaveBitmap) override;
    bool GetGraphic32(QImage& OutBmp, int Framnr, bool SaveBitmap) override;
    QString GetDate(bool klockslag_to) override;
    QString GetLocation() override;
    QString GetDcmValue(int groupId, int itemId) override;
    bool Store(bool silenterrors, QString& errorres) override;
    bool Delete() override;

    void SetDcmValue(int groupId, int itemId, const QString& value, bool overwrite);
    bool TagExistsWithValue(int GroupID, int ItemID) const;
    // MakeIcon, 170 wide.
    void GenerateIcon();
    void SaveToFile(const QString& filename, int writeXfer);

    std::shared_ptr<IDicomDataSet> DataSet() const { return m_dataset; }
    QString GetFilename() const { return m_filename; }
    void SetFilename(const QString& name) { m_filename = name; }
    // The folder that holds this process's frame caches (private, 0700).
    static QString CacheFolder();

    int FPD_TransferSyntax = 25;
    // The dataset holds no full pixel data (dropped after caching, or only a
    // thumbnail was fetched).
    bool FImageIsThumbnail = false;

private:
    enum class SourceKind { None, Folder, Server, Other };
    SourceKind Kind() const;
    long IntAttribute(int group, int element) const;
    QString Value(int group, int element) const;
    bool Picture(QImage& out, int frame, bool saveBitmap, bool bits32);
    QString CacheFile(int frame, const char* suffix) const;
    bool LoadCache(QImage& out, int frame, bool bits32);
    void SaveCache(const QImage& picture, int frame, bool bits32);
    void ApplyPixelDrop();
    bool Render(QImage& out, int frame, bool save, bool bits32);
    QString InformationText() const;
    bool StoreToFolder(DicomFolderSource& folder);

    std::shared_ptr<IDicomDataSet> m_dataset;
    QString m_filename;
    QString m_cacheUid; // the UID whose caches this image counts as a user of
};

} // namespace dicom
