#include "TQ7FloaterFrmOrvana.h"

#include "FloaterLookup.h"
#include "FloaterSync.h"
#include "PictureEditorOpener.h"
#include "SessionPlatform.h"
#include "TrayIcons.h"
#include "app/core/ProgramInfo.h"
#include "app/sync/TfrmSystreg.h"
#include "toolkit/core/PersonalNumber.h"
#include "toolkit/Dialogs.h"
#include "toolkit/core/Settings.h"
#include "toolkit/core/TervalenUser.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStyleFactory>
#include <QSystemTrayIcon>
#include <QWindow>

namespace floater {

namespace {

const QColor kSilver(192, 192, 192);
const QColor kMaroon(128, 0, 0);
const QColor kGreen(0, 128, 0);
const QString kManual = QStringLiteral("Användarmanual för sammankoppling av Orvana och Q7.doc");

QFont pixelFont(const QStringList& families, int pixels, bool bold)
{
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void setBackground(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setTextColor(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

QString colorName(const QColor& c)
{
    return c.name(QColor::HexRgb);
}

// The small lamp that shows whether the number came from text recognition.
class OcrLamp : public QWidget {
public:
    explicit OcrLamp(QWidget* parent) : QWidget(parent) {}
    QColor fill = QColor(0, 255, 0), outline = QColor(0, 128, 0);

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(outline);
        p.setBrush(fill);
        p.drawEllipse(rect().adjusted(0, 0, -1, -1));
    }
};

} // namespace

TQ7FloaterFrmOrvana::TQ7FloaterFrmOrvana(platform::Desktop* desktop, QStringList args,
                                         app::FloaterDatabases* databases, app::Q7LoginPrompt* login,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), desktop_(desktop), args_(std::move(args)),
      databases_(databases), login_(login)
{
    FormCreate();
}

TQ7FloaterFrmOrvana::~TQ7FloaterFrmOrvana() = default;

void TQ7FloaterFrmOrvana::FormCreate()
{
    setWindowTitle(kApplicationTitle);
    setFixedWidth(240);
    resize(240, 138);
    setFocusPolicy(Qt::StrongFocus);
    setFont(pixelFont({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"}, 11, false));
    toolkit::CurrentUser() = toolkit::FloaterUser();
    ownLookup_ = std::make_unique<FloaterLookup>(*this, desktop_);
    lookup_ = ownLookup_.get();
    for (const QString& arg : args_)
        if (arg.compare("-SHOWCOUNT", Qt::CaseInsensitive) == 0 || arg.compare("/SHOWCOUNT", Qt::CaseInsensitive) == 0)
            showCount_ = true;
    if (desktop_)
        messages_ = registerMessages(*desktop_);

    buildTitleBar();
    buildPatientBar();
    buildClientArea();
    buildMenus();

    applyStyleSetting();
    toolkit::LocalizeDialogTexts();
    batchLayer_->lower();

    for (const OptionInfo& info : optionTable())
        optionActions_.at(info.option)->setChecked(readOption(info.option));
    if (toolkit::ReadSetting("Q7FloaterOrvana", "OrvanaStartParameters") == toolkit::kAbsent)
        toolkit::WriteSetting("Q7FloaterOrvana", "OrvanaStartParameters", "");
    orvanaDirPrefix_ = toolkit::ReadSettingOrDefault("Q7FloaterOrvana", "OrvanaDirectory", "");
    compactLine_->setVisible(!optionActions_.at(Option::ShowPatInfo)->isChecked());
    setWindowFlag(Qt::WindowStaysOnTopHint, optionActions_.at(Option::StayOnTop)->isChecked());
    bringToFront(Layer::Message);
    if (!desktop_) // no tracking pass will ever say anything here
        setMessageText(toolkit::Translate(QString::fromUtf8(kNoWindowSystem)));

    connect(&timer2_, &QTimer::timeout, this, &TQ7FloaterFrmOrvana::Timer2Timer);
    timer2_.setSingleShot(true);
    timer2_.setInterval(1000);
    connect(&timer3_, &QTimer::timeout, this, &TQ7FloaterFrmOrvana::Timer3Timer);
    timer3_.setInterval(1000);

    AdjustFloaterHeight();
    startDatabases();
    if (!closeNow_)
        placeWindow();
}

void TQ7FloaterFrmOrvana::startDatabases()
{
    if (!databases_)
        return;
    if (!login_) {
        ownLogin_ = std::make_unique<app::TQ7LoginDialog>(this);
        login_ = ownLogin_.get();
    }
    closeNow_ = databases_->start(*login_);
    if (closeNow_)
        return;
    const app::SiteSwitches& switches = databases_->switches();
    ownLookup_->setJournal(databases_->journal(), switches);
    pictureOpener_ = std::make_unique<PictureEditorOpener>(FloaterEditorFactory(databases_->journal()));
    ownLookup_->setPictureOpener(
        [opener = pictureOpener_.get()](const QString& path, int bildflik) { opener->open(path, bildflik); });
    personSync_ = std::make_unique<FloaterSync>(
        *this, SyncConnections{databases_->journal(), databases_->q7(), databases_->counters(),
                               switches.USEQ7FLOATERCONTACTTYPES},
        desktop_);
    ownLookup_->setPersonSync(personSync_.get());
    if (switches.floatermaychangepat) {
        QAction* change = optionActions_.at(Option::ChangePatInOrvanaRealtime);
        change->setChecked(false);
        change->setEnabled(false);
    }
}

void TQ7FloaterFrmOrvana::buildTitleBar()
{
    orvanaButton_ = new QPushButton(QStringLiteral("Gå till Orvana"), this);
    orvanaButton_->setGeometry(0, 2, 84, 25);
    orvanaButton_->setIcon(orvanaGlyph());
    orvanaButton_->setIconSize(QSize(12, 12));
    orvanaButton_->setFocusPolicy(Qt::NoFocus);
    orvanaButton_->installEventFilter(this); // the system register's gesture
    connect(orvanaButton_, &QPushButton::clicked, this, &TQ7FloaterFrmOrvana::goToOrvanaRequested);
    connect(this, &TQ7FloaterFrmOrvana::goToOrvanaRequested, this, [this] { ownLookup_->BitBtn1Click(); });

    countBox_ = new QFrame(this);
    countBox_->setGeometry(88, 0, 117, 31);
    countBox_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setBackground(countBox_, kSilver);
    countLabel_ = new QLabel("Antal bilder: 0", countBox_);
    countLabel_->setGeometry(2, 2, 113, 14);
    countLabel_->setAlignment(Qt::AlignCenter);
    compactLine_ = new QLabel(countBox_);
    compactLine_->setGeometry(2, 15, 113, 14);
    compactLine_->setAlignment(Qt::AlignCenter);

    auto smallButton = [this](const QString& text, int x) {
        auto* b = new QPushButton(text, this);
        b->setGeometry(x, 1, 15, 15);
        b->setFont(pixelFont({"Liberation Sans", "DejaVu Sans"}, 11, true));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    connect(smallButton("-", 208), &QPushButton::clicked, this, &TQ7FloaterFrmOrvana::minimizeApplication);
    connect(smallButton("X", 224), &QPushButton::clicked, this, &QWidget::close);

    ocrLamp_ = new OcrLamp(this);
    ocrLamp_->setGeometry(228, 20, 7, 7);
    ocrLamp_->setToolTip(QStringLiteral(
        "Tänd betyder att personnr hämtats med OCR från Q7. Grönt = Hög sannolikhet rätt personnr. "
        "Rött = Chans finns för fel personnr."));
    ocrLamp_->hide();

    busyOverlay_ = new QLabel(QStringLiteral("Uppdaterar Orvanas databas, vänta..."), this);
    busyOverlay_->setGeometry(0, 0, 240, 33);
    busyOverlay_->setAlignment(Qt::AlignCenter);
    setBackground(busyOverlay_, palette().color(QPalette::Window));
    busyOverlay_->hide();
}

void TQ7FloaterFrmOrvana::buildPatientBar()
{
    patientBar_ = new QFrame(this);
    patientBar_->setGeometry(0, 33, 240, 31);
    patientBar_->setAutoFillBackground(true);
    patientCaption_ = new QLabel("Aktuell patient:", patientBar_);
    patientCaption_->move(7, 10);
    patientLabel_ = new QLabel("(ingen)", patientBar_);
    patientLabel_->setGeometry(82, 8, 156, 18);
    patientLabel_->setFont(pixelFont({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"}, 13, true));
    setTextColor(patientLabel_, kGreen);
}

void TQ7FloaterFrmOrvana::buildClientArea()
{
    clientArea_ = new QWidget(this);
    clientArea_->setGeometry(0, 64, 240, 74);

    messageLayer_ = new QFrame(clientArea_);
    messageLayer_->setGeometry(0, 0, 240, 74);
    messageLayer_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    messageLayer_->setAutoFillBackground(true);
    messageLabel_ = new QLabel(messageLayer_);
    messageLabel_->setGeometry(2, 2, 236, 70);
    messageLabel_->setAlignment(Qt::AlignCenter);
    messageLabel_->setWordWrap(true);
    messageLabel_->setFont(pixelFont({"Arial", "Liberation Sans", "DejaVu Sans"}, 16, true));
    setTextColor(messageLabel_, kMaroon);

    categoryLayer_ = new QWidget(clientArea_);
    categoryLayer_->setGeometry(0, 0, 240, 74);
    categoryLayer_->setAutoFillBackground(true);
    const char* titles[] = {"Bilder", "Intraor.", "Extraor.", "Röntgen", "Övriga", "Dicom"};
    for (int i = 0; i < 6; ++i) {
        auto* tile = new CountTile(QString::fromUtf8(titles[i]), categoryLayer_);
        tile->move(i * 40, 0);
        if (i < 5)
            connect(tile, &CountTile::doubleClicked, this, [this, i] { ownLookup_->CategoryTileDoubleClick(i); });
        tiles_.push_back(tile);
    }
    modalityRow_ = new QWidget(categoryLayer_);
    modalityRow_->setGeometry(0, 35, 240, 35);
    modalityRow_->hide();

    batchLayer_ = new QWidget(clientArea_);
    batchLayer_->setGeometry(0, 0, 240, 74);
    batchLayer_->setAutoFillBackground(true);
    batchActive_ = new QLabel("Aktiv post:", batchLayer_);
    batchActive_->setGeometry(4, 2, 232, 14);
    batchProgress_ = new QProgressBar(batchLayer_);
    batchProgress_->setGeometry(4, 17, 232, 12);
    batchProgress_->setTextVisible(false);
    batchLog_ = new QListWidget(batchLayer_);
    batchLog_->setGeometry(4, 31, 232, 41);

    // The areas the window can be dragged by.
    for (QWidget* w : std::initializer_list<QWidget*>{this, countBox_, countLabel_, compactLine_,
                                                      patientBar_, patientLabel_, categoryLayer_})
        w->installEventFilter(this);
    // A double-click on either line of the count box is "Gå till Orvana".
    countLabel_->setAttribute(Qt::WA_MouseTracking);
}

void TQ7FloaterFrmOrvana::buildMenus()
{
    optionsMenu_ = new QMenu(this);
    for (const OptionInfo& info : optionTable()) {
        QAction* a = optionsMenu_->addAction(QString::fromUtf8(info.caption));
        a->setCheckable(true);
        optionActions_[info.option] = a;
        const Option option = info.option;
        connect(a, &QAction::triggered, this, [this, option](bool on) {
            writeOption(option, on);
            applyOption(option, on);
        });
    }

    trayMenu_ = new QMenu(this);
    connect(trayMenu_->addAction(QStringLiteral("Gå till Orvana")), &QAction::triggered, this,
            &TQ7FloaterFrmOrvana::goToOrvanaRequested);
    trayMenu_->addSeparator();
    connect(trayMenu_->addAction(QStringLiteral("Visa formulär")), &QAction::triggered, this,
            &TQ7FloaterFrmOrvana::restoreApplication);
    trayMenu_->addSeparator();
    trayMenu_->addAction(QString("Version:") + app::kProgramVersion)->setEnabled(false);
    trayMenu_->addSeparator();
    connect(trayMenu_->addAction("Avsluta"), &QAction::triggered, this, &QWidget::close);

    tray_ = new QSystemTrayIcon(trayIcon(trayIconIndex_), this);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            restoreApplication();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        tray_->show();
}

void TQ7FloaterFrmOrvana::applyStyleSetting()
{
    std::string style = toolkit::ReadSetting("KlientSettings", "Style");
    if (style == toolkit::kAbsent) {
        toolkit::WriteSetting("KlientSettings", "Style", "Windows");
        style = toolkit::ReadSetting("KlientSettings", "Style");
    }
    const QString name = QString::fromStdString(style);
    // A style this toolkit does not know is ignored.
    if (QStyle* s = QStyleFactory::create(name)) {
        QApplication::setStyle(s);
        toolkit::SetActiveStyleName(name);
    }
}

void TQ7FloaterFrmOrvana::applyOption(Option option, bool on)
{
    switch (option) {
    case Option::StayOnTop:
        applyStayOnTop(on);
        break;
    case Option::ShowPatInfo:
        compactLine_->setVisible(!on);
        AdjustFloaterHeight();
        // The tiles were not filled while the option was off.
        if (on && !trackingState_.currentPersonalNumber.empty())
            lookup_->LookupPatient(trackingState_.currentPersonalNumber, false);
        break;
    case Option::ShowDICOMInfo:
        setModalityRowVisible(on);
        break;
    default: // the others are read where they are used
        break;
    }
    publishState();
}

void TQ7FloaterFrmOrvana::applyStayOnTop(bool on)
{
    if (testAttribute(Qt::WA_WState_Created) &&
        windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show();
    applyWindowIdentity();
}

platform::WindowId TQ7FloaterFrmOrvana::nativeWindow() const
{
    // The platform window's own id: the xcb plugin makes a new native window
    // when the stay-on-top flag changes, which QWidget::winId() does not see.
    const QWindow* w = windowHandle();
    return w && w->handle() ? w->winId() : 0;
}

void TQ7FloaterFrmOrvana::applyWindowIdentity()
{
    // Every native window gets the identity, so that a second start still
    // finds us after "Alltid överst" was toggled.
    if (const platform::WindowId w = nativeWindow(); desktop_ && w)
        desktop_->setWindowIdentity(w, kFloaterClass, kApplicationTitle);
}

void TQ7FloaterFrmOrvana::AdjustFloaterHeight()
{
    const HeightRule rule = floaterHeight(optionActions_.at(Option::ShowPatInfo)->isChecked(),
                                          categoryLayer_->isVisible() || !testAttribute(Qt::WA_WState_Visible),
                                          modalityRow_->isVisibleTo(categoryLayer_));
    // The window has no frame, so window and client height are the same.
    setFixedHeight(rule.value);
}

void TQ7FloaterFrmOrvana::placeWindow()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->geometry();
    const int left = placeCoordinate(
        QString::fromStdString(toolkit::ReadSettingOrDefault(kSection, "Formleft", "")), s.width(), width());
    const int top = placeCoordinate(
        QString::fromStdString(toolkit::ReadSettingOrDefault(kSection, "Formtop", "")), s.height(), height());
    move(left, top);
}

bool TQ7FloaterFrmOrvana::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // The native window is made on first show and again when flags change.
    if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
        applyWindowIdentity();
    else if (event->type() == QEvent::Move) // dragged, or placed
        publishState();
    return handled;
}

void TQ7FloaterFrmOrvana::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TQ7FloaterFrmOrvana::FormShow()
{
    if (closeNow_) {
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    placeWindow();
    const bool onTop = readOption(Option::StayOnTop);
    optionActions_.at(Option::StayOnTop)->setChecked(onTop);
    applyStayOnTop(onTop);
    timer2_.start();
    publishState();
}

void TQ7FloaterFrmOrvana::Timer2Timer()
{
    timer2_.stop();
    bool batchRun = false;
    const bool ran = serial_.run([&] {
        if (optionActions_.at(Option::StartMinimized)->isChecked())
            minimizeApplication();
        for (const QString& arg : args_) {
            // The word itself, in any case: a file name that merely contains it
            // ("notes_update_all.txt") must never update every patient.
            if (arg.trimmed().compare(QLatin1String("UPDATE_ALL"), Qt::CaseInsensitive) == 0) {
                if (updateAll_) {
                    updateAll_(); // ends by closing the window: no tracking
                    batchRun = true;
                }
                break;
            }
            if (const auto number = toolkit::NumberFromCommandLine(arg.toStdString())) {
                lookup_->LookupPatient(*number, true);
                break;
            }
        }
    });
    if (!ran) {
        timer2_.start(); // a hand-over is being looked up: try again
        return;
    }
    if (batchRun)
        return;
    publishState();
    timer3_.start();
}

void TQ7FloaterFrmOrvana::setLookup(app::PatientLookup* lookup)
{
    lookup_ = lookup ? lookup : ownLookup_.get();
}

void TQ7FloaterFrmOrvana::setCaptionReader(app::CaptionReader* reader)
{
    captions_ = reader ? reader : &noCaptions_;
}

void TQ7FloaterFrmOrvana::Timer3Timer()
{
    timer3_.stop();
    if (desktop_) {
        // Skipped while a hand-over is looked up; the next tick comes.
        serial_.run([this] {
            const app::TrackingOptions options =
                app::ReadTrackingOptions({toolkit::ReadSetting, toolkit::ReadSettingOrDefault});
            app::ClinicWindowTracker tracker(*desktop_, trackingState_, *lookup_, *captions_);
            applyTrackingResult(tracker.Timer3Timer(options));
        });
    }
    publishState();
    timer3_.start();
}

void TQ7FloaterFrmOrvana::applyTrackingResult(const app::TrackingResult& result)
{
    const auto color = [](const app::Rgb& c) { return QColor(c.red, c.green, c.blue); };
    if (!result.message.empty())
        setMessageText(QString::fromStdString(result.message));
    if (const auto& reset = result.reset) {
        setPatientBar(app::LockState::Normal);
        patientCaption_->setText(QString::fromStdString(reset->patientBarLabel));
        setModalityRowVisible(reset->modalityRowVisible);
        setCountLabel(QString::fromStdString(reset->countLabel));
        setCountColor(color(reset->countColour));
        setTrayHint(messageText());
        if (reset->messageLayerToFront)
            bringToFront(Layer::Message);
        setPatientLabel(QString::fromStdString(reset->patientLabel));
        setTrayIcon(reset->trayIcon);
    }
    AdjustFloaterHeight();
    setOcrLamp(result.lamp.visible, color(result.lamp.fill), color(result.lamp.outline));
}

void TQ7FloaterFrmOrvana::DefaultHandler(const platform::Message& message)
{
    if (!desktop_ || message.id != messages_.setActivePersonnr || message.id == 0)
        return;
    // The lookup writes the state; a flood of messages must not cost a file
    // write each.
    const std::string number = receivedPersonnr(*desktop_, message);
    if (!number.empty())
        serial_.handOver(number);
}

void TQ7FloaterFrmOrvana::closeEvent(QCloseEvent* event)
{
    FormClose();
    tray_->hide();
    event->accept();
}

void TQ7FloaterFrmOrvana::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    timer2_.stop();
    timer3_.stop();
    if (databases_)
        databases_->shutdown();
    // The position Qt last had; no window-system request, so this also works
    // once the connection to the display is gone.
    toolkit::WriteSetting(kSection, "Formleft", std::to_string(x()));
    toolkit::WriteSetting(kSection, "Formtop", std::to_string(y()));
}

void TQ7FloaterFrmOrvana::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1)
        openManual();
    else
        QWidget::keyPressEvent(event);
}

void TQ7FloaterFrmOrvana::openManual()
{
    const QString prefix = QString::fromStdString(orvanaDirPrefix_);
    const QString path = QDir(prefix.isEmpty() ? QDir::currentPath() : prefix).filePath(kManual);
    if (QFile::exists(path) && desktop_) {
        desktop_->shellOpen(path.toStdString(), prefix.toStdString());
        return;
    }
    toolkit::ShowInfo(toolkit::Translate(
        QStringLiteral("Hittade inte hjälpfilen!\r\rSe till att filen '") + kManual +
        QStringLiteral("' finns i katalogen ") + prefix));
}

void TQ7FloaterFrmOrvana::contextMenuEvent(QContextMenuEvent* event)
{
    optionsMenu_->popup(event->globalPos());
}

bool TQ7FloaterFrmOrvana::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == orvanaButton_ && event->type() == QEvent::MouseButtonPress) {
        BitBtn1MouseDown(static_cast<QMouseEvent*>(event));
    } else if (event->type() == QEvent::MouseButtonPress) {
        // Screen coordinates: a press passes from a label to the areas
        // around it, each with coordinates of its own.
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) {
            mbDown_ = e->globalPosition();
            posAtDown_ = pos();
        }
    } else if (event->type() == QEvent::MouseMove) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->buttons() & Qt::LeftButton) {
            move(posAtDown_ + (e->globalPosition() - mbDown_).toPoint());
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick &&
               (watched == countLabel_ || watched == compactLine_ || watched == countBox_)) {
        emit goToOrvanaRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TQ7FloaterFrmOrvana::BitBtn1MouseDown(QMouseEvent* event)
{
    if (!app::IsSystemRegisterGesture(event->button(), event->buttons(), event->modifiers()))
        return;
    // A wrong password does nothing and says nothing.
    if (app::AskSystemRegisterPassword() && systemRegister_)
        systemRegister_();
}

void TQ7FloaterFrmOrvana::minimizeApplication()
{
    // Minimising to the tray needs a tray to come back from.
    if (optionActions_.at(Option::StartMinimized)->isChecked() && QSystemTrayIcon::isSystemTrayAvailable())
        hide();
    else
        showMinimized();
}

void TQ7FloaterFrmOrvana::restoreApplication()
{
    showNormal();
    raise();
    activateWindow();
}

QString TQ7FloaterFrmOrvana::patientLabel() const { return patientLabel_->text(); }
QString TQ7FloaterFrmOrvana::patientBarCaption() const { return patientCaption_->text(); }
QString TQ7FloaterFrmOrvana::countLabel() const { return countLabel_->text(); }
QString TQ7FloaterFrmOrvana::messageText() const { return messageLabel_->text(); }
bool TQ7FloaterFrmOrvana::compactLineVisible() const { return compactLine_->isVisibleTo(countBox_); }
bool TQ7FloaterFrmOrvana::modalityRowVisible() const { return modalityRow_->isVisibleTo(categoryLayer_); }

void TQ7FloaterFrmOrvana::setPatientLabel(const QString& text)
{
    patientLabel_->setText(text);
    compactLine_->setText(text);
}

void TQ7FloaterFrmOrvana::setCountLabel(const QString& text) { countLabel_->setText(text); }

bool TQ7FloaterFrmOrvana::optionChecked(Option option) const
{
    return optionActions_.at(option)->isChecked();
}

void TQ7FloaterFrmOrvana::setPatientBar(app::LockState state)
{
    switch (state) {
    case app::LockState::Normal:
        patientBar_->setPalette(palette());
        patientCaption_->setPalette(palette());
        patientCaption_->setText("Aktuell patient:");
        break;
    case app::LockState::Locked:
        setBackground(patientBar_, QColor(255, 0, 0));
        setTextColor(patientCaption_, Qt::white);
        patientCaption_->setText(QStringLiteral("Låst patient:"));
        break;
    case app::LockState::Unlocked:
        setBackground(patientBar_, QColor(0, 128, 0));
        setTextColor(patientCaption_, Qt::white);
        patientCaption_->setText(QStringLiteral("Upplåst patient:"));
        break;
    }
    patientCaption_->adjustSize();
}

void TQ7FloaterFrmOrvana::setCountColor(const QColor& color)
{
    setBackground(countBox_, color);
}

void TQ7FloaterFrmOrvana::clearModalityTiles()
{
    qDeleteAll(modalityRow_->findChildren<CountTile*>(Qt::FindDirectChildrenOnly));
}

CountTile* TQ7FloaterFrmOrvana::modalityTile(const QString& modality) const
{
    for (CountTile* tile : modalityRow_->findChildren<CountTile*>(Qt::FindDirectChildrenOnly))
        if (tile->toolTip() == modality)
            return tile;
    return nullptr;
}

CountTile* TQ7FloaterFrmOrvana::addModalityTile(const QString& modality)
{
    const auto count = modalityRow_->findChildren<CountTile*>(Qt::FindDirectChildrenOnly).size();
    auto* tile = new CountTile(modality, modalityRow_);
    tile->setToolTip(modality);
    tile->setCaption("0");
    tile->move(static_cast<int>(count) * 40, 0);
    tile->show();
    return tile;
}
void TQ7FloaterFrmOrvana::setMessageText(const QString& text) { messageLabel_->setText(text); }

void TQ7FloaterFrmOrvana::bringToFront(Layer layer)
{
    front_ = layer;
    QWidget* w = layer == Layer::Message ? static_cast<QWidget*>(messageLayer_)
                 : layer == Layer::Category ? categoryLayer_
                                            : batchLayer_;
    w->raise();
}

void TQ7FloaterFrmOrvana::setModalityRowVisible(bool visible)
{
    modalityRow_->setVisible(visible);
    AdjustFloaterHeight();
}

void TQ7FloaterFrmOrvana::setTrayIcon(int index)
{
    trayIconIndex_ = index;
    tray_->setIcon(trayIcon(index));
}

void TQ7FloaterFrmOrvana::setTrayHint(const QString& hint)
{
    trayHint_ = hint;
    tray_->setToolTip(hint);
}

void TQ7FloaterFrmOrvana::setOcrLamp(bool visible, const QColor& fill, const QColor& outline)
{
    auto* lamp = static_cast<OcrLamp*>(ocrLamp_);
    lamp->fill = fill;
    lamp->outline = outline;
    lamp->setVisible(visible);
    lamp->update();
}

QJsonObject TQ7FloaterFrmOrvana::stateSnapshot() const
{
    static const char* layers[] = {"message", "category", "batch"};
    // A tile with the pictures its menu opens.
    const auto tileState = [](const CountTile* t) {
        QJsonArray menu;
        for (const QAction* item : t->menu()->actions())
            menu.append(item->text() + " " + item->toolTip());
        return QJsonObject{{"title", t->title()}, {"caption", t->caption()},
                           {"color", colorName(t->color())}, {"menu", menu}};
    };
    QJsonArray tiles;
    for (const CountTile* t : tiles_)
        tiles.append(tileState(t));
    QJsonArray modalities;
    for (const CountTile* t : modalityRow_->findChildren<CountTile*>())
        modalities.append(tileState(t));
    const auto* lamp = static_cast<const OcrLamp*>(ocrLamp_);
    QJsonObject options;
    for (const OptionInfo& info : optionTable())
        options[info.key] = optionActions_.at(info.option)->isChecked();
    return QJsonObject{
        {"patientBarCaption", patientCaption_->text()},
        {"patientBarColor", colorName(patientBar_->palette().color(QPalette::Window))},
        {"patientLabel", patientLabel_->text()},
        {"countLabel", countLabel_->text()},
        {"countColor", colorName(countBox_->palette().color(QPalette::Window))},
        {"compactLine", compactLine_->text()},
        {"compactLineVisible", compactLineVisible()},
        {"messageText", messageLabel_->text()},
        {"frontLayer", layers[static_cast<int>(front_)]},
        {"tiles", tiles},
        {"modalityRowVisible", modalityRowVisible()},
        {"modalityTiles", modalities},
        {"ocrLamp", QJsonObject{{"visible", lamp->isVisibleTo(this)}, {"color", colorName(lamp->fill)}}},
        {"trayIcon", trayIconIndex_},
        {"trayHint", trayHint_},
        {"windowHeight", height()},
        {"geometry", QJsonObject{{"x", x()}, {"y", y()}, {"width", width()}, {"height", height()}}},
        {"options", options},
        {"currentPersonnr", QString::fromStdString(trackingState_.currentPersonalNumber)},
        {"fromOcr", trackingState_.OCRFoundPersonnr},
        {"lastLookedUp", lastLookedUp_},
    };
}

void TQ7FloaterFrmOrvana::publishState()
{
    if (stateFile_.isEmpty())
        return;
    // Each write goes to disk with a sync: write only what changed. It names
    // the patient: readable by the user only.
    const QByteArray json = QJsonDocument(stateSnapshot()).toJson();
    if (json == publishedState_)
        return;
    QSaveFile file(stateFile_);
    if (file.open(QIODevice::WriteOnly) &&
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
        file.write(json) == json.size() && file.commit()) {
        publishedState_ = json;
        stateFileFailure_.clear();
        return;
    }
    if (file.errorString() != stateFileFailure_) {
        stateFileFailure_ = file.errorString();
        qWarning().noquote() << QStringLiteral("Kunde inte skriva tillståndsfilen %1: %2").arg(stateFile_, stateFileFailure_);
    }
}

} // namespace floater
