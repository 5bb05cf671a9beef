// On X11: q7sim shows the demo patient who has a camera picture; a click on
// it in the floater's category menu opens the image editor on it, and a
// hand-over while the editor is open does not bring the floater down.

#include "FloaterSite.h"
#include "tools/q7sim/Q7SimProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include <iostream>

using floater_test::FloaterSite;

namespace {

struct EditorPatient {
    QString personnr, name, picture;
};

// The demo patient whose only picture in tab 1 is the camera JPEG.
EditorPatient pickEditorPatient(const QString& journal)
{
    EditorPatient p;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "pick-editor");
        db.setDatabaseName(journal);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec("SELECT K.PERSONNR, K.F_RNAMN || ' ' || K.EFTERNAMN, B.BILDNAMN FROM KUNDER K, PATBILDER B"
                   " WHERE B.PATIENTNR = K.PATIENTNR AND B.BILDFLIK = 1 AND B.BILDNAMN LIKE '%.jpg'");
            if (q.next())
                p = {q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
        }
    }
    QSqlDatabase::removeDatabase("pick-editor");
    return p;
}

constexpr int kFotoTileX = 1 * 40 + 20, kFotoTileY = 64 + 20;

} // namespace

TEST(EditorX11Test, CategoryMenuOpensThePictureInTheEditor)
{
    FloaterSite site(qEnvironmentVariable("TQ7_TEST_DISPLAY"));
    if (!site.ok())
        GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set (scripts/test.sh starts Xvfb)";
    ASSERT_TRUE(site.makeDemoSite());
    const EditorPatient patient = pickEditorPatient(site.path("site/journal.sqlite"));
    ASSERT_FALSE(patient.personnr.isEmpty());
    const std::string tag = std::to_string(::getpid());
    const std::string title = "Q7 editor " + tag;
    site.writeSetting("Q7-Floater", "Q7WindowTitle", title);
    site.writeSetting("Q7-Floater", "AskIfNotPatFound", "0");
    for (const char* key : {"TidBokSearchString", "EkonomiSearchString", "RemissSearchString"})
        site.writeSetting("Q7-Floater", key, "no dialog " + tag);
    // A normal window, so the floater's menu stays reachable beside it.
    site.writeSetting("DicomBildEditor", "WindowStateMaximized", "0");

    q7sim::Q7SimProcess q7(FloaterSite::binary("tools/q7sim/q7sim").toStdString(),
                           qEnvironmentVariable("TQ7_TEST_DISPLAY").toStdString());
    ASSERT_TRUE(q7.running());
    ASSERT_TRUE(q7.send("q7 " + title + "\nchild doc mdi Q7Doc Patient\nchild pnr doc Edit " +
                        patient.personnr.toStdString() + "\n"));
    ASSERT_TRUE(q7.sync());

    ASSERT_TRUE(site.startFloater());
    ASSERT_TRUE(site.waitForState([&](const QJsonObject& s) { return s["patientLabel"].toString() == patient.name; },
                                  15000))
        << QJsonDocument(site.state()).toJson().constData();
    EXPECT_EQ(site.state()["tiles"].toArray()[1].toObject()["caption"].toString(), QStringLiteral("1"));

    // Right-click the tile for its menu, then click its one item.
    const QJsonObject g = site.state()["geometry"].toObject();
    const QString x = QString::number(g["x"].toInt() + kFotoTileX), y = QString::number(g["y"].toInt() + kFotoTileY);
    ASSERT_EQ(site.run("xdotool", {"search", "--class", "^TQ7FloaterFrmOrvana$", "windowraise", "mousemove", x, y,
                                   "click", "3"}),
              0);
    QThread::msleep(500);
    ASSERT_EQ(site.run("xdotool", {"mousemove_relative", "20", "10", "click", "1"}), 0);

    // The editor's caption names the picture's patient from the journal.
    const QString caption = "Redigera bild " + patient.personnr;
    bool open = false;
    for (int i = 0; i < 100 && !open; ++i) {
        open = site.run("xdotool", {"search", "--name", "^" + caption}) == 0;
        if (!open)
            QThread::msleep(100);
    }
    ASSERT_TRUE(open) << "no editor window titled " << caption.toStdString();
    QThread::msleep(1500); // let it paint the picture
    const QString shot = QStringLiteral(TQ7_BINARY_DIR "/tests/app/floater/editor-x11.png");
    EXPECT_EQ(site.run("import", {"-window", "root", shot}), 0);
    std::cout << "screenshot: " << shot.toStdString() << std::endl;

    // A hand-over while the editor is open: the floater looks the number up
    // and both windows stay.
    EXPECT_EQ(site.run(FloaterSite::binary("app/q7floater"), {"191212121212"}), 0);
    EXPECT_TRUE(site.waitForState(
        [](const QJsonObject& s) { return s["lastLookedUp"].toString() == "19121212-1212"; }, 5000));
    QThread::msleep(2500); // tracking passes run inside the editor's loop too
    EXPECT_EQ(site.floaterProcess().state(), QProcess::Running);
    EXPECT_EQ(site.run("xdotool", {"search", "--name", "^" + caption}), 0);

    // Esc on the unchanged picture closes the editor; the floater runs on.
    EXPECT_EQ(site.run("xdotool", {"search", "--name", "^" + caption, "windowfocus", "key", "Escape"}), 0);
    bool closed = false;
    for (int i = 0; i < 50 && !closed; ++i) {
        closed = site.run("xdotool", {"search", "--name", "^" + caption}) != 0;
        if (!closed)
            QThread::msleep(100);
    }
    EXPECT_TRUE(closed);
    EXPECT_EQ(site.floaterProcess().state(), QProcess::Running);
    site.floaterProcess().terminate();
    site.floaterProcess().waitForFinished(5000);
    q7.quit();
}
