#include "SyncSite.h"

#include "app/sync/TfrmSystreg.h"
#include "toolkit/InputForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace synctest;
using app::TfrmSystreg;
using dbtest::Engine;

namespace {

class SystregTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override
    {
        site = std::make_unique<SyncSite>(GetParam(), env.dir.path());
        if (!site->available())
            GTEST_SKIP() << "PostgreSQL is not running (TQ7_TEST_PG_PORT)";
    }
    void TearDown() override { site.reset(); }
    std::unique_ptr<TfrmSystreg> open()
    {
        return std::make_unique<TfrmSystreg>(*site->counters, site->q7, useContacts);
    }
    // Left description and right field of each row of the contact types.
    static QStringList pairs(const TfrmSystreg& d)
    {
        QStringList out;
        for (int i = 0; i < d.Q7List()->count(); ++i)
            out << d.Q7List()->item(i)->text() + "=" + TfrmSystreg::FieldOf(d.FieldList()->item(i)->text());
        return out;
    }
    int stored(const char* table, const char* field) { return site->counters->GetDataText(table, field); }

    dbtest::Environment env;
    std::unique_ptr<SyncSite> site;
    bool useContacts = false;
};

} // namespace

TEST_P(SystregTest, WithoutStoredRowsTheDefaultsStandBesideTheirTypes)
{
    auto d = open();
    EXPECT_EQ(d->windowTitle(), "Systemregister");
    // Q7's sort order: Mobil (3), Arbete (1), E-post (6).
    EXPECT_EQ(pairs(*d), (QStringList{"Mobil=TEL2", "Arbete=TEL1NOT", "E-post=EMAIL"}));
    EXPECT_TRUE(d->FieldList()->item(0)->text().startsWith("Telefon Mobil (Patient)"));
    EXPECT_EQ(d->FieldList()->count(), 7);
    EXPECT_TRUE(d->ContactBox()->isChecked()) << "a missing switch row counts as ticked";
    EXPECT_FALSE(d->ReadPicsBox()->isChecked());
    EXPECT_FALSE(d->PatientChangeBox()->isChecked());
    EXPECT_TRUE(d->ContactGroup()->isEnabled());
}

TEST_P(SystregTest, StoredSwitchesAndMappingAreLoaded)
{
    site->counters->SetDataText("DICOMSETTINGS", "ALLOWFLOATERREADPICS", 1);
    site->counters->SetDataText("FLOATERSETTINGS", "DISALLOWFLOATERCHANGEPAT", 1);
    site->counters->SetDataText("FLOATERSETTINGS", "USEQ7FLOATERCONTACTTYPES", 0);
    site->counters->SetDataText(app::kContactTypesTable, "EMAIL", 3);
    site->counters->SetDataText(app::kContactTypesTable, "TEL2", 1);
    auto d = open();
    EXPECT_TRUE(d->ReadPicsBox()->isChecked());
    EXPECT_TRUE(d->PatientChangeBox()->isChecked());
    EXPECT_FALSE(d->ContactBox()->isChecked());
    EXPECT_FALSE(d->ContactGroup()->isEnabled());
    EXPECT_FALSE(d->UpButton()->isEnabled());
    EXPECT_EQ(pairs(*d).mid(0, 2), (QStringList{"Mobil=EMAIL", "Arbete=TEL2"}));
}

TEST_P(SystregTest, SavingWithTheContactBoxClearedWritesZero)
{
    useContacts = true;
    auto d = open();
    d->ContactBox()->setChecked(false);
    EXPECT_FALSE(d->ContactGroup()->isEnabled());
    d->ReadPicsBox()->setChecked(true);
    d->SaveButton()->click();
    EXPECT_EQ(stored("FLOATERSETTINGS", "USEQ7FLOATERCONTACTTYPES"), 0);
    EXPECT_EQ(stored("DICOMSETTINGS", "ALLOWFLOATERREADPICS"), 1);
    EXPECT_EQ(stored("FLOATERSETTINGS", "DISALLOWFLOATERCHANGEPAT"), 0);
    EXPECT_FALSE(useContacts);
    EXPECT_FALSE(d->ContactGroup()->isEnabled());
    EXPECT_EQ(stored(app::kContactTypesTable, "TEL2"), 3) << "the mapping is saved as it stands";
}

