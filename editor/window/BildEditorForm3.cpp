#include "editor/window/BildEditorForm3.h"

#include "editor/display/MagnifierImage.h"
#include "editor/display/RogBevel.h"
#include "editor/display/ZoomRules.h"
#include "editor/effects/Ops32.h"
#include "editor/window/AutoColour.h"
#include "editor/window/EditorExport.h"
#include "editor/window/Scrambling.h"
#include "images/PictureFileImageData.h"
#include "toolkit/Dialogs.h"
#include "toolkit/InputForm.h"
#include "toolkit/core/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

namespace editor {

namespace {

constexpr const char* kEditorSection = "DicomBildEditor";
constexpr const char* kImageSection = "ImageEditor";

QString T(const char* text)
{
    return toolkit::Translate(QString::fromUtf8(text));
}

std::string Setting(const char* section, const char* name, const char* fallback)
{
    return toolkit::ReadSettingOrDefault(section, name, fallback);
}

int IntSetting(const char* section, const char* name, int fallback)
{
    bool ok = false;
    const int v = QString::fromStdString(Setting(section, name, "")).toInt(&ok);
    return ok ? v : fallback;
}

void WriteInt(const char* section, const char* name, qint64 value)
{
    toolkit::WriteSetting(section, name, std::to_string(value));
}

// A platform colour value 0x00BBGGRR.
qint64 ColourValue(const QColor& c)
{
    return qint64(c.red()) | (qint64(c.green()) << 8) | (qint64(c.blue()) << 16);
}

QColor FromColourValue(qint64 v)
{
    return QColor(int(v & 255), int((v >> 8) & 255), int((v >> 16) & 255));
}

const QStringList kSteppable = {"BMP", "PCX", "PNG", "JPG", "TGA", "TIF", "DCM", "DIC", "JPEG", "TIFF", "JP2", "J2K"};

} // namespace

QString EditorPrompts::SaveFileName(QWidget* parent, const QString& dir, const QStringList& filters,
                                    QString& selectedFilter)
{
    return QFileDialog::getSaveFileName(parent, T("Spara som"), dir, filters.join(QStringLiteral(";;")),
                                        &selectedFilter);
}

std::optional<QColor> EditorPrompts::Colour(QWidget* parent, const QColor& initial)
{
    const QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

bool EditorPrompts::Print(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

TBildEditorForm3::TBildEditorForm3(QWidget* parent) : images::TBildEditorForm(parent)
{
    setWindowTitle(T("Redigera bild"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(800, 600);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The dock areas of the tool windows live in an inner main window.
    m_inner = new QMainWindow(nullptr, Qt::Widget);
    m_inner->setDockNestingEnabled(true);
    m_panel = new QWidget;
    m_panel->setAutoFillBackground(true);
    auto* panelLayout = new QVBoxLayout(m_panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    m_mainImage = new TMagnifierImage(m_panel);
    m_mainImage->setMouseTracking(true);
    m_mainImage->installEventFilter(this);
    panelLayout->addWidget(m_mainImage);
    m_inner->setCentralWidget(m_panel);

    m_selection = new TRogBevel(m_mainImage);
    m_selection->hide();
    m_selection->installEventFilter(this);

    auto* buttons = new QWidget;
    buttons->setMinimumHeight(37);
    BuildButtons(buttons);

    m_status = new QStatusBar;
    m_status->setSizeGripEnabled(false);
    const int widths[3] = {70, 70, 50};
    for (int i = 0; i < 3; ++i) {
        m_statusLabels[i] = new QLabel;
        m_statusLabels[i]->setMinimumWidth(widths[i]);
        m_status->addWidget(m_statusLabels[i], i == 2 ? 1 : 0);
    }

    BuildMenus();
    layout->addWidget(m_inner, 1);
    layout->addWidget(buttons);
    layout->addWidget(m_status);

    m_lensSize = IntSetting(kImageSection, "EffectSizeX", 200);
    m_lensCircle = Setting(kImageSection, "EffectShapeCircle", "-1") != "0";
    m_mainImage->SetSmooth(Setting(kImageSection, "StretchFilterLinear", "0") == "-1");
    QPalette p = m_panel->palette();
    const int background = IntSetting(kImageSection, "BackgroundColor", -1);
    p.setColor(QPalette::Window, background >= 0 ? FromColourValue(background) : QColor(Qt::darkGray));
    m_panel->setPalette(p);
    m_mainImage->setPalette(p);

    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TBildEditorForm3::UpdatePasteAction);
    setFocusPolicy(Qt::StrongFocus);
}

TBildEditorForm3::~TBildEditorForm3() = default;

QAction* TBildEditorForm3::AddAction(QMenu* menu, const QString& text, const QKeySequence& key,
                                     void (TBildEditorForm3::*slot)())
{
    QAction* action = menu->addAction(text);
    if (!key.isEmpty())
        action->setShortcut(key);
    if (slot)
        connect(action, &QAction::triggered, this, slot);
    else
        action->setEnabled(false); // comes with its dialog, tool window or DICOM
    m_actions[text] = action;
    return action;
}

void TBildEditorForm3::BuildMenus()
{
    auto* bar = new QMenuBar(this);
    static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);

    QMenu* file = bar->addMenu(T("&Arkiv"));
    AddAction(file, T("Spara som..."), {}, &TBildEditorForm3::ExportAs);
    AddAction(file, T("Skriv ut"), QKeySequence(Qt::CTRL | Qt::Key_P), &TBildEditorForm3::PrintImage);
    AddAction(file, T("Återställ till originalbild"), {}, nullptr);
    QMenu* syntax = file->addMenu(T("Överföringstyp"));
    syntax->setEnabled(false); // DICOM images only
    for (const char* name : {"Packad (ZLIB - oförstörande)", "JPEG2000 (oförstörande)", "JPEG2000 (75% lite förstörande)",
                             "RLE (oförstörande)", "JPEG (lite förstörande)", "Opackad"})
        AddAction(syntax, T(name), {}, nullptr)->setCheckable(true);
    AddAction(file, T("Bildtyp (SOPClass)..."), {}, nullptr);
    AddAction(file, T("Signera..."), QKeySequence(Qt::CTRL | Qt::Key_S), nullptr);
    file->addSeparator();
    connect(AddAction(file, T("Avsluta"), {}, nullptr), &QAction::triggered, this, &QDialog::reject);
    m_actions[T("Avsluta")]->setEnabled(true);

    QMenu* edit = bar->addMenu(T("&Redigera"));
    AddAction(edit, T("Kopiera"), QKeySequence(Qt::CTRL | Qt::Key_C), &TBildEditorForm3::CopyToClipboard);
    AddAction(edit, T("K&listra in"), QKeySequence(Qt::CTRL | Qt::Key_V), &TBildEditorForm3::PasteFromClipboard);
    AddAction(edit, T("Urval..."), QKeySequence(Qt::CTRL | Qt::Key_X), &TBildEditorForm3::ShowUrval);
    AddAction(edit, T("Lägg till röntgeninformationsruta"), QKeySequence(Qt::Key_F12), nullptr);

    QMenu* image = bar->addMenu(T("&Bild"));
    QMenu* mirror = image->addMenu(T("Spegelvänd"));
    AddAction(mirror, T("Horisontellt"), QKeySequence(Qt::Key_F2), &TBildEditorForm3::FlipHorizontal);
    AddAction(mirror, T("Vertikalt"), QKeySequence(Qt::Key_F3), &TBildEditorForm3::FlipVertical);
    QMenu* rotate = image->addMenu(T("Rotera"));
    AddAction(rotate, T("Höger"), QKeySequence(Qt::Key_F4), &TBildEditorForm3::RotateRight);
    AddAction(rotate, T("Vänster"), QKeySequence(Qt::Key_F5), &TBildEditorForm3::RotateLeft);
    AddAction(rotate, T("Valfritt..."), QKeySequence(Qt::Key_F10), nullptr);
    AddAction(image, T("Ocklusaljustering"), QKeySequence(Qt::Key_F6), &TBildEditorForm3::FlipVertical);
    image->addSeparator();
    AddAction(image, T("Automatisk färgjustering"), QKeySequence(Qt::Key_F7), &TBildEditorForm3::AutoColour);
    AddAction(image, T("Gör om till gråskala"), QKeySequence(Qt::Key_F8), &TBildEditorForm3::GreyScale);
    AddAction(image, T("Invertera"), QKeySequence(Qt::Key_F9), &TBildEditorForm3::Invert);
    for (const char* name : {"Filter...", "Ändra Storlek...", "Effekter...", "Formförändring", "Histogram...",
                             "Kontrast/Ljus/Gamma..."})
        AddAction(image, T(name), {}, nullptr);
    QMenu* modes = image->addMenu(T("Visningsläge"));
    modes->setEnabled(false); // DICOM images with more than 8 bits
    for (const char* name : {"Automatiskt", "Standard", "Manuell"})
        AddAction(modes, T(name), {}, nullptr);

    QMenu* view = bar->addMenu(T("&Visa"));
    for (const char* name : {"Förstoringsglas", "Miniatyrbild", "Effektkontroller", "Ljusstyrka/kontrast",
                             "Bildinformation", "Snabb-bildverktyg"})
        AddAction(view, T(name), {}, nullptr);
    view->addSeparator();
    QMenu* scheme = view->addMenu(T("Färgschema"));
    connect(AddAction(scheme, T("Windows Standard"), {}, nullptr), &QAction::triggered, this,
            [this] { SetDarkRoom(false); });
    connect(AddAction(scheme, T("För mörkt rum"), {}, nullptr), &QAction::triggered, this,
            [this] { SetDarkRoom(true); });
    m_actions[T("Windows Standard")]->setEnabled(true);
    m_actions[T("För mörkt rum")]->setEnabled(true);
    AddAction(view, T("Bakgrundsfärg..."), {}, &TBildEditorForm3::ChooseBackground);
    QAction* smooth = AddAction(view, T("Mjuk förstoring"), {}, nullptr);
    smooth->setEnabled(true);
    smooth->setCheckable(true);
    smooth->setChecked(m_mainImage->GetSmooth());
    connect(smooth, &QAction::toggled, this, &TBildEditorForm3::SetSmooth);
    QAction* full = AddAction(view, T("Starta detta formulär i fullskärm"), {}, nullptr);
    full->setEnabled(true);
    full->setCheckable(true);
    full->setChecked(Setting(kEditorSection, "WindowStateMaximized", "-1") != "0");
    connect(full, &QAction::toggled, this, [this](bool on) {
        toolkit::WriteSetting(kEditorSection, "WindowStateMaximized", on ? "-1" : "0");
        setWindowState(on ? Qt::WindowMaximized : Qt::WindowNoState);
    });
    const int scheme0 = IntSetting(kEditorSection, "ColorScheme", 0);
    if (scheme0 == 1)
        SetDarkRoom(true);
}

void TBildEditorForm3::BuildButtons(QWidget* panel)
{
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 4, 6, 4);
    const auto button = [&](const char* text) {
        auto* b = new QPushButton(T(text), panel);
        b->setAutoDefault(false);
        row->addWidget(b);
        return b;
    };
    // A read-only user never deletes, stores or signs.
    button("Radera")->setEnabled(false);
    auto* hide = new QCheckBox(T("Dölj ritlager"), panel);
    row->addWidget(hide);
    connect(hide, &QCheckBox::toggled, this, [this](bool on) {
        if (m_annotations)
            m_annotations->SetVisible(!on);
    });
    auto* measurements = new QCheckBox(T("Mätresultat synliga"), panel);
    measurements->setChecked(Setting("BildEditor", "ShowMeasurements", "1") == "1");
    connect(measurements, &QCheckBox::toggled, this,
            [](bool on) { toolkit::WriteSetting("BildEditor", "ShowMeasurements", on ? "1" : "0"); });
    row->addWidget(measurements);
    row->addStretch(1);
    connect(button("Kryptera"), &QPushButton::clicked, this, [this] { Scramble(true); });
    connect(button("Dekryptera"), &QPushButton::clicked, this, [this] { Scramble(false); });
    button("Spara ny")->setEnabled(false);
    button("Spara")->setEnabled(false);
    connect(button("Återgå"), &QPushButton::clicked, this, &QDialog::reject);
}

QAction* TBildEditorForm3::Action(const QString& text) const
{
    const auto it = m_actions.find(text);
    return it == m_actions.end() ? nullptr : it->second;
}

void TBildEditorForm3::SetPrompts(EditorPrompts* prompts)
{
    m_prompts = prompts ? prompts : &m_defaultPrompts;
}

void TBildEditorForm3::SetThumbStrip(ThumbStrip* strip, int shownIndex)
{
    m_strip = strip;
    m_shownIndex = shownIndex;
    CheckAndUpdateNextPrevPictures();
}

void TBildEditorForm3::showEvent(QShowEvent* event)
{
    images::TBildEditorForm::showEvent(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    if (Tag() == 666)
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        ApplyStoredBounds();
    LoadImage();
}

void TBildEditorForm3::ApplyStoredBounds()
{
    const int left = IntSetting(kEditorSection, "POSLEFT", INT_MIN);
    const int top = IntSetting(kEditorSection, "POSTOP", INT_MIN);
    const int w = IntSetting(kEditorSection, "FORMWIDTH", 0);
    const int h = IntSetting(kEditorSection, "FORMHEIGHT", 0);
    if (left != INT_MIN && top != INT_MIN)
        move(left, top);
    if (w > 0 && h > 0)
        resize(w, h);
}

void TBildEditorForm3::StoreBounds()
{
    if (isMaximized())
        return;
    WriteInt(kEditorSection, "POSLEFT", x());
    WriteInt(kEditorSection, "POSTOP", y());
    WriteInt(kEditorSection, "FORMWIDTH", width());
    WriteInt(kEditorSection, "FORMHEIGHT", height());
}

void TBildEditorForm3::done(int result)
{
    StoreBounds();
    RemoveLens();
    images::TBildEditorForm::done(result);
}

void TBildEditorForm3::LoadImage()
{
    m_selection->hide();
    RemoveLens();
    QImage fresh;
    // A picture that cannot be read gives the placeholder with the reason.
    m_placeholder = !m_image || !m_image->GetGraphic32(fresh, 0, true);
    if (fresh.isNull())
        images::KxImageData().GetGraphic32(fresh, 0, true);
    m_bitmap = fresh.format() == QImage::Format_ARGB32 ? fresh : fresh.convertToFormat(QImage::Format_ARGB32);
    if (m_annotations)
        m_annotations->Clear();
    m_editAllowed = !m_placeholder;
    CurrentModality.clear();
    QString caption = T("Redigera bild");
    if (auto* picture = dynamic_cast<images::PictureFileImageData*>(m_image); picture && m_patients) {
        if (const auto who = m_patients(picture->patientnr))
            caption += ' ' + who->personnr + QStringLiteral(" - ") + who->firstName + ' ' + who->lastName;
    }
    setWindowTitle(caption);
    ApplyEditGate();
    UpdateBitmapUsers();
}

void TBildEditorForm3::ApplyEditGate()
{
    for (const char* name : {"Gör om till gråskala", "Invertera", "Horisontellt", "Vertikalt", "Höger", "Vänster",
                             "Ocklusaljustering", "Automatisk färgjustering", "Kopiera", "Skriv ut", "Spara som..."})
        m_actions.at(T(name))->setEnabled(m_editAllowed);
    UpdatePasteAction();
}

void TBildEditorForm3::UpdatePasteAction()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    m_actions.at(T("K&listra in"))->setEnabled(m_editAllowed && data && data->hasImage());
}

double TBildEditorForm3::FitFactorNow() const
{
    return FitFactor(m_mainImage->size(), m_bitmap.size());
}

void TBildEditorForm3::UpdateBitmapUsers()
{
    m_mainImage->SetSourceBitmap(&m_bitmap);
    m_mainImage->SetFactor(FitFactorNow());
    m_mainImage->SetPortCenter(QPoint(m_bitmap.width() / 2, m_bitmap.height() / 2));
    UpdateStatus();
}

void TBildEditorForm3::ResetFactor()
{
    m_mainImage->SetFactor(1.0);
    m_mainImage->SetPortCenter(QPoint(m_bitmap.width() / 2, m_bitmap.height() / 2));
    m_relativeFactor = 2.0;
    UpdateStatus();
}

bool TBildEditorForm3::GetSmooth() const { return m_mainImage->GetSmooth(); }
QPoint TBildEditorForm3::GetPortCenter() const { return m_mainImage->GetPortCenter(); }
double TBildEditorForm3::GetFactor() const { return m_mainImage->GetFactor(); }

void TBildEditorForm3::SetSmooth(bool value)
{
    m_mainImage->SetSmooth(value);
    toolkit::WriteSetting(kImageSection, "StretchFilterLinear", value ? "-1" : "0");
}

void TBildEditorForm3::SetEffextSize(int value)
{
    m_lensSize = std::max(10, value);
    WriteInt(kImageSection, "EffectSizeX", m_lensSize);
}

void TBildEditorForm3::SetEffectShape(bool circle)
{
    m_lensCircle = circle;
    toolkit::WriteSetting(kImageSection, "EffectShapeCircle", circle ? "-1" : "0");
}

void TBildEditorForm3::SetPortCenter(QPoint centre)
{
    m_mainImage->SetPortCenter(centre);
    UpdateStatus();
}

void TBildEditorForm3::UpdateStatus(QPoint cursor)
{
    m_statusLabels[0]->setText(QString::asprintf("%dx%d", m_bitmap.width(), m_bitmap.height()));
    if (cursor.x() >= 0) {
        const QPoint p = m_mainImage->GetBitmapPoint(cursor);
        m_statusLabels[1]->setText(QString::asprintf("%dx%d", p.x(), p.y()));
    }
    m_statusLabels[2]->setText(QString::asprintf("Huvudbild %.2fx Förstoringsglas %.2fx", GetFactor(),
                                                 GetFactor() * m_relativeFactor));
}

QString TBildEditorForm3::StatusText(int panel) const
{
    return m_statusLabels[panel]->text();
}

void TBildEditorForm3::Committed(bool geometry)
{
    m_modified = true;
    if (geometry) {
        // Objects placed on the old geometry would land in the wrong place.
        if (m_annotations)
            m_annotations->Clear();
        UpdateBitmapUsers();
    } else {
        m_mainImage->ImageChanged();
    }
}

void TBildEditorForm3::FlipHorizontal()
{
    m_bitmap.mirror(true, false);
    Committed(false);
}

void TBildEditorForm3::FlipVertical()
{
    m_bitmap.mirror(false, true);
    Committed(false);
}

void TBildEditorForm3::RotateRight()
{
    m_bitmap = m_bitmap.transformed(QTransform().rotate(90));
    Committed(true);
}

void TBildEditorForm3::RotateLeft()
{
    m_bitmap = m_bitmap.transformed(QTransform().rotate(270));
    Committed(true);
}

void TBildEditorForm3::GreyScale()
{
    effects::GreyScale32(m_bitmap, m_bitmap);
    m_convertToGrayScale = true;
    Committed(false);
}

void TBildEditorForm3::Invert()
{
    effects::Invert32(m_bitmap, m_bitmap);
    Committed(false);
}

void TBildEditorForm3::AutoColour()
{
    QImage result;
    // Only a real change marks the picture modified.
    if (ApplyColourDefaults(m_bitmap, ReadColourDefaults(CurrentModality), result)) {
        m_bitmap = result;
        Committed(false);
    }
}

QImage TBildEditorForm3::SelectedOrWhole(bool* cancelled) const
{
    *cancelled = false;
    if (m_selection->isVisible()) {
        const QRect r = SelectionImageRect();
        if (r.isEmpty()) {
            toolkit::ShowWarning(T("Du får inte markera ett område utanför bilden!"));
            *cancelled = true;
            return {};
        }
        return m_bitmap.copy(r);
    }
    return m_bitmap;
}

void TBildEditorForm3::CopyToClipboard()
{
    bool cancelled = false;
    QImage copy = SelectedOrWhole(&cancelled).convertToFormat(QImage::Format_RGB888);
    if (cancelled)
        return;
    if (!m_selection->isVisible() && m_annotations && m_annotations->HasAnnotations() &&
        toolkit::AskYesNo(T("Spara ritobjekten på bilden?")) == toolkit::mrYes) {
        QPainter painter(&copy);
        m_annotations->PaintOnOtherCanvas(painter, 1.0, QPoint());
    }
    QGuiApplication::clipboard()->setImage(copy);
}

void TBildEditorForm3::PasteFromClipboard()
{
    const QImage pasted = QGuiApplication::clipboard()->image();
    if (pasted.isNull() || !m_editAllowed)
        return;
    m_bitmap = pasted.convertToFormat(QImage::Format_ARGB32);
    Committed(true);
}

void TBildEditorForm3::ExportAs()
{
    const QString lastDir = QString::fromStdString(Setting("HTMLExport", "Lastdir", ""));
    QString filter = ExportFilters().at(1);
    QString name = m_prompts->SaveFileName(this, QDir(lastDir).exists() ? lastDir : QString(), ExportFilters(), filter);
    if (name.isEmpty())
        return;
    if (!ExportFilters().contains(filter)) {
        toolkit::ShowWarning(T("Du måste välja ett filformat!"));
        return;
    }
    toolkit::WriteSetting("HTMLExport", "Lastdir", QFileInfo(name).absolutePath().toStdString());
    if (ExportExtension(filter) == QStringLiteral(".dcm")) {
        toolkit::ShowInfo(T("För att spara bilden som en Dicom-bild:\r\r1. Kopiera bilden till klippbordet.\r2. "
                            "Stäng Bildeditorn och välj Lägg till bild - Från klippbordet.\r3. Välj Dicom som bildtyp."));
        return;
    }
    name = WithExportExtension(name, filter);
    QImage copy = m_bitmap.convertToFormat(QImage::Format_RGB888);
    if (m_annotations && m_annotations->HasAnnotations() &&
        toolkit::AskYesNo(T("Spara ritobjekten på bilden?")) == toolkit::mrYes) {
        QPainter painter(&copy);
        m_annotations->PaintOnOtherCanvas(painter, 1.0, QPoint());
    }
    const QString error = ExportPicture(copy, name);
    if (!error.isEmpty()) {
        toolkit::ShowError(T("Det gick inte att spara bilden!") + "\r\r" + error);
        return;
    }
    // The working copy stays as it is: nothing of it is stored anywhere else.
    toolkit::ShowInfo(T("Bilden sparad som ") + name + '.');
}

QString TBildEditorForm3::PatientHeader() const
{
    auto* picture = dynamic_cast<images::PictureFileImageData*>(m_image);
    if (!picture || !m_patients)
        return {};
    const auto who = m_patients(picture->patientnr);
    if (!who)
        return {};
    return who->firstName + ' ' + who->lastName + ' ' + who->personnr;
}

PrintJob TBildEditorForm3::MakePrintJob() const
{
    PrintJob job;
    bool cancelled = false;
    job.picture = SelectedOrWhole(&cancelled).convertToFormat(QImage::Format_RGB888);
    if (cancelled)
        return {};
    job.header = PatientHeader();
    job.date = m_image ? m_image->GetDate(false) : QString();
    return job;
}

void TBildEditorForm3::PrintImage()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(QString::fromStdString(Setting(kImageSection, "PrinterName", "")));
    if (!m_prompts->Print(this, printer))
        return;
    toolkit::WriteSetting(kImageSection, "PrinterName", printer.printerName().toStdString());
    PrintJob job = MakePrintJob();
    if (job.picture.isNull())
        return;
    if (m_annotations && m_annotations->HasAnnotations() &&
        toolkit::AskYesNo(T("Rita ut ritobjekten på bilden?")) == toolkit::mrYes) {
        QPainter painter(&job.picture);
        m_annotations->PaintOnOtherCanvas(painter, 1.0, QPoint());
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        toolkit::ShowError(T("Det uppstod ett fel vid utskrift!") + "\r\r" + printer.printerName());
        return;
    }
    PrintPage(painter, painter.viewport(), job);
    painter.end();
}

void TBildEditorForm3::Scramble(bool encrypt)
{
    QString text = QStringLiteral("0");
    const bool ok = encrypt ? toolkit::InputBox(T("Skriv krypteringsvärde"), T("Krypteringsvärde"), text)
                            : toolkit::InputBox(T("Skriv dekrypteringsvärde"), T("Dekrypteringsvärde"), text);
    if (!ok)
        return;
    bool isInt = false;
    const int value = text.trimmed().toInt(&isInt);
    if (!isInt) {
        toolkit::ShowError(text + T(" är inget giltigt heltal!"));
        return;
    }
    if (auto* picture = dynamic_cast<images::PictureFileImageData*>(m_image);
        picture && QFileInfo(picture->loadedfilename).suffix().compare("jpg", Qt::CaseInsensitive) == 0)
        toolkit::ShowBalloonHint(T("Tänk på att om du sparar bilden efter krypteringen som en JPG, så blir bilden "
                                   "förstörd!\r\rAnvänd något av de ickeförstörande bildformaten istället."),
                                 this);
    m_bitmap = ScramblePicture(m_bitmap, value);
    Committed(false);
}

void TBildEditorForm3::SetDarkRoom(bool dark)
{
    QPalette p = QApplication::style()->standardPalette();
    if (dark) {
        for (const auto role : {QPalette::Window, QPalette::Button, QPalette::Base, QPalette::AlternateBase})
            p.setColor(role, QColor(32, 32, 32));
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            p.setColor(role, QColor(200, 200, 200));
    }
    const QColor panel = m_panel->palette().color(QPalette::Window);
    setPalette(p);
    QPalette keep = m_panel->palette();
    keep.setColor(QPalette::Window, panel);
    m_panel->setPalette(keep);
    m_mainImage->setPalette(keep);
    toolkit::WriteSetting(kEditorSection, "ColorScheme", dark ? "1" : "0");
}

void TBildEditorForm3::ChooseBackground()
{
    const auto colour = m_prompts->Colour(this, m_panel->palette().color(QPalette::Window));
    if (!colour)
        return;
    QPalette p = m_panel->palette();
    p.setColor(QPalette::Window, *colour);
    m_panel->setPalette(p);
    m_mainImage->setPalette(p);
    WriteInt(kImageSection, "BackgroundColor", ColourValue(*colour));
}

void TBildEditorForm3::ShowUrval()
{
    RemoveLens();
    if (m_selection->isVisible()) {
        m_selection->hide();
        return;
    }
    const QRect target = m_mainImage->Layout().target;
    m_selection->setGeometry(QRect(target.topLeft() + QPoint(10, 10), QSize(150, 150))
                                 .intersected(m_mainImage->rect()));
    UpdateSelectionCaption();
    m_selection->show();
    m_selection->raise();
}

void TBildEditorForm3::UpdateSelectionCaption()
{
    const int w = m_selection->width(), h = m_selection->height();
    const QString ratio = h > 0 ? QString::number(double(w) / h, 'f', 2) : QStringLiteral("0");
    m_selection->SetCaption(T("Bredd: ") + QString::number(w) + '\n' + T("Höjd: ") + QString::number(h) +
                            QStringLiteral("\n\n") + T("Bredd/Höjd: ") + ratio);
}

QRect TBildEditorForm3::SelectionImageRect() const
{
    const QRect frame = m_selection->geometry();
    const QRect r(m_mainImage->GetBitmapPoint(frame.topLeft()),
                  m_mainImage->GetBitmapPoint(frame.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
    if (r.isEmpty() || !m_bitmap.rect().contains(r))
        return {};
    return r;
}

void TBildEditorForm3::SelectionMouse(QMouseEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        m_selectionPress = event->globalPosition().toPoint();
        m_selectionStart = m_selection->geometry();
        m_selectionResizing = m_selection->MoveRect().contains(event->position().toPoint());
        if (event->button() == Qt::RightButton)
            m_selection->hide();
        return;
    }
    if (event->type() != QEvent::MouseMove || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint delta = event->globalPosition().toPoint() - m_selectionPress;
    const QRect bounds = m_mainImage->rect();
    QRect r = m_selectionStart;
    if (m_selectionResizing) {
        const int minimum = (event->buttons() & Qt::RightButton) ? 20 : 40;
        r.setWidth(std::max(minimum, r.width() + delta.x()));
        r.setHeight(std::max(minimum, r.height() + delta.y()));
        r = r.intersected(bounds);
    } else {
        r.moveTo(std::clamp(r.left() + delta.x(), 1, std::max(1, bounds.width() - r.width())),
                 std::clamp(r.top() + delta.y(), 1, std::max(1, bounds.height() - r.height())));
    }
    m_selection->setGeometry(r);
    UpdateSelectionCaption();
}

void TBildEditorForm3::ShowLens(LensKind kind, QPoint at)
{
    if (m_bitmap.isNull() || !m_mainImage->Layout().target.contains(at)) {
        RemoveLens();
        return;
    }
    const int size = m_lensSize;
    const double c = kind == LensKind::Zoom ? ExtraZoomFactor : 1.0;
    const int span = std::max(1, RoundEven(c * size / GetFactor()));
    const QPoint centre = m_mainImage->GetBitmapPoint(at);
    QRect source(centre.x() - span / 2, centre.y() - span / 2, span, span);
    // Pushed inside the picture.
    source.moveLeft(std::clamp(source.left(), 0, std::max(0, m_bitmap.width() - span)));
    source.moveTop(std::clamp(source.top(), 0, std::max(0, m_bitmap.height() - span)));
    source = source.intersected(m_bitmap.rect());
    if (TempBitmap.size() != QSize(size, size))
        TempBitmap = QImage(size, size, QImage::Format_ARGB32);
    TempBitmap.fill(palette().color(QPalette::Window));
    {
        QPainter painter(&TempBitmap);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, GetSmooth());
        painter.drawImage(QRect(0, 0, size, size), OpaqueView(m_bitmap), source);
    }
    switch (kind) {
    case LensKind::Lightness:
        effects::Brightness32(TempBitmap, TempBitmap, ExtraLightnessValue);
        break;
    case LensKind::Invert:
        effects::Invert32(TempBitmap, TempBitmap);
        break;
    case LensKind::MaxContrast:
        effects::MaxContrast32(TempBitmap, TempBitmap);
        break;
    case LensKind::Contrast:
        effects::Gamma32(TempBitmap, TempBitmap, ExtraContrastValue);
        break;
    case LensKind::Zoom:
    case LensKind::None:
        break;
    }
    m_lens = kind;
    m_lensAt = at;
    m_mainImage->SetShape(m_lensCircle ? kLensCircle : kLensSquare);
    m_mainImage->SetExtraBitmap(&TempBitmap, at);
    m_mainImage->update();
}

void TBildEditorForm3::RemoveLens()
{
    if (m_lens == LensKind::None)
        return;
    m_lens = LensKind::None;
    m_mainImage->SetExtraBitmap(nullptr, {});
    m_mainImage->update();
}

void TBildEditorForm3::WheelOnDisplay(QWheelEvent* event)
{
    const bool in = event->angleDelta().y() > 0;
    if (event->angleDelta().y() == 0)
        return;
    if (m_lens != LensKind::None) {
        // The wheel tunes the lens while one is shown.
        switch (m_lens) {
        case LensKind::Zoom: {
            const double next = in ? ExtraZoomFactor / 1.05 : ExtraZoomFactor * 1.05;
            if (next > 0.1 && next < 1.0)
                ExtraZoomFactor = next;
            break;
        }
        case LensKind::Contrast:
            ExtraContrastValue += in ? 0.01 : -0.01;
            break;
        case LensKind::Lightness:
            ExtraLightnessValue += in ? 5 : -5;
            break;
        default:
            break;
        }
        ShowLens(m_lens, m_lensAt);
        return;
    }
    const double fit = FitFactorNow();
    if (event->modifiers() & Qt::ControlModifier) {
        m_relativeFactor = WheelRelativeZoom(m_relativeFactor, fit, in);
        UpdateStatus();
        return;
    }
    const QPoint cursor = event->position().toPoint();
    const QPoint under = m_mainImage->GetBitmapPoint(cursor);
    const WheelZoom zoom = WheelMainZoom(GetFactor(), fit, in);
    m_mainImage->SetFactor(zoom.factor);
    if (zoom.centre)
        m_mainImage->SetPortCenter(QPoint(m_bitmap.width() / 2, m_bitmap.height() / 2));
    else if (m_bZoomOnCursor)
        m_mainImage->SetPortCenter(CentreKeeping(m_mainImage->size(), under, cursor, zoom.factor));
    UpdateStatus(cursor);
}

void TBildEditorForm3::MouseOnDisplay(QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint pos = mouse->position().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (mouse->button() == Qt::LeftButton) {
            if (std::abs(GetFactor() - FitFactorNow()) > 1e-9) {
                m_moving = true;
                m_moveStart = pos;
            }
        } else if (mouse->button() == Qt::RightButton) {
            m_selection->hide();
        }
        break;
    case QEvent::MouseButtonRelease:
        m_moving = false;
        RemoveLens();
        break;
    case QEvent::MouseMove: {
        UpdateStatus(pos);
        if (m_moving && (mouse->buttons() & Qt::LeftButton)) {
            const QPoint d = m_moveStart - pos;
            const QPoint c = GetPortCenter();
            m_mainImage->SetPortCenter(c + QPoint(RoundEven(d.x() / GetFactor()), RoundEven(d.y() / GetFactor())));
            m_moveStart = pos;
            break;
        }
        if (mouse->buttons() != Qt::NoButton)
            break;
        const Qt::KeyboardModifiers m = mouse->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        LensKind kind = LensKind::None;
        if (m == (Qt::ControlModifier | Qt::AltModifier))
            kind = LensKind::Zoom;
        else if (m == Qt::AltModifier)
            kind = LensKind::Lightness;
        else if (m == (Qt::ShiftModifier | Qt::ControlModifier))
            kind = LensKind::Invert;
        else if (m == Qt::ControlModifier)
            kind = LensKind::MaxContrast;
        else if (m == Qt::ShiftModifier)
            kind = LensKind::Contrast;
        if (kind == LensKind::None)
            RemoveLens();
        else
            ShowLens(kind, pos);
        break;
    }
    default:
        break;
    }
}

bool TBildEditorForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mainImage) {
        switch (event->type()) {
        case QEvent::Wheel:
            WheelOnDisplay(static_cast<QWheelEvent*>(event));
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            MouseOnDisplay(event);
            return false;
        case QEvent::Resize:
            // The picture keeps its fit while the window is sized.
            if (!m_bitmap.isNull() && std::abs(GetFactor() - FitFactor(static_cast<QResizeEvent*>(event)->oldSize(),
                                                                        m_bitmap.size())) < 1e-9)
                QMetaObject::invokeMethod(this, &TBildEditorForm3::UpdateBitmapUsers, Qt::QueuedConnection);
            return false;
        default:
            return false;
        }
    }
    if (watched == m_selection && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove)) {
        SelectionMouse(static_cast<QMouseEvent*>(event));
        return true;
    }
    return false;
}

