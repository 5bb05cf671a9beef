#pragma once
// A source of a patient's images: a DICOM server, a DICOMDIR folder, or all
// configured sources together. The fields are the settings of one configured
// source, read from its row in DICOMSERVERS or DICOMDIRS.

#include "images/ImageData.h"

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QStringList>

#include <memory>
#include <vector>

class IDicomDataSet; // the DICOM component's dataset interface

namespace images {

class TKxVirtualTable;

// Image data handed to the caller, who owns it.
using ImageDataList = std::vector<std::unique_ptr<BasicImageData>>;

class ImageHandler {
public:
    ImageHandler() = default;
    virtual ~ImageHandler() = default;
    ImageHandler(const ImageHandler&) = delete;
    ImageHandler& operator=(const ImageHandler&) = delete;

    virtual std::unique_ptr<BasicImageData> GetImage(const QString& patientId, const QString& ImageID,
                                                     const QString& StudyUID, const QString& SeriesUID,
                                                     bool clearpixeldata) = 0;
    virtual std::unique_ptr<BasicImageData> GetDicomObjectWithMOVE(const QString& patientId,
                                                                   const QString& SopInstanceUid,
                                                                   const QString& StudyUID,
                                                                   const QString& SeriesUID,
                                                                   bool clearpixeldata) = 0;
    virtual std::shared_ptr<IDicomDataSet> GetDicomThumbImage(const QString& patientId,
                                                              const QString& SopInstanceUid,
                                                              const QString& StudyUID,
                                                              const QString& SeriesUID,
                                                              ImageHandler*& rethandler, QString& fname) = 0;
    virtual int GetImageCount(const QString& patientId) = 0;
    virtual ImageDataList GetAllDataSets(const QStringList& SearchList, const QStringList& WhereList,
                                         bool forbildrapport, bool getthumbs) = 0;
    // `thread` is the calling worker thread; this program never has one.
    virtual ImageDataList GetImages(void* thread, const QString& patientId, const QString& ImageType,
                                    bool forbildgruppering, int ImageCount) = 0;
    virtual QStringList GetImageTypes(const QString& patientId, const QStringList& SearchItems,
                                      const QStringList& WhereList) = 0;
    virtual void GetDataSet(const QString& patientId, const QStringList& SearchItems,
                            TKxVirtualTable& dt) = 0;

    QString servernamn;
    bool AutoConnect = false;
    int uniktnr = 0;
    TPatientIdType PatientIdType = pidMedBindestreck;
    bool IncludeInMove = false;
    bool TervalenPACS = false;
    quint32 color = 0; // a platform colour value 0x00BBGGRR, as FARG holds it
    bool DoStore = false;
    TThumbTypes ThumbType = ttHelaBilden;
    bool Ifnothumbgetimage = false;
    bool IncludeInBildGruppering = false;
    bool IncludeInthumbnailsearch = false;
    bool Ifonlyinfo_thumbgetimage = false;
    int MAXPIXELDATASIZERGB = 0;
    int MAXPIXELDATASIZERTG = 0;
    int M_TRANSFERSYNTAX = 0;
    int M_LOSSYCOMPRESSION = 0;
    int RGB_TRANSFERSYNTAX = 0;
    int RGB_LOSSYCOMPRESSION = 0;
    bool ColorSpaceConversion = false;
    bool ColorSpaceConversionRGB = false;
    QSqlDatabase AdoConnection; // the journal connection the row came from; not owned
};

enum class HandlerTable { DicomServers, DicomDirs };

// Fills the handler's fields from its row of DICOMSERVERS or DICOMDIRS.
// Missing columns leave their fields as they are, apart from the defaults
// the tables' older layouts imply; a PATIENTIDTYPE outside the known values
// gives pidMedBindestreck.
void FillHandlerSettings(ImageHandler& handler, const QSqlRecord& row, HandlerTable table,
                         const QSqlDatabase& connection);

} // namespace images
