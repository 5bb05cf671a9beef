#pragma once
// What the editor window borrows from the tools that come with the
// annotations and the thumbnail strips.

#include "images/ImageData.h"

#include <QPoint>

class QPainter;

namespace editor {

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
