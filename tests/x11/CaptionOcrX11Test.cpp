// A real floater reads the personal number that q7sim's caption bar only
// draws. Other X11 tests run at the same time on the same display, so this
// Q7 has a title of its own, sits in the screen corner the others leave
// free, and the floater finds it by the configured title.

#include "platform/x11/X11Desktop.h"
#include "tests/app/floater/FloaterSite.h"
#include "platform/x11/XResources.h"
#include "toolkit/core/Settings.h"
#include "tools/q7sim/Q7SimProcess.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <unistd.h>

namespace {

// Q7 in the bottom-right corner, its caption bar 380 x 24 at (880, 760).
constexpr int kBarLeft = 880, kBarTop = 760, kBarWidth = 380, kBarHeight = 24;

class CaptionOcrX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        display = qEnvironmentVariable("TQ7_TEST_DISPLAY");
        if (display.isEmpty())
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set (scripts/test.sh starts Xvfb)";
        ASSERT_TRUE(site.ok());
        // The floater opens its journal at start: a demo site of its own.
        ASSERT_TRUE(site.makeDemoSite());
        desktop = std::make_unique<platform::X11Desktop>(display.toUtf8().constData());
        ASSERT_TRUE(desktop->ok());
        const auto screen = desktop->windowRect(desktop->root());
        if (!screen || screen->right < 1280 || screen->bottom < 1024)
            GTEST_SKIP() << "the windows are placed for a 1280 x 1024 screen";
        savedResources = platform::ReadResourceManager(desktop->connection(), desktop->root());
        sim = std::make_unique<q7sim::Q7SimProcess>(TQ7_Q7SIM, display.toStdString());
        ASSERT_TRUE(sim->running());
        q7Title = "Q7 ocr " + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    void TearDown() override
    {
        if (sim)
            sim->quit();
        if (desktop && desktop->ok())
            setResources(savedResources);
    }

    // Sets or, when empty, removes the session's X resources.
    void setResources(const std::string& text)
    {
        xcb_connection_t* c = desktop->connection();
        const xcb_atom_t property = desktop->atom("RESOURCE_MANAGER");
        if (text.empty())
            xcb_delete_property(c, desktop->root(), property);
        else
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, desktop->root(), property, XCB_ATOM_STRING,
                                8, static_cast<std::uint32_t>(text.size()), text.data());
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

    // Q7 whose active document has a caption bar drawing number for the
    // strip offset, and no control that holds the number.
    void openQ7(const std::string& number, const std::string& drawing)
    {
        sim->send("q7 " + q7Title + "\n"
                  "geometry q7 880 720 400 300\n"
                  "child doc mdi ThunderRT6FormDC Journal\n"
                  "child caption doc MIAQ7CAPTIONBAR Journal\n"
                  "geometry caption 0 0 380 24\n"
                  "child name doc ThunderRT6TextBox Tolvan Tolvansson\n"
                  "draw caption " + number + " " + drawing);
        ASSERT_TRUE(sim->sync());
    }

    // Q7's title and where the floater starts.
    void startFloater(int left, int top)
    {
        site.writeSetting("Q7-Floater", "Q7WindowTitle", q7Title);
        site.writeSetting("Q7-Floater", "Formleft", std::to_string(left));
        site.writeSetting("Q7-Floater", "Formtop", std::to_string(top));
        ASSERT_TRUE(site.startFloater());
    }

    QJsonObject state() { return site.state(); }

    // Waits until the floater follows number, read by recognition, with the
    // lamp shown in the colour given.
    void expectReadByOcr(const std::string& number, const QString& lampColour)
    {
        const auto matches = [&](const QJsonObject& s) {
            return s["currentPersonnr"].toString().toStdString() == number && s["fromOcr"].toBool() &&
                   s["ocrLamp"].toObject()["visible"].toBool() &&
                   s["ocrLamp"].toObject()["color"].toString() == lampColour;
        };
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 15000 && !matches(state()))
            QThread::msleep(50);
        EXPECT_TRUE(matches(state())) << number << " " << lampColour.toStdString() << "\n"
                                      << QJsonDocument(state()).toJson().constData();
    }

    // The floater's window on the screen.
    std::optional<platform::Rect> floaterRect()
    {
        for (platform::WindowId w : desktop->topLevelWindows())
            if (desktop->className(w) == "TQ7FloaterFrmOrvana" && desktop->isVisible(w))
                return desktop->windowRect(w);
        return std::nullopt;
    }

    QString display;
    floater_test::FloaterSite site{qEnvironmentVariable("TQ7_TEST_DISPLAY")};
    std::string q7Title;
    std::string savedResources;
    std::unique_ptr<platform::X11Desktop> desktop;
    std::unique_ptr<q7sim::Q7SimProcess> sim;
};

} // namespace

TEST_F(CaptionOcrX11, ReadsTheNumberTheCaptionBarDrawsAtEachStripOffset)
{
    setResources("Xft.antialias:\t1\nXft.rgba:\tnone\n");
    openQ7("19640823-4125", "0 plain");
    startFloater(0, 0);
    expectReadByOcr("19640823-4125", "#00ff00");
    // The same bar showing other patients further left: the later offsets.
    const struct {
        const char* number;
        const char* drawing;
    } cases[] = {{"20011231-6658", "38 plain"}, {"19580412-2280", "106 plain"}, {"19121212-1212", "144 plain"}};
    for (const auto& c : cases) {
        sim->send(std::string("draw caption ") + c.number + " " + c.drawing);
        ASSERT_TRUE(sim->sync());
        expectReadByOcr(c.number, "#00ff00");
    }
}

TEST_F(CaptionOcrX11, ClearTypeModeTurnsTheLampRed)
{
    setResources("Xft.antialias:\t1\nXft.rgba:\trgb\nXft.dpi:\t96\n");
    openQ7("20011231-6658", "0 subpixel");
    startFloater(0, 0);
    expectReadByOcr("20011231-6658", "#ff0000");
    // Smoothing switched off in the session: the next read is plain again.
    setResources("Xft.antialias:\t1\nXft.rgba:\tnone\n");
    sim->send("draw caption 19640823-4125 38 plain");
    ASSERT_TRUE(sim->sync());
    expectReadByOcr("19640823-4125", "#00ff00");
}

TEST_F(CaptionOcrX11, FloaterCoveringTheStripMovesBelowTheBar)
{
    setResources("");
    openQ7("19580412-2280", "0 plain");
    // Over the right end of the bar, starting above it.
    startFloater(1000, kBarTop - 10);
    expectReadByOcr("19580412-2280", "#00ff00");
    const auto rect = floaterRect();
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->top, kBarTop + kBarHeight + 2);
    EXPECT_EQ(rect->left, 1000);
    EXPECT_GE(rect->right, kBarLeft + kBarWidth - 154); // it still reaches across the strip
}

TEST_F(CaptionOcrX11, ReadsTheNumberTheAppointmentViewDraws)
{
    setResources("");
    sim->send("q7 " + q7Title + "\n"
              "geometry q7 880 720 400 300\n"
              "child doc mdi ThunderRT6FormDC Bokning\n"
              "child appointment doc AfxWnd100 Appointment\n"
              "geometry appointment 0 30 200 60\n"
              "draw appointment 19580412-2280");
    ASSERT_TRUE(sim->sync());
    startFloater(0, 0);
    expectReadByOcr("19580412-2280", "#00ff00");
}
