#include "app/floater/CategoryMenu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLocale>
#include <QMenu>
#include <QTemporaryDir>

using namespace floater;

namespace {

app::PictureRow row(const QString& dir, const QString& name, int bildflik)
{
    return {1, QDate(2024, 3, 5), name, dir, bildflik};
}

QImage plain(const QColor& color, int w = 400, int h = 300)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(color);
    return image;
}

QColor iconCentre(const QAction* item)
{
    return item->icon().pixmap(16, 16).toImage().pixelColor(8, 8);
}

bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 30 && std::abs(a.green() - b.green()) < 30 &&
           std::abs(a.blue() - b.blue()) < 30;
}

} // namespace

TEST(CategoryMenu, ItemsCarryDateFileAndCategoryAndOpenThePicture)
{
    QTemporaryDir dir;
    ASSERT_TRUE(plain(Qt::blue).save(dir.filePath("5_1.jpg")));
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    QMenu menu;
    QString opened;
    int openedFlik = -1;
    FillCategoryMenu(&menu, {row(dir.path(), "5_1.jpg", 3)}, true, [&](const QString& path, int flik) {
        opened = path;
        openedFlik = flik;
    });
    ASSERT_EQ(menu.actions().size(), 1);
    QAction* item = menu.actions().front();
    EXPECT_EQ(item->text(), "2024-03-05"); // the Swedish short date
    EXPECT_EQ(item->toolTip(), dir.filePath("5_1.jpg"));
    EXPECT_EQ(item->data().toInt(), 3);
    item->trigger();
    EXPECT_EQ(opened, dir.filePath("5_1.jpg"));
    EXPECT_EQ(openedFlik, 3);
    QLocale::setDefault(before);
}

TEST(CategoryMenu, MissingThumbnailIsMadeAndGivesTheIcon)
{
    QTemporaryDir dir;
    ASSERT_TRUE(plain(Qt::blue).save(dir.filePath("5_1.jpg")));
    QMenu menu;
    FillCategoryMenu(&menu, {row(dir.path(), "5_1.jpg", 0)}, true, {});
    const QImage thumbnail(dir.filePath("5_1.tmb"), "JPG");
    ASSERT_FALSE(thumbnail.isNull());
    EXPECT_EQ(thumbnail.width(), 170);
    EXPECT_TRUE(near(iconCentre(menu.actions().front()), Qt::blue));
}

TEST(CategoryMenu, AnExistingThumbnailIsPreferred)
{
    QTemporaryDir dir;
    ASSERT_TRUE(plain(Qt::blue).save(dir.filePath("5_1.jpg")));
    ASSERT_TRUE(plain(Qt::red, 170, 128).save(dir.filePath("5_1.tmb"), "JPG"));
    QMenu menu;
    FillCategoryMenu(&menu, {row(dir.path(), "5_1.jpg", 0)}, true, {});
    EXPECT_TRUE(near(iconCentre(menu.actions().front()), Qt::red));
}

TEST(CategoryMenu, UnreadablePicturesStayWithoutIcon)
{
    QTemporaryDir dir;
    QFile broken(dir.filePath("5_2.jpg"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    QMenu menu;
    FillCategoryMenu(&menu, {row(dir.path(), "5_2.jpg", 1), row(dir.path(), "missing.jpg", 1)}, true, {});
    ASSERT_EQ(menu.actions().size(), 2);
    for (const QAction* item : menu.actions())
        EXPECT_TRUE(item->icon().isNull()) << item->toolTip().toStdString();
}

TEST(CategoryMenu, EmptyWhenPicturesMayNotBeRead)
{
    QTemporaryDir dir;
    QMenu menu;
    menu.addAction("old");
    FillCategoryMenu(&menu, {row(dir.path(), "5_1.jpg", 0)}, false, {});
    EXPECT_TRUE(menu.isEmpty());
    EXPECT_EQ(ThumbnailFilePath("/a/b.c/5_1.jpeg"), "/a/b.c/5_1.tmb");
}
