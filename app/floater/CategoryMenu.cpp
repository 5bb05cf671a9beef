#include "CategoryMenu.h"

#include <QAction>
#include <QDir>
#include <QLocale>
#include <QMenu>

namespace floater {

QString PictureFilePath(const app::PictureRow& row)
{
    QString dir = row.bildkatdir;
    if (!dir.isEmpty() && !dir.endsWith('/') && !dir.endsWith('\\'))
        dir += '/';
    return dir + row.bildnamn;
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
        const int bildflik = row.bildflik;
        QObject::connect(item, &QAction::triggered, menu, [open, path, bildflik] {
            if (open)
                open(path, bildflik);
        });
    }
}

} // namespace floater
