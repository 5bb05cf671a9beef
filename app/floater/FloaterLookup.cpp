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

namespace floater {

namespace {
const QColor kLime(0, 255, 0);
const QColor kSilver(192, 192, 192);
constexpr int kKlinikNr = 0; // the floater's clinic number

} // namespace

FloaterLookup::FloaterLookup(TQ7FloaterFrmOrvana& window, platform::Desktop* desktop)
    : window_(window), desktop_(desktop)
{
}

void FloaterLookup::setJournal(QSqlDatabase journal, const app::SiteSwitches& switches)
{
    journal_ = journal;
    switches_ = switches;
}

void FloaterLookup::LookupPatient(const std::string& text, bool pushAllowed)
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

    if (!runPatientQuery(current))
        return;
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
    } else {
        showOnePatient(query_.rows.front(), pushAllowed);
    }
    window_.publishState();
}

bool FloaterLookup::runPatientQuery(const QString& number)
{
    query_.parameter = QString::fromStdString(toolkit::LookupPattern(number.toStdString()));
    QString error;
    auto rows = app::QueryPatients(journal_, query_.parameter, &error);
    if (!rows) {
        // The display keeps what it showed; the query counts as not open.
        query_.open = false;
        query_.rows.clear();
        toolkit::ShowInfo(toolkit::Translate("Det gick inte att öppna tabellen KUNDER!") + "\r\r" + error);
        return false;
    }
    query_.open = true;
    query_.rows = std::move(*rows);
    return true;
}

void FloaterLookup::showOnePatient(const app::PatientRow& row, bool pushAllowed)
{
    window_.setTrayIcon(1);
    window_.setPatientLabel(row.firstName + " " + row.lastName);
    QString error;
    const auto lock = app::QueryLockState(journal_, row.patientnr, kKlinikNr, QDateTime::currentDateTime(), &error);
    if (!lock) {
        toolkit::ShowInfo(toolkit::Translate("Det gick inte att öppna tabellen KUNDER!") + "\r\r" + error);
        return;
    }
    locked_ = *lock == app::LockState::Locked;
    window_.setPatientBar(*lock);

    showCounts(row);
    QCoreApplication::processEvents();

    if (window_.optionChecked(Option::ChangePatInOrvanaRealtime) && pushAllowed && row.patientnr != lastPushed_) {
        const int result = syncPerson(QString::fromStdString(window_.trackingState().currentPersonalNumber));
        sendToOrvana(window_.messages().setActivePatient, result, false);
        lastPushed_ = row.patientnr;
    }
    window_.setTrayHint(window_.patientLabel() + "\r" + window_.countLabel());
}

void FloaterLookup::showCounts(const app::PatientRow& row)
{
    const auto failed = [](const QString& error) {
        toolkit::ShowInfo(toolkit::Translate("Det gick inte att kontrollera antal Bilder!") + "\r\r" + error);
    };
    QString error;
    int stored = 0;
    if (!switches_.useOnlyDicom) {
        const auto count = app::QueryImageCount(journal_, row.patientnr, &error);
        if (!count)
            return failed(error);
        stored = *count;
    }
    const int dicom = switches_.dicomEnabled && dicom_ ? dicom_->GetDicomDataSetCount(row.personnr) : 0;
    window_.setCountLabel("Antal bilder: " + QString::number(stored + dicom));
    if (stored + dicom < 1) {
        window_.setModalityRowVisible(false);
        window_.setMessageText(toolkit::Translate("Inga bilder sparade i Orvana"));
        window_.bringToFront(Layer::Message);
        window_.setCountColor(kSilver);
        return;
    }
    window_.setCountColor(kLime);
    if (!window_.optionChecked(Option::ShowPatInfo))
        return;
    window_.bringToFront(Layer::Category);
    if (!switches_.useOnlyDicom) {
        for (int bildflik = 0; bildflik < 5; ++bildflik) {
            const auto rows = app::QueryCategoryImages(journal_, row.patientnr, bildflik, &error);
            if (!rows)
                return failed(error);
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
    if (query_.rows.empty()) {
        if (!window_.optionChecked(Option::AskIfNotPatFound) ||
            toolkit::AskYesNo(toolkit::Translate("Patienten finns ej i Orvana!\r\rVill du lägga till den?")) ==
                toolkit::mrYes)
            sendToOrvana(setActivePatient, syncPerson(last), true);
    } else if (query_.rows.size() == 1) {
        sendToOrvana(setActivePatient, syncPerson(query_.rows.front().personnr), true);
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
