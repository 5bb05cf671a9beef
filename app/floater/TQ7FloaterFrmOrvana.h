#pragma once
// The floater: a small borderless window beside Q7 with the patient bar, the
// count box and the category tiles, its options and tray menus.

#include "CountTile.h"
#include "FloaterMessages.h"
#include "FloaterOptions.h"
#include "app/core/SerialLookups.h"
#include "app/core/Tracking.h"
#include "app/database/DatabaseStartup.h"
#include "app/database/JournalQueries.h"

#include <QJsonObject>
#include <QPointF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <map>

class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;

namespace floater {

class FloaterLookup;
class PictureEditorOpener;

enum class Layer { Message, Category, Batch };

class TQ7FloaterFrmOrvana : public QWidget {
    Q_OBJECT
public:
    // desktop: the session's desktop layer; args: the command line without the
    // program name; databases: started during creation, closed at close (none:
    // the floater runs without them). login asks for Q7's login (the built-in
    // dialog when none). Nothing given is owned.
    TQ7FloaterFrmOrvana(platform::Desktop* desktop, QStringList args,
                        app::FloaterDatabases* databases = nullptr,
                        app::Q7LoginPrompt* login = nullptr, QWidget* parent = nullptr);
    ~TQ7FloaterFrmOrvana() override;

    // The native window other programs see (and send messages to); 0 before
    // there is one.
    platform::WindowId nativeWindow() const;
    // Handles a registered message sent to this window.
    void DefaultHandler(const platform::Message& message);
    // The close steps: timers stopped, connections rolled back and closed,
    // the position written. Runs once, whichever way the program ends (the
    // window closed, the application quit, a signal, the display gone).
    void FormClose();
    void AdjustFloaterHeight();
    // F1: opens the manual, or says where it should be.
    void openManual();
    void placeWindow();

    // The lookup that numbers from the tracking pass, the command line and a
    // second instance go to (not owned; null restores the built-in one).
    void setLookup(app::PatientLookup* lookup);
    FloaterLookup& floaterLookup() { return *ownLookup_; }
    // Opens the category menus' pictures in the editor; none without a journal.
    PictureEditorOpener* pictureOpener() const { return pictureOpener_.get(); }
    // Set when the database start-up failed: the window closes when first shown.
    bool closeNow() const { return closeNow_; }
    // Reads numbers Q7 only draws (not owned; null: none are read).
    void setCaptionReader(app::CaptionReader* reader);
    app::TrackingState& trackingState() { return trackingState_; }
    // What a lookup stores: the number it looked up last.
    void setLastLookedUp(const QString& number) { lastLookedUp_ = number; }
    const QString& lastLookedUp() const { return lastLookedUp_; }
    bool showCount() const { return showCount_; }
    // One tracking pass, as the tracking timer runs it.
    void Timer3Timer();

    // The character test for personal numbers on the command line.
    void setNumberTextTest(std::function<bool(const std::string&)> test) { isNumberText_ = std::move(test); }
    // Where orvana.exe and the manual are looked for; empty: the working directory.
    const std::string& orvanaDirPrefix() const { return orvanaDirPrefix_; }

    // Writes what the floater shows as JSON after every change of it.
    void setStateFile(const QString& path) { stateFile_ = path; }
    QJsonObject stateSnapshot() const;
    void publishState();

    // What tests and the tracking code read and set.
    const RegisteredMessages& messages() const { return messages_; }
    QString patientLabel() const;
    void setPatientLabel(const QString& text);
    QString patientBarCaption() const;
    QString countLabel() const;
    void setCountLabel(const QString& text);
    QString messageText() const;
    void setMessageText(const QString& text);
    Layer frontLayer() const { return front_; }
    void bringToFront(Layer layer);
    CountTile* tile(int index) const { return tiles_.at(static_cast<std::size_t>(index)); }
    QAction* optionAction(Option option) const { return optionActions_.at(option); }
    bool optionChecked(Option option) const;
    // The patient bar's face for a lock state: normal, red "Låst patient:",
    // green "Upplåst patient:".
    void setPatientBar(app::LockState state);
    // The colour behind the count label and the compact patient line.
    void setCountColor(const QColor& color);
    // Removes every modality tile.
    void clearModalityTiles();
    // The modality tile whose hint is the modality, or none.
    CountTile* modalityTile(const QString& modality) const;
    // A new tile at the end of the modality row, like the "Dicom" tile.
    CountTile* addModalityTile(const QString& modality);
    bool compactLineVisible() const;
    bool modalityRowVisible() const;
    void setModalityRowVisible(bool visible);
    int trayIconIndex() const { return trayIconIndex_; }
    void setTrayIcon(int index);
    QString trayHint() const { return trayHint_; }
    void setTrayHint(const QString& hint);
    void setOcrLamp(bool visible, const QColor& fill, const QColor& outline);
    QMenu* trayMenu() const { return trayMenu_; }
    QMenu* optionsMenu() const { return optionsMenu_; }
    QPushButton* orvanaButton() const { return orvanaButton_; }

