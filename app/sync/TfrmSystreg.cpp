#include "TfrmSystreg.h"

#include "PersonSync.h"
#include "app/database/CounterTable.h"
#include "toolkit/Dialogs.h"
#include "toolkit/InputForm.h"
#include "toolkit/db/SqlConnections.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QVBoxLayout>

namespace app {

namespace {

const QString kEmpty = QStringLiteral("(Tom)");
// The blanks keep the field name out of sight at the list's width.
const QString kGap = QString(60, u' ');

QString fieldEntry(const char* text, const char* field)
{
    return toolkit::Translate(QString::fromUtf8(text)) + kGap + u'|' + QString::fromLatin1(field);
}

int defaultContactType(const QString& field)
{
    for (int type : {1, 3, 6})
        if (DefaultContactColumn(type) == field)
            return type;
    return -1;
}

QCheckBox* boldBox(const QString& text, QWidget* parent)
{
    auto* box = new QCheckBox(toolkit::Translate(text), parent);
    QFont f = box->font();
    f.setBold(true);
    box->setFont(f);
    return box;
}

} // namespace

bool IsSystemRegisterGesture(Qt::MouseButton button, Qt::MouseButtons buttons,
                             Qt::KeyboardModifiers modifiers)
{
    return button == Qt::LeftButton && buttons == Qt::LeftButton &&
           (modifiers & ~Qt::KeypadModifier) == (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
}

QString SystemRegisterPassword(const QTime& now)
{
    return QString::number(now.hour()) + QString::number(now.minute());
}

bool AskSystemRegisterPassword()
{
    QString text;
    toolkit::InputBox(toolkit::Translate(QStringLiteral("Ange lösenord")),
                      toolkit::Translate(QStringLiteral("Ange lösenord för Systemregister:")), text, u'*', 10);
    return text == SystemRegisterPassword(QTime::currentTime());
}

TfrmSystreg::TfrmSystreg(CounterTable& counters, const QSqlDatabase& q7, bool& useContactTypes,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), counters_(counters), q7_(q7),
      useContactTypes_(useContactTypes)
{
    setWindowTitle(toolkit::Translate(QStringLiteral("Systemregister")));
    setFont(QFont(QStringLiteral("Tahoma")));
    setFixedSize(441, 341);

    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget;
    tabs->addTab(page, toolkit::Translate(QStringLiteral("Diverse")));
    patientChange_ = boldBox(QStringLiteral("Floatrar byter inte patient automatiskt"), page);
    readPics_ = boldBox(QStringLiteral("Tillåt Orvanafloatrar läsa bilder anonymt"), page);
    readPics_->setToolTip(toolkit::Translate(QStringLiteral(
        "Kryssa för om Orvanafloatrar (kopplingsprogram till andra journaler) skall få läsa bilder anonymt")));
    contacts_ = boldBox(QStringLiteral("Inkludera Q7 \"Telefonnummer\" ruta i uppdatering av persondata"), page);

    group_ = new QGroupBox(toolkit::Translate(QStringLiteral("Q7 \"Telefonnummer\" --> Tervalen Persondata")), page);
    q7List_ = new QListWidget(group_);
    fieldList_ = new QListWidget(group_);
    up_ = new QPushButton(QStringLiteral("▲"), group_);
    down_ = new QPushButton(QStringLiteral("▼"), group_);
    auto* grid = new QGridLayout(group_);
    grid->addWidget(new QLabel(toolkit::Translate(QStringLiteral("Q7 ContactType-fält:")), group_), 0, 0);
    grid->addWidget(new QLabel(toolkit::Translate(QStringLiteral("Tervalen persondatafält:")), group_), 0, 2);
    grid->addWidget(q7List_, 1, 0, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("-->"), group_), 1, 1, 2, 1);
    grid->addWidget(fieldList_, 1, 2, 2, 1);
    grid->addWidget(up_, 1, 3);
    grid->addWidget(down_, 2, 3);

    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(patientChange_);
    pageLayout->addWidget(readPics_);
    pageLayout->addWidget(contacts_);
    pageLayout->addWidget(group_);

    save_ = new QPushButton(toolkit::Translate(QStringLiteral("Spara")), this);
    undo_ = new QPushButton(toolkit::Translate(QStringLiteral("Ångra")), this);
    back_ = new QPushButton(toolkit::Translate(QStringLiteral("Återgå")), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(undo_);
    buttons->addWidget(back_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs);
    outer->addLayout(buttons);

    connect(contacts_, &QCheckBox::toggled, this, &TfrmSystreg::enableContacts);
    connect(up_, &QPushButton::clicked, this, &TfrmSystreg::MoveUp);
    connect(down_, &QPushButton::clicked, this, &TfrmSystreg::MoveDown);
    connect(save_, &QPushButton::clicked, this, &TfrmSystreg::Save);
    connect(undo_, &QPushButton::clicked, this, &TfrmSystreg::Load);
    connect(back_, &QPushButton::clicked, this, &QDialog::reject);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    toolkit::PrepareForm(this);
    readContactTypes();
    Load();
}

QString TfrmSystreg::FieldOf(const QString& entry)
{
    const qsizetype bar = entry.indexOf(u'|');
    return bar < 0 ? QString() : entry.mid(bar + 1).trimmed().toUpper();
}

void TfrmSystreg::readContactTypes()
{
    QSqlQuery q(q7_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT * FROM ContactType\nORDER BY SortOrder"))) {
        toolkit::ShowError(toolkit::Translate(QStringLiteral("Det gick inte att läsa kontakttyperna från Q7!")) +
                           QStringLiteral("\r\r") + toolkit::ErrorText(q.lastError()));
        return;
    }
    while (q.next())
        types_.emplace_back(q.value(QStringLiteral("Type_ID")).toInt(),
                            q.value(QStringLiteral("Description")).toString());
}

void TfrmSystreg::fillFieldList()
{
    q7List_->clear();
    fieldList_->clear();
    for (const auto& [id, description] : types_) {
        auto* item = new QListWidgetItem(description, q7List_);
        item->setData(Qt::UserRole, id);
        fieldList_->addItem(kEmpty);
    }
    fieldList_->addItems({fieldEntry("Telefon Arbete (Patient)", "Tel1not"),
                          fieldEntry("Telefon Mobil (Patient)", "TEL2"),
                          fieldEntry("E-post (Patient)", "EMAIL"),
                          fieldEntry("Extra1 (Patient)", "TEL2NOT")});
}

void TfrmSystreg::enableContacts(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{group_, q7List_, fieldList_, up_, down_})
        w->setEnabled(on);
}

void TfrmSystreg::exchange(int a, int b)
{
    const QString text = fieldList_->item(a)->text();
    fieldList_->item(a)->setText(fieldList_->item(b)->text());
    fieldList_->item(b)->setText(text);
}

void TfrmSystreg::Load()
{
    readPics_->setChecked(counters_.GetDataText(QStringLiteral("DICOMSETTINGS"), QStringLiteral("ALLOWFLOATERREADPICS")) == 1);
    patientChange_->setChecked(
        counters_.GetDataText(QStringLiteral("FLOATERSETTINGS"), QStringLiteral("DISALLOWFLOATERCHANGEPAT")) == 1);
    contacts_->setChecked(
        counters_.GetDataText(QStringLiteral("FLOATERSETTINGS"), QStringLiteral("USEQ7FLOATERCONTACTTYPES")) != 0);
    enableContacts(contacts_->isChecked());

    fillFieldList();
    for (int i = 0; i < fieldList_->count(); ++i) {
        const QString field = FieldOf(fieldList_->item(i)->text());
        if (field.isEmpty())
            continue;
        int type = counters_.GetDataText(QString::fromLatin1(kContactTypesTable), field);
        if (type == -1)
            type = defaultContactType(field);
        if (type == -1)
            continue;
        for (int j = 0; j < q7List_->count(); ++j) {
            if (q7List_->item(j)->data(Qt::UserRole).toInt() == type) {
                exchange(i, j);
                break;
            }
        }
    }
}

void TfrmSystreg::Save()
{
    const auto bit = [](const QCheckBox* box) { return box->isChecked() ? 1 : 0; };
    counters_.SetDataText(QStringLiteral("FLOATERSETTINGS"), QStringLiteral("DISALLOWFLOATERCHANGEPAT"), bit(patientChange_));
    counters_.SetDataText(QStringLiteral("DICOMSETTINGS"), QStringLiteral("ALLOWFLOATERREADPICS"), bit(readPics_));
    counters_.SetDataText(QStringLiteral("FLOATERSETTINGS"), QStringLiteral("USEQ7FLOATERCONTACTTYPES"), bit(contacts_));
    useContactTypes_ = contacts_->isChecked();
    for (int i = 0; i < q7List_->count() && i < fieldList_->count(); ++i) {
        const QString field = FieldOf(fieldList_->item(i)->text());
        if (!field.isEmpty())
            counters_.SetDataText(QString::fromLatin1(kContactTypesTable), field,
                                  q7List_->item(i)->data(Qt::UserRole).toInt());
    }
}

void TfrmSystreg::MoveUp()
{
    const int row = fieldList_->currentRow();
    if (row <= 0)
        return;
    exchange(row, row - 1);
    fieldList_->setCurrentRow(row - 1);
}

void TfrmSystreg::MoveDown()
{
    const int row = fieldList_->currentRow();
    if (row < 0 || row >= fieldList_->count() - 1)
        return;
    exchange(row, row + 1);
    fieldList_->setCurrentRow(row + 1);
}

} // namespace app
