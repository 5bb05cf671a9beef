// The whole chain on X11: q7sim shows a demo-journal patient, the floater
// finds and shows it, and commands orvanasim, or starts it.

#include "FloaterSite.h"
#include "tools/q7sim/Q7SimProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <csignal>

using floater_test::FloaterSite;
using floater_test::waitForFileText;

namespace {

struct DemoPatient {
    QString personnr, name;
    int patientnr = 0, pictures = 0, xrays = 0;
};

// An unlocked demo patient with X-ray pictures.
DemoPatient pickPatient(const QString& journal)
{
    DemoPatient p;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "pick");
        db.setDatabaseName(journal);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec("SELECT K.PERSONNR, K.F_RNAMN || ' ' || K.EFTERNAMN, K.PATIENTNR,"
                   " (SELECT COUNT(*) FROM PATBILDER A WHERE A.PATIENTNR = K.PATIENTNR),"
                   " (SELECT COUNT(*) FROM PATBILDER B WHERE B.PATIENTNR = K.PATIENTNR AND B.BILDFLIK = 3)"
                   " FROM KUNDER K WHERE K.PATLOCKED = 'F' AND K.PERSONNR NOT IN"
                   " (SELECT PERSONNR FROM KUNDER GROUP BY PERSONNR HAVING COUNT(*) > 1)"
                   " AND (SELECT COUNT(*) FROM PATBILDER B WHERE B.PATIENTNR = K.PATIENTNR AND B.BILDFLIK = 3) > 0"
                   " ORDER BY K.PATIENTNR LIMIT 1");
            if (q.next())
                p = {q.value(0).toString(), q.value(1).toString(), q.value(2).toInt(), q.value(3).toInt(),
                     q.value(4).toInt()};
        }
    }
    QSqlDatabase::removeDatabase("pick");
    return p;
}

// Ends the orvanasim a log names (started by the floater, not by us).
void endOrvanasim(const QString& log)
{
    QFile f(log);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const auto match = QRegularExpression("^pid (\\d+)$", QRegularExpression::MultilineOption)
                           .match(QString::fromUtf8(f.readAll()));
    if (match.hasMatch())
        ::kill(match.captured(1).toInt(), SIGTERM);
}

class OrvanaX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!site.ok())
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set (scripts/test.sh starts Xvfb)";
        ASSERT_TRUE(site.makeDemoSite());
        patient = pickPatient(site.path("site/journal.sqlite"));
        ASSERT_FALSE(patient.personnr.isEmpty());
        // Titles of our own, so Q7 windows of tests running beside us are not taken for ours.
        const std::string tag = std::to_string(::getpid());
        title = "Q7 e2e " + tag;
        site.writeSetting("Q7-Floater", "Q7WindowTitle", title);
        for (const char* key : {"TidBokSearchString", "EkonomiSearchString", "RemissSearchString"})
            site.writeSetting("Q7-Floater", key, "no dialog " + tag);
        QDir().mkpath(site.path("orvana"));
        site.writeSetting("Q7FloaterOrvana", "OrvanaDirectory", site.path("orvana").toStdString());

        q7 = std::make_unique<q7sim::Q7SimProcess>(FloaterSite::binary("tools/q7sim/q7sim").toStdString(),
                                                   qEnvironmentVariable("TQ7_TEST_DISPLAY").toStdString());
        ASSERT_TRUE(q7->running());
        ASSERT_TRUE(q7->send("q7 " + title + "\nchild doc mdi Q7Doc Patient\nchild pnr doc Edit " +
                             patient.personnr.toStdString() + "\n"));
        ASSERT_TRUE(q7->sync());
    }
    void TearDown() override
    {
        if (orvana.state() != QProcess::NotRunning) {
            orvana.terminate();
            orvana.waitForFinished(3000);
        }
        endOrvanasim(site.path("orvana/orvanasim.log"));
        if (q7)
            q7->quit();
    }
    void startOrvanasim()
    {
        orvana.setProcessEnvironment(site.environment());
        orvana.start(FloaterSite::binary("tools/orvanasim/orvanasim"), {"--log", site.path("orvana.log")});
        ASSERT_TRUE(orvana.waitForStarted(5000));
        ASSERT_TRUE(waitForFileText(site.path("orvana.log"), "start", 5000));
    }
    bool floaterShowsThePatient()
    {
        const QString count = "Antal bilder: " + QString::number(patient.pictures);
        return site.waitForState(
            [&](const QJsonObject& s) {
                return s["patientLabel"].toString() == patient.name && s["countLabel"].toString() == count;
            },
            15000);
    }

    FloaterSite site{qEnvironmentVariable("TQ7_TEST_DISPLAY")};
    DemoPatient patient;
    std::string title;
    std::unique_ptr<q7sim::Q7SimProcess> q7;
    QProcess orvana;
};

// Client-area positions of the floater's controls.
constexpr int kButtonX = 40, kButtonY = 14;
constexpr int kXrayTileX = 3 * 40 + 20, kXrayTileY = 64 + 20;

} // namespace

TEST_F(OrvanaX11Test, FloaterShowsTheQ7PatientAndCommandsOrvana)
{
    startOrvanasim();
    ASSERT_TRUE(site.startFloater());
    ASSERT_TRUE(floaterShowsThePatient()) << QJsonDocument(site.state()).toJson().constData();
    const QJsonArray tiles = site.state()["tiles"].toArray();
    EXPECT_EQ(tiles[3].toObject()["caption"].toString(), QString::number(patient.xrays));

    ASSERT_TRUE(site.click(kButtonX, kButtonY, 1));
    EXPECT_TRUE(waitForFileText(site.path("orvana.log"),
                                "SET_ACTIVE_PATIENT wparam=" + QString::number(patient.patientnr), 5000));
    ASSERT_TRUE(site.click(kXrayTileX, kXrayTileY, 2));
    EXPECT_TRUE(waitForFileText(site.path("orvana.log"),
                                "SET_ACTIVE_BILDFLIK wparam=3 lparam=" + QString::number(patient.patientnr), 5000));
}

TEST_F(OrvanaX11Test, DoubleClickStartsOrvanaWhenItIsNotRunning)
{
    ASSERT_TRUE(QFile::link(FloaterSite::binary("tools/orvanasim/orvanasim"), site.path("orvana/orvana.exe")));
    ASSERT_TRUE(site.startFloater());
    ASSERT_TRUE(floaterShowsThePatient()) << QJsonDocument(site.state()).toJson().constData();
    ASSERT_TRUE(site.click(kXrayTileX, kXrayTileY, 2));
    EXPECT_TRUE(waitForFileText(site.path("orvana/orvanasim.log"), "start PNR=" + patient.personnr + "\n", 5000));
}