void TBildEditorForm3::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape) {
        images::TBildEditorForm::keyPressEvent(event);
        return;
    }
    // Esc first undoes what is in progress, and asks before discarding work.
    if (m_lens != LensKind::None) {
        RemoveLens();
    } else if (m_selection->isVisible()) {
        m_selection->hide();
    } else if (m_modified) {
        if (toolkit::AskYesNo(T("Bilden är ändrad. Vill du kasta ändringarna och läsa in bilden igen?"),
                              toolkit::DefaultAnswer::No) == toolkit::mrYes) {
            LoadImage();
            m_modified = false;
        }
    } else {
        reject();
    }
}

void TBildEditorForm3::keyReleaseEvent(QKeyEvent* event)
{
    RemoveLens();
    images::TBildEditorForm::keyReleaseEvent(event);
}

void TBildEditorForm3::CheckAndUpdateNextPrevPictures()
{
    m_prevIndex = m_nextIndex = -1;
    if (!m_strip)
        return;
    const auto steppable = [this](int i) {
        images::KxImageData* image = m_strip->ImageAt(i);
        auto* picture = dynamic_cast<images::PictureFileImageData*>(image);
        return picture && kSteppable.contains(QFileInfo(picture->loadedfilename).suffix().toUpper());
    };
    for (int i = m_shownIndex - 1; i >= 0 && m_prevIndex < 0; --i)
        if (steppable(i))
            m_prevIndex = i;
    for (int i = m_shownIndex + 1; i < m_strip->Count() && m_nextIndex < 0; ++i)
        if (steppable(i))
            m_nextIndex = i;
}

bool TBildEditorForm3::NavigateToPreviousImage()
{
    if (m_prevIndex < 0)
        return false;
    m_shownIndex = m_prevIndex;
    SetImage(m_strip->ImageAt(m_shownIndex));
    LoadImage();
    CheckAndUpdateNextPrevPictures();
    return true;
}

bool TBildEditorForm3::NavigateToNextImage()
{
    if (m_nextIndex < 0)
        return false;
    m_shownIndex = m_nextIndex;
    SetImage(m_strip->ImageAt(m_shownIndex));
    LoadImage();
    CheckAndUpdateNextPrevPictures();
    return true;
}

} // namespace editor
