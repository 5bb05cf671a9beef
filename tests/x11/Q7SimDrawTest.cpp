// q7sim's drawn numbers on a real X server: what the screen shows is the
// caption renderer's picture, pixel for pixel. The windows sit in the bottom
// strip of the screen, below every window the other tests' simulators place,
// so that the captures see only them; the cases take turns at that place.

#include "ocr/core/CaptionOcr.h"
#include "ocr/widgets/CaptionRenderer.h"
#include "platform/x11/X11Desktop.h"
#include "tools/q7sim/Q7Sim.h"
#include "tools/q7sim/X11Backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

class Q7SimDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("TQ7_TEST_DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set";
        desktop = std::make_unique<platform::X11Desktop>(display);
        ASSERT_TRUE(desktop->ok());
        const auto screen = desktop->windowRect(desktop->root());
        if (!screen || screen->right < 860 || screen->bottom < 1024)
            GTEST_SKIP() << "the windows are placed for a 1280 x 1024 screen";
        backend = std::make_unique<q7sim::X11Backend>(*desktop);
        sim = std::make_unique<q7sim::Q7Sim>(*backend, replies);
        const std::string title = "Q7 draw " + std::to_string(getpid()) + "-" +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        run("top win ThunderRT6Main " + title + "\n"
            "geometry win 0 984 860 40\n"
            "child caption win MIAQ7CAPTIONBAR Journal\n"
            "child appointment win AfxWnd100 Appointment\n"
            "geometry appointment 700 2 140 36");
        for (platform::WindowId w : desktop->topLevelWindows())
            if (desktop->windowText(w, 256) == title)
                for (platform::WindowId child : desktop->children(w))
                    (desktop->className(child) == "MIAQ7CAPTIONBAR" ? caption : appointment) = child;
        ASSERT_NE(caption, 0u);
        ASSERT_NE(appointment, 0u);
    }

    void TearDown() override
    {
        if (sim)
            sim->run("quit");
    }

    // Runs command lines and a final sync; the replies of this call.
    std::string run(const std::string& commands)
    {
        replies.str({});
        std::istringstream lines(commands + "\nsync");
        for (std::string line; std::getline(lines, line);)
            sim->run(line);
        return replies.str();
    }

    ocr::Image screen(platform::WindowId w)
    {
        const auto capture = desktop->captureWindow(w);
        if (!capture)
            return {};
        return ocr::CopyRect(*capture, 0, 0, capture->width, capture->height);
    }

    std::ostringstream replies;
    std::unique_ptr<platform::X11Desktop> desktop;
    std::unique_ptr<q7sim::X11Backend> backend;
    std::unique_ptr<q7sim::Q7Sim> sim;
    platform::WindowId caption = 0, appointment = 0;
};

const QColor kBarBlue(0, 84, 147), kBarText(250, 250, 250), kViewGrey(240, 240, 240);

} // namespace

TEST_F(Q7SimDraw, CaptionBarShowsTheRenderedNumberAndKeepsItWhenResized)
{
    EXPECT_EQ(run("draw caption 19640823-4127 38 subpixel"), "ok\n");
    EXPECT_EQ(screen(caption),
              ocr::RenderCaptionBar("19640823-4127", 600, 38, true, kBarBlue, kBarText));
    // Narrower: the number stays at its distance from the right edge.
    EXPECT_EQ(run("geometry caption 0 0 500 24"), "ok\n");
    EXPECT_EQ(screen(caption),
              ocr::RenderCaptionBar("19640823-4127", 500, 38, true, kBarBlue, kBarText));
    EXPECT_EQ(run("draw caption 20011231-6654"), "ok\n"); // offset 0, plain
    EXPECT_EQ(screen(caption),
              ocr::RenderCaptionBar("20011231-6654", 500, 0, false, kBarBlue, kBarText));
}

TEST_F(Q7SimDraw, AppointmentViewShowsTheNumberInItsArea)
{
    EXPECT_EQ(run("draw appointment 19580412-2288"), "ok\n");
    EXPECT_EQ(screen(appointment),
              ocr::RenderAppointmentWindow("19580412-2288", QSize(140, 36), kViewGrey, Qt::black));
}

TEST_F(Q7SimDraw, BadDrawCommandsAreRejectedAndChangeNothing)
{
    ASSERT_EQ(run("child name win ThunderRT6TextBox Tolvan\n"
                  "draw caption 19640823-4127 106 plain\n"
                  "draw appointment 19580412-2288"),
              "ok\n");
    const ocr::Image bar = screen(caption), view = screen(appointment);
    const char* bad[] = {
        "draw nosuch 19640823-4127",
        "draw caption",                              // no number
        "draw caption 19640823-4127 37",             // not a strip offset
        "draw caption 19640823-4127 x",              // not a number
        "draw caption 19640823-4127 99999999999",    // out of range
        "draw caption 19640823-4127 0 blurry",       // no such smoothing
        "draw caption 19640823-4127 0 plain more",   // too many words
        "draw appointment 19640823-4127 0",          // no offsets there
        "draw name 19640823-4127",                   // a control draws nothing
    };
    for (const char* command : bad) {
        const std::string answer = run(command);
        EXPECT_EQ(answer.rfind("error: ", 0), 0u) << command << ": " << answer;
    }
    EXPECT_EQ(screen(caption), bar);
    EXPECT_EQ(screen(appointment), view);
}
