#pragma once
// A plain picture control holding one image, which a double-click opens in
// the image editor. The floater keeps one hidden to open a single picture.

#include "images/BildEditorForm.h"

#include <QLabel>

namespace images {

class TGroupThumbDicom : public QLabel {
    Q_OBJECT
public:
    explicit TGroupThumbDicom(QWidget* parent = nullptr);
    ~TGroupThumbDicom() override;

    // Shows the image's icon. None gives an empty image of the control's own.
    // `selfCreated`: the control owns the image and frees it.
    void SetImageData(KxImageData* image, bool selfCreated);
    KxImageData* ImageData() const { return FImageData; }
    bool FreeImageDataOnDestroy() const { return FImageDataSelfCreated; }
    void SetBildEditorCreatorCallback(TCreateBildEditor editorFunc) { FEditorFunc = std::move(editorFunc); }

    // Opens the editor on the image; 0 without a factory. Modal: the modal
    // result. A position other than all zeros places the editor there.
    int ShowEditor(bool modal, int editorLeft = 0, int editorTop = 0, int editorRight = 0, int editorBottom = 0);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void FreeImage();

    KxImageData* FImageData = nullptr;
    bool FImageDataSelfCreated = false;
    TCreateBildEditor FEditorFunc;
};

// Where a new editor goes: maximised at the work area's top left (tag 666)
// unless "WindowStateMaximized" is "0", then as an 800 x 600 box in the
// middle of the work area.
void PlaceEditor(TBildEditorForm& editor, const QRect& workArea);

} // namespace images
