#pragma once
// The image editor window: one patient image on a working copy that effects
// change in place, shown zoomable with lenses and a selection frame, copied,
// exported and printed. Nothing is ever written back to the image's source.

#include "editor/window/EditorSeams.h"
#include "images/BildEditorForm.h"
#include "editor/window/PrintPage.h"

#include <QImage>
#include <QPointer>

#include <map>
#include <optional>

class QLabel;
class QMainWindow;
class QPrinter;
class QStatusBar;
class QWidget;

namespace editor {

class TMagnifierImage;
class TRogBevel;

// The file, colour and print dialogs; tests answer them.
class EditorPrompts {
public:
    virtual ~EditorPrompts() = default;
    // Empty when cancelled; `selectedFilter` is one of `filters`.
    virtual QString SaveFileName(QWidget* parent, const QString& dir, const QStringList& filters,
                                 QString& selectedFilter);
    virtual std::optional<QColor> Colour(QWidget* parent, const QColor& initial);
    virtual bool Print(QWidget* parent, QPrinter& printer);
};

struct PatientIdentity {
    QString personnr, firstName, lastName;
};
// The journal's patient by patient number; none when there is no such row.
using PatientIdentityLookup = std::function<std::optional<PatientIdentity>(int patientnr)>;

enum class LensKind { None, Zoom, Lightness, Invert, MaxContrast, Contrast };

class TBildEditorForm3 : public images::TBildEditorForm {
    Q_OBJECT
public:
    explicit TBildEditorForm3(QWidget* parent = nullptr);
    ~TBildEditorForm3() override;

    // Not owned; null: the Qt dialogs.
    void SetPrompts(EditorPrompts* prompts);
    void SetPatientLookup(PatientIdentityLookup lookup) { m_patients = std::move(lookup); }
    void SetAnnotationHost(AnnotationToolHost* host) { m_annotations = host; }
    void SetThumbStrip(ThumbStrip* strip, int shownIndex);

    bool NavigateToPreviousImage() override;
    bool NavigateToNextImage() override;
    void CheckAndUpdateNextPrevPictures() override;
    bool GetSmooth() const override;
    QPoint GetPortCenter() const override;
    double GetFactor() const override;
    void ResetFactor() override;
    void UpdateBitmapUsers() override;
    void SetSmooth(bool value) override;
    void SetEffextSize(int value) override;
    void SetEffectShape(bool circle) override;
    void SetPortCenter(QPoint centre) override;
    int GetEffextSize() const override { return m_lensSize; }
    bool GetEffectShape() const override { return m_lensCircle; }
    void SetImage(images::KxImageData* image) override { m_image = image; }
    void ShowUrval() override;

    // Stores the window's bounds on the way out.
    void done(int result) override;

    // Loads (or reloads) the image into the working copy.
    void LoadImage();

    // The commands.
    void FlipHorizontal();
    void FlipVertical();
    void RotateRight();
    void RotateLeft();
    void GreyScale();
    void Invert();
    void AutoColour();
    void CopyToClipboard();
    void PasteFromClipboard();
    void ExportAs();
    void PrintImage();
    void Scramble(bool encrypt);
    void SetDarkRoom(bool dark);
    void ChooseBackground();

    // What tests and the tool windows read.
    const QImage& WorkingBitmap() const { return m_bitmap; }
    bool Modified() const { return m_modified; }
    bool EditingAllowed() const { return m_editAllowed; }
    TMagnifierImage* Display() const { return m_mainImage; }
    TRogBevel* SelectionFrame() const { return m_selection; }
    QAction* Action(const QString& text) const;
    QString StatusText(int panel) const;
    double FitFactorNow() const;
    double RelativeFactor() const { return m_relativeFactor; }
    LensKind Lens() const { return m_lens; }
    // The picture rectangle under the selection frame; empty when it leaves
    // the picture.
    QRect SelectionImageRect() const;
    // The page the printer gets: the working copy (cropped to the selection)
    // with the shown image's patient and date.
    PrintJob MakePrintJob() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildMenus();
    void BuildButtons(QWidget* panel);
    QAction* AddAction(QMenu* menu, const QString& text, const QKeySequence& key, void (TBildEditorForm3::*slot)());
    void ApplyEditGate();
    void UpdateStatus(QPoint cursor = QPoint(-1, -1));
    void Committed(bool geometry);
    void ShowLens(LensKind kind, QPoint at);
    void RemoveLens();
    void WheelOnDisplay(QWheelEvent* event);
    void MouseOnDisplay(QEvent* event);
    void SelectionMouse(QMouseEvent* event);
    void UpdateSelectionCaption();
    void UpdatePasteAction();
    QString PatientHeader() const;
    void ApplyStoredBounds();
    void StoreBounds();
    QImage SelectedOrWhole(bool* cancelled) const;

    images::KxImageData* m_image = nullptr;
    QImage m_bitmap;
    bool m_modified = false;
    bool m_editAllowed = true;
    bool m_placeholder = false;
    bool m_convertToGrayScale = false;
    QString CurrentModality;
    QMainWindow* m_inner = nullptr;
    QWidget* m_panel = nullptr;
    TMagnifierImage* m_mainImage = nullptr;
    TRogBevel* m_selection = nullptr;
    QStatusBar* m_status = nullptr;
    QLabel* m_statusLabels[3] = {};
    std::map<QString, QAction*> m_actions;
    EditorPrompts m_defaultPrompts;
    EditorPrompts* m_prompts = &m_defaultPrompts;
    PatientIdentityLookup m_patients;
    AnnotationToolHost* m_annotations = nullptr;
    ThumbStrip* m_strip = nullptr;
    int m_shownIndex = -1, m_prevIndex = -1, m_nextIndex = -1;
    bool m_firstShow = true;

    double m_relativeFactor = 2.0;
    bool m_bZoomOnCursor = true;
    bool m_moving = false;
    QPoint m_moveStart;

    int m_lensSize = 200;
    bool m_lensCircle = true;
    double ExtraZoomFactor = 0.5;
    double ExtraContrastValue = 0.7;
    int ExtraLightnessValue = 10;
    LensKind m_lens = LensKind::None;
    QPoint m_lensAt;
    QImage TempBitmap;

    QPoint m_selectionPress;
    QRect m_selectionStart;
    bool m_selectionResizing = false;
};

} // namespace editor