TEST_P(SystregTest, ArrowsMoveTheSelectedRowAndEmptyRowsRemoveNothing)
{
    site->counters->SetDataText(app::kContactTypesTable, "EMAIL", 6);
    auto d = open();
    d->UpButton()->click(); // no selection: nothing
    EXPECT_EQ(pairs(*d), (QStringList{"Mobil=TEL2", "Arbete=TEL1NOT", "E-post=EMAIL"}));
    d->FieldList()->setCurrentRow(0);
    d->UpButton()->click(); // the first row cannot go up
    EXPECT_EQ(pairs(*d), (QStringList{"Mobil=TEL2", "Arbete=TEL1NOT", "E-post=EMAIL"}));
    d->FieldList()->setCurrentRow(2);
    d->DownButton()->click(); // EMAIL leaves type 6, "(Tom)" takes its place
    EXPECT_EQ(pairs(*d), (QStringList{"Mobil=TEL2", "Arbete=TEL1NOT", "E-post="}));
    d->FieldList()->setCurrentRow(d->FieldList()->count() - 1);
    d->DownButton()->click(); // the last row cannot go down
    d->Save();
    EXPECT_EQ(stored(app::kContactTypesTable, "EMAIL"), 6) << "the earlier mapping stays";
    EXPECT_EQ(stored(app::kContactTypesTable, "TEL2"), 3);
    EXPECT_EQ(stored(app::kContactTypesTable, "TEL1NOT"), 1);

    d->UndoButton()->click(); // "Ångra" loads what is stored
    EXPECT_EQ(pairs(*d), (QStringList{"Mobil=TEL2", "Arbete=TEL1NOT", "E-post=EMAIL"}));
}

TEST_P(SystregTest, WhatTheDialogSavesTheSyncUses)
{
    auto d = open();
    d->FieldList()->setCurrentRow(2);
    d->UpButton()->click(); // EMAIL beside Arbete (1), TEL1NOT beside E-post (6)
    d->Save();
    EXPECT_TRUE(useContacts);

    const QString ssn = "198005071234";
    site->addQ7(Q7Person{ssn});
    site->addContact(ssn, 1, "arbete@example.se");
    site->addContact(ssn, 6, "090-777777");
    app::PersonSyncContext c = site->context();
    c.useContactTypes = useContacts;
    app::TPersonSync sync(c);
    ASSERT_EQ(sync.AddOrEditPersonFromQ7ToHalden32("19800507-1234", true), 1);
    const QVariantMap row = site->kunder("19800507-1234");
    EXPECT_EQ(row["EMAIL"].toString(), "arbete@example.se");
    EXPECT_EQ(row["TEL1NOT"].toString(), "090-777777");
}

INSTANTIATE_TEST_SUITE_P(Engines, SystregTest, ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) { return std::string(dbtest::EngineName(info.param)); });

TEST(SystemRegisterAccess, PasswordFromTheClock)
{
    EXPECT_EQ(app::SystemRegisterPassword(QTime(9, 5)), "95");
    EXPECT_EQ(app::SystemRegisterPassword(QTime(13, 40)), "1340");
    EXPECT_EQ(app::SystemRegisterPassword(QTime(0, 0)), "00");
}

TEST(SystemRegisterAccess, OnlyShiftCtrlAltAndTheLeftButton)
{
    const auto all = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    EXPECT_TRUE(app::IsSystemRegisterGesture(Qt::LeftButton, Qt::LeftButton, all));
    EXPECT_FALSE(app::IsSystemRegisterGesture(Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier));
    EXPECT_FALSE(app::IsSystemRegisterGesture(Qt::RightButton, Qt::RightButton, all));
    EXPECT_FALSE(app::IsSystemRegisterGesture(Qt::LeftButton, Qt::LeftButton | Qt::RightButton, all));
    EXPECT_FALSE(app::IsSystemRegisterGesture(Qt::LeftButton, Qt::LeftButton, all | Qt::MetaModifier));
}

namespace {
QString g_answer;
bool g_ok = true;
} // namespace

TEST(SystemRegisterAccess, TypedTextCountsWhicheverButtonClosedTheBox)
{
    toolkit::setInputFormRunner([](toolkit::TInputForm& form) {
        EXPECT_EQ(form.Edit()->maxLength(), 10);
        form.Edit()->setText(g_answer);
        return int(g_ok ? QDialog::Accepted : QDialog::Rejected);
    });
    for (bool ok : {true, false}) {
        g_ok = ok;
        // The answer is taken just before the box asks; a minute may turn meanwhile.
        bool accepted = false;
        for (int attempt = 0; attempt < 3 && !accepted; ++attempt) {
            g_answer = app::SystemRegisterPassword(QTime::currentTime());
            accepted = app::AskSystemRegisterPassword();
        }
        EXPECT_TRUE(accepted) << ok;
    }
    g_answer = "fel";
    EXPECT_FALSE(app::AskSystemRegisterPassword());
    toolkit::setInputFormRunner(nullptr);
}
