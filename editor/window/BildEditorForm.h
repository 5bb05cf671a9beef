#pragma once
// The image editor as thumbnails and the image manager see it: an abstract
// window opened on one image, and the factory that makes one.

#include "images/ImageData.h"

#include <QDialog>
#include <QPoint>

#include <functional>

class QPainter;

namespace editor {

class TBildEditorForm : public QDialog {
    Q_OBJECT
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
    virtual void SetImage(images::KxImageData* image) = 0;
    virtual void ShowUrval() = 0;
};

// Makes a new editor; whoever asked for it owns it.
using TCreateBildEditor = std::function<TBildEditorForm*(QWidget* parent)>;

// What the annotation tools give the editor: the objects drawn over the
// picture and onto copies of it. The editor works without one.
class AnnotationToolHost {
public:
    virtual ~AnnotationToolHost() = default;
    virtual bool HasAnnotations() const = 0;
    virtual void SetVisible(bool visible) = 0;
    // Paints the objects at a zoom with an offset (copies: zoom 1, offset 0).
    virtual void PaintOnOtherCanvas(QPainter& painter, double zoom, QPoint offset) = 0;
    // The picture's geometry changed: objects are dropped.
    virtual void Clear() = 0;
};

// The strip of thumbnails the shown image belongs to, for stepping. The
// floater opens single images and has none.
class ThumbStrip {
public:
    virtual ~ThumbStrip() = default;
    virtual int Count() const = 0;
    virtual images::KxImageData* ImageAt(int index) const = 0;
    // Marked red by the user.
    virtual bool Marked(int index) const = 0;
};

} // namespace editor
