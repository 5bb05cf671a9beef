#include "EditorTestSupport.h"

#include "editor/window/BildEditorForm3.h"
#include "images/GroupThumbDicom.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

using namespace editortest;

namespace {

struct CountedImage : images::KxImageData {
    static int alive;
    CountedImage() { ++alive; }
    ~CountedImage() override { --alive; }
};
int CountedImage::alive = 0;

class GroupThumbTest : public EditorEnvironment {
protected:
    // Runs `during` on the editor once its modal loop is running, then
    // closes it with `result` (when it is still open).
    void WhileOpen(std::function<void(editor::TBildEditorForm3&)> during, int result)
    {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, during, result] {
            auto* editor = qobject_cast<editor::TBildEditorForm3*>(QApplication::activeModalWidget());
            if (!editor)
                return;
            poll->stop();
            poll->deleteLater();
            QPointer<editor::TBildEditorForm3> guard(editor);
            during(*editor);
            if (guard)
                guard->done(result);
        });
        poll->start(10);
    }
    images::TCreateBildEditor factory = [](QWidget* parent) { return new editor::TBildEditorForm3(parent); };
};

} // namespace

TEST_F(GroupThumbTest, EditorPlacementFollowsTheWindowStateSetting)
{
    const QRect work(100, 50, 1600, 1000);
    editor::TBildEditorForm3 editor;
    images::PlaceEditor(editor, work); // absent: maximised
    EXPECT_EQ(editor.Tag(), 666);
    EXPECT_EQ(editor.pos(), work.topLeft());
    toolkit::WriteSetting("DicomBildEditor", "WindowStateMaximized", "0");
    images::PlaceEditor(editor, work);
    EXPECT_EQ(editor.Tag(), 0);
    EXPECT_EQ(editor.pos(), work.center() - QPoint(400, 300));
}

TEST_F(GroupThumbTest, ShowsTheEditorOnItsImageAndKeepsTheImage)
{
    images::TGroupThumbDicom group;
    EXPECT_EQ(group.ShowEditor(true), 0); // no factory
    auto* image = new CountedImage;
    group.SetImageData(image, true);
    group.SetImageData(image, true); // the same image again is not freed
    EXPECT_EQ(CountedImage::alive, 1);
    group.SetBildEditorCreatorCallback(factory);
    QSize shown;
    WhileOpen([&](editor::TBildEditorForm3& e) { shown = e.WorkingBitmap().size(); }, QDialog::Accepted);
    EXPECT_EQ(group.ShowEditor(true), QDialog::Accepted);
    EXPECT_EQ(shown, QSize(105, 92)); // the bare image's placeholder
    EXPECT_EQ(group.ImageData(), image);
    EXPECT_EQ(CountedImage::alive, 1);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<editor::TBildEditorForm3*>(w), nullptr) << "the modal editor is freed";
}

// Whatever runs inside the editor's loop (a tracking pass, a hand-over) may
// free the group; the group's ShowEditor must not touch it afterwards, and
// the image is freed once.
TEST_F(GroupThumbTest, GroupFreedWhileTheEditorIsOpen)
{
    auto* group = new images::TGroupThumbDicom;
    group->SetImageData(new CountedImage, true);
    group->SetBildEditorCreatorCallback(factory);
    WhileOpen([group](editor::TBildEditorForm3&) { delete group; }, QDialog::Rejected);
    EXPECT_EQ(group->ShowEditor(true), QDialog::Rejected);
    EXPECT_EQ(CountedImage::alive, 0);
}
