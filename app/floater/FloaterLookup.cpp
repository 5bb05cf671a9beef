#include "FloaterLookup.h"

#include "CategoryMenu.h"
#include "TQ7FloaterFrmOrvana.h"
#include "toolkit/Dialogs.h"
#include "toolkit/core/PersonalNumber.h"
#include "toolkit/core/Settings.h"

#include <QCoreApplication>
#include <QAction>
#include <QMenu>
#include <QPushButton>

#include <utility>

namespace floater {

namespace {
const QColor kLime(0, 255, 0);
const QColor kSilver(192, 192, 192);
constexpr int kKlinikNr = 0; // the floater's clinic number

} // namespace

FloaterLookup::FloaterLookup(TQ7FloaterFrmOrvana& window, platform::Desktop* desktop)
    : window_(window), desktop_(desktop)
{
    recovery_.onRestored([this] { connectionRestored(); });
}

void FloaterLookup::setJournal(QSqlDatabase journal, const app::SiteSwitches& switches)
{
    journal_ = journal;
    switches_ = switches;
    recovery_.setConnection(journal);
}

void FloaterLookup::LookupPatient(const std::string& text, bool pushAllowed)
{
    // A lookup lets messages run on its way; one asked for meanwhile waits
    // for it (the newest wins) instead of running inside it, where the first
    // one's push would go out with the second patient's number.
    if (running_) {
        waiting_ = Waiting{text, pushAllowed};
        return;
    }
    running_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{running_};
    lookUpOnce(text, pushAllowed);
    while (waiting_) {
        const Waiting next = *std::exchange(waiting_, std::nullopt);
        lookUpOnce(next.text, next.pushAllowed);
    }
}

void FloaterLookup::lookUpOnce(const std::string& text, bool pushAllowed)
{
    if (window_.showCount())
        window_.orvanaButton()->setText(QString::number(++antalgangeriopenpatient_));
    locked_ = false;
    window_.clearModalityTiles();

    const std::string number = toolkit::NumberForLookup(text);
    app::TrackingState& state = window_.trackingState();
    state.currentPersonalNumber = number;
    state.PersonFound = true;
    window_.setLastLookedUp(QString::fromStdString(number));
    const QString current = QString::fromStdString(number);
    pushPending_ = pushAllowed;
    forgetShownPatient(current);

    // LIKE wildcards are never part of a number; looked up they would match
    // other patients.
    if (number.find_first_of("%_") != std::string::npos) {
        query_ = {};
        showNoPatient(toolkit::Translate("Ogiltigt personnummer"));
    } else if (runPatientQuery(current)) {
        showQueryResult(current, pushAllowed);
    }
    window_.publishState();
}

void FloaterLookup::showQueryResult(const QString& current, bool pushAllowed)
{
    if (window_.optionChecked(Option::ChangePatInOrvanaRealtime) && query_.rows.empty()) {
        syncPerson(current);
        if (!runPatientQuery(current))
            return;
    }
    if (query_.rows.empty()) {
        window_.setPatientBar(app::LockState::Normal);
        window_.setPatientLabel(current);
        window_.setMessageText(toolkit::Translate("Patienten finns ej i Orvana"));
        window_.bringToFront(Layer::Message);
        window_.setCountLabel("Antal bilder: 0");
        window_.setCountColor(kSilver);
        window_.setTrayHint(toolkit::Translate("Patienten finns ej i Orvana"));
        window_.setTrayIcon(0);
    } else if (query_.rows.size() > 1) {
        window_.setPatientBar(app::LockState::Normal);
        window_.setTrayIcon(0);
        window_.setPatientLabel(query_.parameter.mid(1, query_.parameter.size() - 2));
        window_.setMessageText(toolkit::Translate("Det finns ") + QString::number(query_.rows.size()) +
                               toolkit::Translate(" pat med sökt persnr"));
        window_.bringToFront(Layer::Message);
        window_.setTrayHint(window_.messageText());
    } else {
        showOnePatient(query_.rows.front(), pushAllowed);
    }
}

void FloaterLookup::forgetShownPatient(const QString& number)
{
    window_.setPatientBar(app::LockState::Normal);
    window_.setPatientLabel(number);
    window_.setMessageText(QString());
    forgetCounts();
    window_.setTrayHint(number);
}

void FloaterLookup::forgetCounts()
{
    window_.bringToFront(Layer::Message); // the category layer to the back
    window_.setCountLabel("Antal bilder: 0");
    window_.setCountColor(kSilver);
    for (int i = 0; i < 6; ++i) {
        CountTile* tile = window_.tile(i);
        tile->setCaption("0");
        ColorCountTile(tile);
        tile->menu()->clear();
    }
    window_.clearModalityTiles();
    window_.setModalityRowVisible(false);
}

void FloaterLookup::showNoPatient(const QString& message)
{
    window_.setPatientBar(app::LockState::Normal);
    window_.setPatientLabel("(ingen hittad)");
    window_.setMessageText(message);
    window_.bringToFront(Layer::Message);
    window_.setTrayHint(message);
    window_.setTrayIcon(2);
}

bool FloaterLookup::queryFailed(const QString& lead, const QString& error)
{
    const bool lost = !app::ConnectionAnswers(journal_);
    // One box per outage: the lookups while it lasts fail quietly.
    if (!recovery_.active())
        toolkit::ShowInfo(lead + "\r\r" + error);
    if (!lost)
        return false;
    query_ = {};
    showNoPatient(toolkit::Translate("Ingen förbindelse med journaldatabasen"));
    recovery_.start();
    return true;
}

void FloaterLookup::connectionRestored()
{
    // The patient Q7 shows now, which may not be the one that failed.
    const std::string current = window_.trackingState().currentPersonalNumber;
    if (!current.empty())
        LookupPatient(current, pushPending_);
}

bool FloaterLookup::runPatientQuery(const QString& number)
{
    query_.parameter = QString::fromStdString(toolkit::LookupPattern(number.toStdString()));
    QString error;
    auto rows = app::QueryPatients(journal_, query_.parameter, &error);
    if (!rows) {
        query_.open = false;
        query_.rows.clear();
        queryFailed(toolkit::Translate("Det gick inte att öppna tabellen KUNDER!"), error);
        return false;
    }
    recovery_.stop();
    query_.open = true;
    query_.rows = std::move(*rows);
    return true;
}

void FloaterLookup::showOnePatient(const app::PatientRow& row, bool pushAllowed)
{
    window_.setTrayIcon(1);
    window_.setPatientLabel(row.firstName + " " + row.lastName);
    window_.setTrayHint(window_.patientLabel());
    QString error;
    const auto lock = app::QueryLockState(journal_, row.patientnr, kKlinikNr, QDateTime::currentDateTime(), &error);
    if (!lock) {
        queryFailed(toolkit::Translate("Det gick inte att öppna tabellen KUNDER!"), error);
        return;
    }
    locked_ = *lock == app::LockState::Locked;
    window_.setPatientBar(*lock);

    if (!showCounts(row))
        return; // the connection is gone
    QCoreApplication::processEvents();

    if (window_.optionChecked(Option::ChangePatInOrvanaRealtime) && pushAllowed && row.patientnr != lastPushed_) {
        // A failed sync (-1) names no patient: nothing is pushed, the next lookup tries again.
        const int result = syncPerson(QString::fromStdString(window_.trackingState().currentPersonalNumber));
        if (result >= 0) {
            sendToOrvana(window_.messages().setActivePatient, result, false);
            lastPushed_ = row.patientnr;
        }
    }
    window_.setTrayHint(window_.patientLabel() + "\r" + window_.countLabel());
}

bool FloaterLookup::showCounts(const app::PatientRow& row)
{
    QString error;
    // Counts half read are no counts: the tiles go back to empty.
    const auto failed = [&] {
        forgetCounts();
        return !queryFailed(toolkit::Translate("Det gick inte att kontrollera antal Bilder!"), error);
    };
    int stored = 0;
    if (!switches_.useOnlyDicom) {
        const auto count = app::QueryImageCount(journal_, row.patientnr, &error);
        if (!count)
            return failed();
        stored = *count;
    }
    const int dicom = switches_.dicomEnabled && dicom_ ? dicom_->GetDicomDataSetCount(row.personnr) : 0;
    window_.setCountLabel("Antal bilder: " + QString::number(stored + dicom));
    if (stored + dicom < 1) {
        window_.setModalityRowVisible(false);
        window_.setMessageText(toolkit::Translate("Inga bilder sparade i Orvana"));
        window_.bringToFront(Layer::Message);
        window_.setCountColor(kSilver);
        return true;
    }
    window_.setCountColor(kLime);
    if (!window_.optionChecked(Option::ShowPatInfo))
        return true;
    window_.bringToFront(Layer::Category);
    if (!switches_.useOnlyDicom) {
        for (int bildflik = 0; bildflik < 5; ++bildflik) {
            const auto rows = app::QueryCategoryImages(journal_, row.patientnr, bildflik, &error);
            if (!rows)
                return failed();
            CountTile* tile = window_.tile(bildflik);
            tile->setCaption(QString::number(rows->size()));
            if (locked_)
                tile->menu()->clear();
            else
                FillCategoryMenu(tile->menu(), *rows, switches_.AllowFloaterReadPics, openPicture_);
        }
        window_.tile(5)->setCaption(QString::number(dicom));
    }
    if (window_.optionChecked(Option::ShowDICOMInfo) && dicom > 0)
        showModalities(row);
    else
        window_.setModalityRowVisible(false);
    if (!switches_.useOnlyDicom)
        for (int i = 0; i < 6; ++i)
            ColorCountTile(window_.tile(i));
    return true;
}

void FloaterLookup::showModalities(const app::PatientRow& row)
{
    window_.setModalityRowVisible(true);
    dicomList_.Close();
    dicomList_.SetSQL({"SELECT Modality, StudyDate, SOPInstanceUID, DICOMSERVER FROM DICOM", "WHERE Modality = '"});
    if (window_.showCount())
        window_.orvanaButton()->setText(window_.orvanaButton()->text() + ", " + QString::number(++antalFillDataset_));
    dicomList_.Open();
    dicom_->FillDataset(row.personnr, {}, dicomList_);
    const bool listPictures = switches_.AllowFloaterReadPics && !locked_;
    for (int i = 0; i < dicomList_.RecordCount(); ++i) {
        const QString modality = dicomList_.Value(i, "Modality");
        CountTile* tile = window_.modalityTile(modality);
        if (!tile) {
            tile = window_.addModalityTile(modality);
            QObject::connect(tile, &CountTile::doubleClicked, tile,
                             [this, modality] { ModalityTileDoubleClick(modality); });
        }
        if (listPictures) {
            // Opening a DICOM object comes with the image sources.
            QAction* item = tile->menu()->addAction(dicomList_.Value(i, "StudyDate"));
            item->setToolTip(dicomList_.Value(i, "SOPInstanceUID"));
        }
        tile->setCaption(QString::number(tile->caption().toInt() + 1));
        ColorCountTile(tile);
    }
}

void FloaterLookup::ModalityTileDoubleClick(const QString& modality)
{
    sendToOrvana(window_.messages().setActiveBildflik, -1, true, 0, ("Modality - " + modality).toStdString());
}

int FloaterLookup::syncPerson(const QString& personnr)
{
    return sync_ ? sync_->AddOrEditPersonFromQ7ToHalden32(personnr, false) : -1;
}

OrvanaSendResult FloaterLookup::sendToOrvana(platform::MessageId msg, std::int64_t wParam, bool startAllowed,
                                             std::int64_t lParam, const std::string& text)
{
    if (!desktop_)
        return OrvanaSendResult::NotRunning;
    const OrvanaStart start{window_.orvanaDirPrefix(), window_.lastLookedUp().toStdString(),
                            toolkit::ReadSettingOrDefault("Q7FloaterOrvana", "OrvanaStartParameters", "")};
    return SendToOrvana(*desktop_, msg, wParam, startAllowed, text, lParam, start);
}

void FloaterLookup::BitBtn1Click()
{
    const platform::MessageId setActivePatient = window_.messages().setActivePatient;
    if (!query_.open) {
        sendToOrvana(setActivePatient, 0, true);
        return;
    }
    const QString last = window_.lastLookedUp();
    // Orvana is sent a patient only when the sync could say which one it is.
    const auto sendSynced = [&](const QString& personnr) {
        const int patientnr = syncPerson(personnr);
        if (patientnr < 0) {
            toolkit::ShowInfo(toolkit::Translate("Det gick inte att öppna aktuell patient!") + "\r\r" +
                              toolkit::Translate("Personuppgifterna kunde inte hämtas från Q7."));
            return;
        }
        sendToOrvana(setActivePatient, patientnr, true);
    };
    if (query_.rows.empty()) {
        if (!window_.optionChecked(Option::AskIfNotPatFound) ||
            toolkit::AskYesNo(toolkit::Translate("Patienten finns ej i Orvana!\r\rVill du lägga till den?")) ==
                toolkit::mrYes)
            sendSynced(last);
    } else if (query_.rows.size() == 1) {
        sendSynced(query_.rows.front().personnr);
    }
    LookupPatient(last.toStdString(), true);
}

void FloaterLookup::CategoryTileDoubleClick(int bildflik)
{
    if (!query_.open)
        return;
    const int patientnr = query_.rows.empty() ? 0 : query_.rows.front().patientnr;
    sendToOrvana(window_.messages().setActiveBildflik, bildflik, true, patientnr);
}

} // namespace floater
