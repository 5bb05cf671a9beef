#include "FloaterTestSupport.h"
#include "app/floater/FloaterBatchView.h"
#include "app/floater/TQ7FloaterFrmOrvana.h"
#include "app/sync/TfrmSystreg.h"
#include "platform/memory/MemoryDesktop.h"
#include "toolkit/InputForm.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>

using namespace floater;

namespace {

class FloaterSyncTest : public ::testing::Test {
protected:
    floater_test::TempSettings settings;
    platform::MemoryDesktop desktop;
};

void pressOn(QWidget* w, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, modifiers);
    QApplication::sendEvent(w, &press);
}

int g_asked = 0;
int typeClockPassword(toolkit::TInputForm& form)
{
    ++g_asked;
    form.Edit()->setText(app::SystemRegisterPassword(QTime::currentTime()));
    return QDialog::Accepted;
}

} // namespace

TEST_F(FloaterSyncTest, UpdateAllRunsFromTheStartUpTimerInsteadOfTracking)
{
    // The word itself in any case starts the run, once; a name that merely
    // contains it never does.
    const struct {
        QStringList args;
        int runs;
    } cases[] = {
        {{"UPDATE_ALL"}, 1},
        {{"update_all"}, 1},
        {{"-SHOWCOUNT", "UPDATE_ALL"}, 1},
        {{"-SHOWCOUNT", "x_Update_All"}, 0},
        {{"notes_update_all.txt"}, 0},
        {{"/tmp/UPDATE_ALL/x.udl"}, 0},
        {{"UPDATE_ALLX"}, 0},
    };
    for (const auto& c : cases) {
        TQ7FloaterFrmOrvana w(&desktop, c.args);
        int runs = 0;
        w.setUpdateAll([&] {
            ++runs;
            w.close();
        });
        w.show();
        QElapsedTimer timer;
        timer.start();
        // The start-up timer fires a second after the window shows.
        while (w.isVisible() && timer.elapsed() < (c.runs ? 5000 : 1800))
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_EQ(runs, c.runs) << c.args.join(' ').toStdString();
    }
}

TEST_F(FloaterSyncTest, BatchViewTakesOverTheWindow)
{
    TQ7FloaterFrmOrvana w(&desktop, {});
    w.show();
    w.batchLog()->addItem("from an earlier run");
    FloaterBatchView view(w);
    view.beginBatch("Uppdaterar");
    EXPECT_TRUE(w.busyOverlay()->isVisible());
    EXPECT_FALSE(w.countBox()->isVisible());
    EXPECT_FALSE(w.orvanaButton()->isVisible());
    EXPECT_EQ(w.frontLayer(), Layer::Batch);
    EXPECT_EQ(w.batchLog()->count(), 0);
    view.showActive("19500101-1111", 2, 3, "Aktiv post: 2/3");
    EXPECT_EQ(w.batchProgress()->maximum(), 3);
    EXPECT_EQ(w.batchProgress()->value(), 2);
    EXPECT_EQ(w.patientLabel(), "19500101-1111");
    EXPECT_EQ(w.stateSnapshot()["compactLine"].toString(), "19500101-1111");
    view.addLogLine("a");
    view.addLogLine("b");
    EXPECT_EQ(view.logLines(), (QStringList{"a", "b"}));
    view.endBatch();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(FloaterSyncTest, SystemRegisterOpensOnlyWithTheGestureAndThePassword)
{
    TQ7FloaterFrmOrvana w(&desktop, {});
    int opened = 0;
    w.setSystemRegister([&] { ++opened; });
    g_asked = 0;
    toolkit::setInputFormRunner(typeClockPassword);
    pressOn(w.orvanaButton(), Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(g_asked, 0) << "two modifiers are not enough";
    pressOn(w.orvanaButton(), Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(g_asked, 1);
    // The clock's minute may turn between typing and checking; once only.
    if (opened == 0)
        pressOn(w.orvanaButton(), Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(opened, 1);
    toolkit::setInputFormRunner([](toolkit::TInputForm& form) {
        form.Edit()->setText("fel");
        return int(QDialog::Accepted);
    });
    pressOn(w.orvanaButton(), Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(opened, 1) << "a wrong password does nothing";
    toolkit::setInputFormRunner(nullptr);
}
