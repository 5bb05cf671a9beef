#pragma once
// Opens a picture of a category menu in the image editor, through a hidden
// single-image group that owns the picture while the editor shows it.

#include "images/BildEditorForm.h"

#include <QObject>
#include <QPointer>
#include <QSqlDatabase>

namespace images {
class TGroupThumbDicom;
}

namespace floater {

class PictureEditorOpener : public QObject {
    Q_OBJECT
public:
    explicit PictureEditorOpener(images::TCreateBildEditor factory, QObject* parent = nullptr);
    ~PictureEditorOpener() override;

    // Opens once the menu that asked has closed; ignored while an editor is
    // open.
    void open(const QString& path, int bildflik);
    // The editor now open (the modal loop runs), else none.
    images::TBildEditorForm* openEditor() const;

private:
    void openNow(const QString& path, int bildflik);

    images::TCreateBildEditor factory_;
    QPointer<images::TGroupThumbDicom> group_;
};

// The editor the floater opens: its caption and printouts name the picture's
// patient, read from the journal.
images::TCreateBildEditor FloaterEditorFactory(QSqlDatabase journal);

} // namespace floater
