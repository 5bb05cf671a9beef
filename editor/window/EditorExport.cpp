#include "editor/window/EditorExport.h"

#include "images/PictureFile.h"

namespace editor {

QStringList ExportFilters()
{
    return {QStringLiteral("DICOM-fil (*.dcm)"), QStringLiteral("JPEG-fil (*.jpg)"), QStringLiteral("BMP-fil (*.bmp)"),
            QStringLiteral("PNG-fil (*.png)"), QStringLiteral("TIFF-fil (*.tif)")};
}

QString ExportExtension(const QString& filter)
{
    const qsizetype star = filter.indexOf(QStringLiteral("(*"));
    if (star < 0 || !filter.endsWith(')'))
        return {};
    return filter.mid(star + 2, filter.size() - star - 3);
}

QString WithExportExtension(const QString& fileName, const QString& filter)
{
    const QString ext = ExportExtension(filter);
    if (ext.isEmpty() || fileName.endsWith(ext, Qt::CaseInsensitive))
        return fileName;
    return fileName + ext;
}

QString ExportPicture(const QImage& picture, const QString& fileName)
{
    try {
        images::SavePictureFile(picture.convertToFormat(QImage::Format_BGR888), fileName, 100);
        return {};
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

} // namespace editor
