#include "PictureEditorOpener.h"

#include "editor/window/BildEditorForm3.h"
#include "images/GroupThumbDicom.h"
#include "images/PictureFileImageData.h"

#include <QSqlQuery>
#include <QTimer>

namespace floater {

PictureEditorOpener::PictureEditorOpener(images::TCreateBildEditor factory, QObject* parent)
    : QObject(parent), factory_(std::move(factory))
{
}

PictureEditorOpener::~PictureEditorOpener()
{
    delete group_.data();
}

void PictureEditorOpener::open(const QString& path, int bildflik)
{
    // The menu's action is still being delivered; a tracking pass inside the
    // editor's loop may clear that menu.
    QTimer::singleShot(0, this, [this, path, bildflik] { openNow(path, bildflik); });
}

images::TBildEditorForm* PictureEditorOpener::openEditor() const
{
    return group_ ? group_->findChild<images::TBildEditorForm*>() : nullptr;
}

void PictureEditorOpener::openNow(const QString& path, int bildflik)
{
    if (group_)
        return;
    // Owned here, not by the lookup: a lookup that refills the menus while the
    // editor is open cannot free what it shows.
    auto* group = new images::TGroupThumbDicom;
    group_ = group;
    group->SetImageData(images::MakeJournalPictureImage(path, bildflik).release(), true);
    group->SetBildEditorCreatorCallback([this, group](QWidget*) { return factory_(group); });
    group->ShowEditor(true);
    delete group_.data();
}

images::TCreateBildEditor FloaterEditorFactory(QSqlDatabase journal)
{
    return [journal](QWidget* parent) -> images::TBildEditorForm* {
        // A window of its own, not a child of the hidden group.
        auto* editor = new editor::TBildEditorForm3(nullptr);
        editor->setParent(parent, editor->windowFlags());
        editor->SetPatientLookup([journal](int patientnr) -> std::optional<editor::PatientIdentity> {
            if (!journal.isOpen())
                return std::nullopt;
            QSqlQuery q(journal);
            if (!q.prepare(QStringLiteral("SELECT PERSONNR, F_RNAMN, EFTERNAMN FROM KUNDER WHERE PATIENTNR = :patientnr")))
                return std::nullopt;
            q.bindValue(QStringLiteral(":patientnr"), patientnr);
            if (!q.exec() || !q.next())
                return std::nullopt;
            return editor::PatientIdentity{q.value(0).toString().trimmed(), q.value(1).toString().trimmed(),
                                           q.value(2).toString().trimmed()};
        });
        return editor;
    };
}

} // namespace floater
