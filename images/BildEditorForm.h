#pragma once
// The image editor as thumbnails and the image manager see it: an abstract
// window opened on one image, and the factory that makes one. The editor
// module implements it; image sources only hold the factory.

#include "images/ImageData.h"

#include <QDialog>
#include <QPoint>

#include <functional>

namespace images {

class TBildEditorForm : public QDialog {
public:
    using QDialog::QDialog;

    virtual bool NavigateToPreviousImage() = 0;
    virtual bool NavigateToNextImage() = 0;
    virtual void CheckAndUpdateNextPrevPictures() = 0;
    virtual bool GetSmooth() const = 0;
    virtual QPoint GetPortCenter() const = 0;
    virtual double GetFactor() const = 0;
    virtual void ResetFactor() = 0;
    virtual void UpdateBitmapUsers() = 0;
    virtual void SetSmooth(bool value) = 0;
    virtual void SetEffextSize(int value) = 0;
    virtual void SetEffectShape(bool circle) = 0;
    virtual void SetPortCenter(QPoint centre) = 0;
    virtual int GetEffextSize() const = 0;
    virtual bool GetEffectShape() const = 0;
    // The image shown (not owned).
    virtual void SetImage(KxImageData* image) = 0;
    virtual void ShowUrval() = 0;

    // 666: the host asks for a maximised window.
    void SetTag(int tag) { m_tag = tag; }
    int Tag() const { return m_tag; }

private:
    int m_tag = 0;
};

// Makes a new editor; whoever asked for it owns it.
using TCreateBildEditor = std::function<TBildEditorForm*(QWidget* parent)>;

} // namespace images
