#pragma once
// "Spara som...": the file types offered and the writing of the working copy.

#include <QImage>
#include <QString>
#include <QStringList>

namespace editor {

// The save dialog's filters, DICOM first.
QStringList ExportFilters();
// The extension a filter writes (".dcm", ".jpg", ...), empty for none.
QString ExportExtension(const QString& filter);
// The name with the filter's extension appended unless it already ends in it
// (any case).
QString WithExportExtension(const QString& fileName, const QString& filter);

// Writes a 24-bit copy of the picture (JPEG at quality 100). Empty on
// success, else the reason.
QString ExportPicture(const QImage& picture, const QString& fileName);

} // namespace editor
