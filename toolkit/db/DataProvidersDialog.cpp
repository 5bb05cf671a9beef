#include "DataProvidersDialog.h"

#include "JournalConnection.h"
#include "platform/ShellCommand.h"
#include "toolkit/Dialogs.h"
#include "toolkit/core/Settings.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace toolkit {

namespace {

// Rows 17 pixels high; the site's current choice in dark green.
class ProviderRowDelegate : public QStyledItemDelegate {
public:
    ProviderRowDelegate(QObject* parent, const QString* current)
        : QStyledItemDelegate(parent), current_(current) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 17};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString text = index.data().toString();
        p->fillRect(option.rect, option.state & QStyle::State_Selected ? QColor(192, 192, 192) : Qt::white);
        p->setPen(text.compare(*current_, Qt::CaseInsensitive) == 0 ? QColor(0, 128, 0) : Qt::black);
        p->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    }

private:
    const QString* current_;
};

void shellOpen(const QString& file)
{
    platform::startDetached(platform::openDocumentCommand(file.toStdString()),
                            DataLinksDir().toStdString());
}

} // namespace

TfrmDataProviders::TfrmDataProviders(QWidget* parent) : QDialog(parent), list_(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("DataProviders"));
    auto* group = new QGroupBox(QStringLiteral("DataProviders"), this);
    auto* groupLayout = new QVBoxLayout(group);
    const std::pair<const char*, void (TfrmDataProviders::*)()> actions[] = {
        {"Lägg till...", &TfrmDataProviders::addClick},
        {"Redigera...", &TfrmDataProviders::editClick},
        {"Välj som standard", &TfrmDataProviders::chooseDefaultClick},
        {"Radera", &TfrmDataProviders::deleteClick}};
    for (const auto& [text, slot] : actions) {
        auto* b = new QPushButton(QString::fromUtf8(text), group);
        connect(b, &QPushButton::clicked, this, slot);
        groupLayout->addWidget(b);
    }
    groupLayout->addStretch();

    list_->setItemDelegate(new ProviderRowDelegate(this, &current_));
    connect(list_, &QListWidget::itemDoubleClicked, this, &TfrmDataProviders::editClick);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Avbryt"), QDialogButtonBox::RejectRole);
    connect(ok, &QPushButton::clicked, this, &TfrmDataProviders::okClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Befintliga DataProviders"), this));
    left->addWidget(list_);
    auto* row = new QHBoxLayout;
    row->addWidget(group);
    row->addLayout(left, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    PrepareForm(this);
}

QString TfrmDataProviders::currentSettingName() const
{
    return QFileInfo(QString::fromStdString(ReadSetting("DataProvider", IniTextPosision.toStdString())))
        .fileName();
}

QString TfrmDataProviders::selectedName() const
{
    const QListWidgetItem* item = list_->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void TfrmDataProviders::refill(const QString& select)
{
    current_ = currentSettingName();
    list_->clear();
    list_->addItems(QDir(DataLinksDir()).entryList({QStringLiteral("*.udl")}, QDir::Files, QDir::Name));
    for (int i = 0; i < list_->count(); ++i) {
        if (!select.isEmpty() && list_->item(i)->text().compare(select, Qt::CaseInsensitive) == 0)
            list_->setCurrentRow(i);
    }
    list_->viewport()->update();
}

void TfrmDataProviders::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    refill(currentSettingName());
}

bool TfrmDataProviders::requireSelection()
{
    if (!selectedName().isEmpty())
        return true;
    ShowInfo(Translate(QStringLiteral("Välj en DataProvider först!")));
    list_->setFocus();
    return false;
}

void TfrmDataProviders::addClick()
{
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("Ny DataProvider"),
                                               QStringLiteral("DataProviderns namn:"),
                                               QLineEdit::Normal, QString(), &ok).trimmed();
    if (!ok || name.isEmpty() || name.contains(u'/'))
        return;
    QDir().mkpath(DataLinksDir());
    QFile file(DataLinksDir() + name + QStringLiteral(".udl"));
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.close();
    shellOpen(file.fileName());
    refill(name + QStringLiteral(".udl"));
}

void TfrmDataProviders::editClick()
{
    if (requireSelection())
        shellOpen(DataLinksDir() + selectedName());
}

void TfrmDataProviders::chooseDefaultClick()
{
    if (!requireSelection())
        return;
    WriteSetting("DataProvider", IniTextPosision.toStdString(), selectedName().toStdString());
    current_ = currentSettingName();
    list_->viewport()->update();
}

void TfrmDataProviders::deleteClick()
{
    if (!requireSelection())
        return;
    const QString name = selectedName();
    if (AskYesNo(Translate(QStringLiteral("Radera DataProvider-filen")) + u' ' + name) != mrYes)
        return;
    QFile::remove(DataLinksDir() + name);
    refill(QString());
}

void TfrmDataProviders::okClick()
{
    if (!requireSelection())
        return;
    JournalConnectionString().clear();
    accept();
}

QString OpenDataProviderDialog(const QString& valueName)
{
    TfrmDataProviders dialog;
    dialog.IniTextPosision = valueName;
    const QString current = QFileInfo(DataProviderFile()).fileName();
    return dialog.exec() == QDialog::Accepted ? dialog.selectedName() : current;
}

} // namespace toolkit
