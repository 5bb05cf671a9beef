#include "images/GroupThumbDicom.h"

#include "toolkit/Dialogs.h"
#include "toolkit/core/Settings.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>

namespace images {

TGroupThumbDicom::TGroupThumbDicom(QWidget* parent) : QLabel(parent)
{
    setScaledContents(false);
    setAlignment(Qt::AlignCenter);
}

TGroupThumbDicom::~TGroupThumbDicom()
{
    clear();
    FreeImage();
}

void TGroupThumbDicom::FreeImage()
{
    if (FImageDataSelfCreated)
        delete FImageData;
    FImageData = nullptr;
    FImageDataSelfCreated = false;
}

void TGroupThumbDicom::SetImageData(KxImageData* image, bool selfCreated)
{
    // Showing the same image again must not free it.
    if (image != FImageData)
        FreeImage();
    if (!image) {
        image = new KxImageData;
        selfCreated = true;
    }
    FImageData = image;
    FImageDataSelfCreated = selfCreated;
    QImage icon;
    FImageData->GetIconGraphic(icon, 0, true);
    setPixmap(QPixmap::fromImage(icon));
}

void PlaceEditor(TBildEditorForm& editor, const QRect& workArea)
{
    if (toolkit::ReadSettingOrDefault("DicomBildEditor", "WindowStateMaximized", "-1") != "0") {
        editor.SetTag(666);
        editor.move(workArea.topLeft());
    } else {
        editor.SetTag(0);
        editor.move(workArea.center() - QPoint(400, 300));
    }
}

int TGroupThumbDicom::ShowEditor(bool modal, int editorLeft, int editorTop, int editorRight, int editorBottom)
{
    if (!FEditorFunc)
        return 0;
    int result = QDialog::Rejected;
    QPointer<TGroupThumbDicom> self(this);
    try {
        QPointer<TBildEditorForm> editor(FEditorFunc(nullptr));
        if (!editor)
            return 0;
        editor->SetImage(FImageData);
        const QScreen* screen = QGuiApplication::primaryScreen();
        PlaceEditor(*editor, screen ? screen->availableGeometry() : QRect(0, 0, 800, 600));
        if (editorLeft || editorTop || editorRight || editorBottom) {
            editor->SetTag(0);
            editor->move(editorLeft, editorTop);
        }
        QApplication::processEvents();
        if (modal) {
            result = editor->exec();
            // Whatever ran inside the editor's loop may have freed us; the
            // editor is ours either way.
            delete editor.data();
            if (!self)
                return result;
            SetImageData(FImageData, FImageDataSelfCreated);
        } else {
            editor->setAttribute(Qt::WA_DeleteOnClose);
            editor->setWindowFlag(Qt::WindowStaysOnTopHint);
            editor->show();
        }
    } catch (const std::exception& e) {
        toolkit::ShowWarning(toolkit::Translate(QStringLiteral("Det gick inte att visa bildredigeringsfönstret!")) +
                             "\r\r" + QString::fromUtf8(e.what()));
    }
    return result;
}

void TGroupThumbDicom::mouseDoubleClickEvent(QMouseEvent*)
{
    QApplication::restoreOverrideCursor();
    ShowEditor(true);
}

} // namespace images
