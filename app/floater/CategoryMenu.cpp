#include "CategoryMenu.h"

#include "images/PictureFile.h"
#include "images/StretchDraw.h"
#include "images/Thumbnail.h"

#include <QAction>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QPainter>

namespace floater {

QString PictureFilePath(const app::PictureRow& row)
{
    QString dir = row.bildkatdir;
    if (!dir.isEmpty() && !dir.endsWith('/') && !dir.endsWith('\\'))
        dir += '/';
    return dir + row.bildnamn;
}

QString ThumbnailFilePath(const QString& picturePath)
{
    const QFileInfo info(picturePath);
    const QString base = info.suffix().isEmpty() ? picturePath : picturePath.left(picturePath.size() - info.suffix().size() - 1);
    return base + ".tmb";
}

QIcon MenuIcon(const QString& picturePath)
{
    const QString thumbnail = ThumbnailFilePath(picturePath);
    if (!QFileInfo::exists(thumbnail))
        images::MakeThumbnailFile(picturePath, thumbnail, 170, QImage(), 75);
    if (!QFileInfo::exists(thumbnail))
        return {};
    QImage picture;
    try {
        images::LoadPictureFile(picture, thumbnail, false);
    } catch (const images::EGraphicFormat&) {
        return {}; // a damaged thumbnail leaves the item without an image
    }
    if (picture.isNull())
        return {};
    QImage icon(16, 16, QImage::Format_RGB888);
    icon.fill(Qt::white);
    QPainter painter(&icon);
    images::StretchDrawHalftone(painter, icon.rect(), picture);
    painter.end();
    return QIcon(QPixmap::fromImage(icon));
}

void FillCategoryMenu(QMenu* menu, const std::vector<app::PictureRow>& rows, bool allowReadPics,
                      const std::function<void(const QString& path, int bildflik)>& open)
{
    menu->clear();
    if (!allowReadPics)
        return;
    for (const app::PictureRow& row : rows) {
        const QString path = PictureFilePath(row);
        QAction* item = menu->addAction(QLocale().toString(row.datum, QLocale::ShortFormat));
        item->setToolTip(path);
        item->setStatusTip(path);
        item->setData(row.bildflik);
        item->setIcon(MenuIcon(path));
        const int bildflik = row.bildflik;
        QObject::connect(item, &QAction::triggered, menu, [open, path, bildflik] {
            if (open)
                open(path, bildflik);
        });
    }
}

} // namespace floater
