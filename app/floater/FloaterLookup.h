#pragma once
// The floater's patient lookup and its commands to Orvana: finds the patient
// in the journal, shows name, lock state and image counts, fills the tiles'
// menus, pushes a new patient to Orvana when asked to, and keeps the patient
// query that "Gå till Orvana" and the tiles work from.

#include "DicomImageManager.h"
#include "FloaterMessages.h"
#include "OrvanaCommands.h"
#include "PersonSync.h"
#include "app/core/Tracking.h"
#include "app/database/ConnectionRecovery.h"
#include "app/database/DatabaseStartup.h"
#include "app/database/JournalQueries.h"

#include <QSqlDatabase>

#include <functional>
#include <optional>
#include <string>

namespace floater {

class TQ7FloaterFrmOrvana;

class FloaterLookup : public app::PatientLookup {
public:
    FloaterLookup(TQ7FloaterFrmOrvana& window, platform::Desktop* desktop);

    // The journal the queries run on and the site's switches.
    void setJournal(QSqlDatabase journal, const app::SiteSwitches& switches);
    void setPersonSync(PersonSync* sync) { sync_ = sync; }
    // The DICOM image manager; none while the site has no DICOM.
    void setDicomManager(DicomImageManager* manager) { dicom_ = manager; }
    // Opens a picture from a tile menu (the image editor's factory).
    void setPictureOpener(std::function<void(const QString& path, int bildflik)> open)
    {
        openPicture_ = std::move(open);
    }

    void LookupPatient(const std::string& text, bool pushAllowed) override;

    // While the journal connection is being brought back; the pauses between
    // tries (tests shorten them).
    bool reconnecting() const { return recovery_.active(); }
    void setReconnectBackoff(app::Backoff backoff) { recovery_.setBackoff(backoff); }

    // "Gå till Orvana", the tray item and a double-click on the count box.
    void BitBtn1Click();
    // A double-click on a category tile (BILDFLIK 0-4).
    void CategoryTileDoubleClick(int bildflik);
    // A double-click on a modality tile: Orvana shows that modality.
    void ModalityTileDoubleClick(const QString& modality);

    struct PatientQuery {
        bool open = false;
        QString parameter; // "%" + number + "%"
        std::vector<app::PatientRow> rows;
    };
    const PatientQuery& patientQuery() const { return query_; }
    int lastPushedPatient() const { return lastPushed_; }
    bool locked() const { return locked_; }

private:
    struct Waiting {
        std::string text;
        bool pushAllowed;
    };
    void lookUpOnce(const std::string& text, bool pushAllowed);
    bool runPatientQuery(const QString& number);
    // Takes away everything shown about the patient before this one.
    void forgetShownPatient(const QString& number);
    void forgetCounts();
    // The display as when no patient is found, with the message.
    void showNoPatient(const QString& message);
    // A failed query: said once per outage; a lost connection blanks the
    // display and is brought back in the background.
    bool queryFailed(const QString& lead, const QString& error);
    void connectionRestored();
    void showQueryResult(const QString& current, bool pushAllowed);
    void showOnePatient(const app::PatientRow& row, bool pushAllowed);
    // False when the connection was lost on the way.
    bool showCounts(const app::PatientRow& row);
    void showModalities(const app::PatientRow& row);
    int syncPerson(const QString& personnr);
    OrvanaSendResult sendToOrvana(platform::MessageId msg, std::int64_t wParam, bool startAllowed,
                                  std::int64_t lParam = 0, const std::string& text = {});

    TQ7FloaterFrmOrvana& window_;
    platform::Desktop* desktop_;
    QSqlDatabase journal_;
    app::SiteSwitches switches_;
    PersonSync* sync_ = nullptr;
    DicomImageManager* dicom_ = nullptr;
    images::TKxVirtualTable dicomList_;
    int antalFillDataset_ = 0;
    std::function<void(const QString&, int)> openPicture_;
    PatientQuery query_;
    int lastPushed_ = 0;
    bool locked_ = false;
    bool running_ = false;
    std::optional<Waiting> waiting_; // the newest lookup asked for while one runs
    int antalgangeriopenpatient_ = 0;
    app::ConnectionRecovery recovery_;
    bool pushPending_ = false; // the push allowance of the lookup that was cut off
};

} // namespace floater
