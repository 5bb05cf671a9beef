// A click on a picture in a category menu opens it in the editor; what runs
// while the editor is open (a lookup refilling the menus, another click) does
// not free what it shows.

#include "app/floater/CategoryMenu.h"
#include "app/floater/PictureEditorOpener.h"
#include "editor/window/BildEditorForm3.h"
#include "toolkit/core/FileRegistry.h"
#include "toolkit/core/Settings.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

TEST(PictureEditorOpener, MenuClickOpensThePictureAndSurvivesARefill)
{
    QTemporaryDir dir;
    toolkit::FileRegistry registry({{toolkit::RegistryRoot::CurrentUser, dir.filePath("user.reg").toStdString()},
                                    {toolkit::RegistryRoot::LocalMachine, dir.filePath("machine.reg").toStdString()}});
    toolkit::setRegistry(&registry);
    QImage picture(320, 200, QImage::Format_RGB32);
    picture.fill(qRgb(12, 34, 56));
    picture.setPixel(5, 7, qRgb(250, 0, 0));
    ASSERT_TRUE(picture.save(dir.filePath("12_3.png")));

    floater::PictureEditorOpener opener(floater::FloaterEditorFactory(QSqlDatabase()));
    const auto open = [&opener](const QString& path, int bildflik) { opener.open(path, bildflik); };
    QMenu menu;
    app::PictureRow row;
    row.bildkatdir = dir.path();
    row.bildnamn = QStringLiteral("12_3.png");
    row.bildflik = 2;
    floater::FillCategoryMenu(&menu, {row}, true, open);
    ASSERT_EQ(menu.actions().size(), 1);

    bool checked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* editor = qobject_cast<editor::TBildEditorForm3*>(opener.openEditor());
        if (!editor || !editor->isVisible() || checked)
            return;
        checked = true;
        EXPECT_EQ(editor->WorkingBitmap().convertToFormat(QImage::Format_RGB32), picture);
        // A lookup refills the menu (freeing the item that opened the editor)
        // and the user clicks again: the open editor stays as it is.
        floater::FillCategoryMenu(&menu, {}, true, open);
        opener.open(dir.filePath("12_3.png"), 2);
        QApplication::processEvents();
        EXPECT_EQ(opener.openEditor(), editor);
        EXPECT_EQ(editor->WorkingBitmap().pixel(5, 7), qRgb(250, 0, 0));
        editor->reject();
    });
    poll.start(20);
    menu.actions().at(0)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return checked && !opener.openEditor(); }, 20000));
    EXPECT_TRUE(checked);
    poll.stop();
    toolkit::setRegistry(nullptr);
}
