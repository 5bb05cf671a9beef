#pragma once
// What the patient lookup asks of the DICOM image manager: how many DICOM
// objects a patient has, and one row per object (Modality, StudyDate,
// SOPInstanceUID, DICOMSERVER) in the lookup's DICOM list.

#include "images/KxVirtualTable.h"

#include <QString>
#include <QStringList>

namespace floater {

class DicomImageManager {
public:
    virtual ~DicomImageManager() = default;
    virtual int GetDicomDataSetCount(const QString& patientId) = 0;
    virtual void FillDataset(const QString& patientId, const QStringList& searchList,
                             images::TKxVirtualTable& table) = 0;
};

} // namespace floater