    // The batch layer and what the UPDATE_ALL run hides or shows.
    QLabel* batchActiveLabel() const { return batchActive_; }
    QProgressBar* batchProgress() const { return batchProgress_; }
    QListWidget* batchLog() const { return batchLog_; }
    QLabel* busyOverlay() const { return busyOverlay_; }
    QFrame* countBox() const { return countBox_; }
    // Set by whoever owns the databases: the UPDATE_ALL run of the start-up
    // timer, and the system register behind the password.
    void setUpdateAll(std::function<void()> run) { updateAll_ = std::move(run); }
    void setSystemRegister(std::function<void()> open) { systemRegister_ = std::move(open); }

signals:
    void goToOrvanaRequested();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void startDatabases();
    void FormShow();
    void Timer2Timer();
    void BitBtn1MouseDown(QMouseEvent* event);
    void applyTrackingResult(const app::TrackingResult& result);
    void buildTitleBar();
    void buildPatientBar();
    void buildClientArea();
    void buildMenus();
    void applyStyleSetting();
    void applyOption(Option option, bool on);
    void applyStayOnTop(bool on);
    void applyWindowIdentity();
    void minimizeApplication();
    void restoreApplication();

    platform::Desktop* desktop_;
    QStringList args_;
    RegisteredMessages messages_;

    QPushButton* orvanaButton_ = nullptr;
    QFrame* countBox_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* compactLine_ = nullptr;
    QWidget* ocrLamp_ = nullptr;
    QLabel* busyOverlay_ = nullptr;
    QFrame* patientBar_ = nullptr;
    QLabel* patientCaption_ = nullptr;
    QLabel* patientLabel_ = nullptr;
    QWidget* clientArea_ = nullptr;
    QFrame* messageLayer_ = nullptr;
    QLabel* messageLabel_ = nullptr;
    QWidget* categoryLayer_ = nullptr;
    QWidget* modalityRow_ = nullptr;
    QWidget* batchLayer_ = nullptr;
    QLabel* batchActive_ = nullptr;
    QProgressBar* batchProgress_ = nullptr;
    QListWidget* batchLog_ = nullptr;
    std::function<void()> updateAll_;
    std::function<void()> systemRegister_;
    std::vector<CountTile*> tiles_;
    Layer front_ = Layer::Message;

    QMenu* optionsMenu_ = nullptr;
    std::map<Option, QAction*> optionActions_;
    QMenu* trayMenu_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    int trayIconIndex_ = 2;
    QString trayHint_;

    QTimer timer2_; // start-up, one shot
    QTimer timer3_; // tracking
    app::TrackingState trackingState_;
    app::FloaterDatabases* databases_;
    app::Q7LoginPrompt* login_;
    std::unique_ptr<app::Q7LoginPrompt> ownLogin_;
    std::unique_ptr<FloaterLookup> ownLookup_;
    std::unique_ptr<class FloaterSync> personSync_;
    std::unique_ptr<PictureEditorOpener> pictureOpener_;
    app::PatientLookup* lookup_ = nullptr;
    app::NoCaptionReader noCaptions_;
    app::CaptionReader* captions_ = &noCaptions_;
    QString lastLookedUp_;
    bool showCount_ = false;
    std::function<bool(const std::string&)> isNumberText_;
    std::string orvanaDirPrefix_;
    QString stateFile_;
    QByteArray publishedState_; // what the state file holds
    QString stateFileFailure_;  // the last reason it could not be written, told once
    QPointF mbDown_;  // where the mouse went down, on the screen
    QPoint posAtDown_; // where the window was then
    bool shownOnce_ = false;
    bool closeNow_ = false;
    bool closed_ = false;
    // Passes, the start-up lookup and hand-overs, one at a time.
    app::SerialLookups serial_{[this](const std::string& number) { lookup_->LookupPatient(number, false); }};
};

} // namespace floater
