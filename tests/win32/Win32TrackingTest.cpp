// The tracking pass against q7sim.exe: real Win32 windows of another process,
// read through the Win32 desktop layer.

#include "../app/Q7SimTracking.h"
#include "../app/StackingCases.h"
#include "WineSupport.h"

#include "ocr/core/CaptionOcr.h"
#include "platform/win32/Win32Desktop.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

using namespace app;
using namespace app::testing;
using platform::WindowId;

namespace {

// The caption recognition as the floater uses it, without a floater window
// in the way and without ClearType.
class Recognition : public CaptionReader, public ocr::FloaterWindow {
public:
    explicit Recognition(platform::Desktop& desktop) : ocr_(desktop, *this, [] { return false; }) {}
    void ReadCaptionBar(platform::Desktop&, WindowId w, TrackingState& s) override
    {
        ocr_.ReadCaptionBar(w, {s.candidates, s.OCRFoundPersonnr, s.fontsmoothingon});
    }
    void ReadAppointmentCaption(platform::Desktop&, WindowId w, TrackingState& s) override
    {
        ocr_.ReadAppointmentCaption(w, {s.candidates, s.OCRFoundPersonnr, s.fontsmoothingon});
    }
    std::optional<platform::Rect> floaterBounds() override { return std::nullopt; }
    void moveFloaterTop(int) override {}
    void processMessages() override {}

private:
    ocr::CaptionOcr ocr_;
};

const std::string A = "19121212-1212";
const std::string B = "19340506-7897"; // read from the screen too: check digit right

class Win32Tracking : public ::testing::Test, protected Q7SimTracking {
protected:
    void SetUp() override
    {
        if (!win32test::haveDesktop())
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set";
        sim = std::make_unique<q7sim::Q7SimProcess>(win32test::windowsPath(TQ7_Q7SIM), "");
        ASSERT_TRUE(sim->running());
        tag = std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        useTitlesOf(tag);
        tracker = std::make_unique<ClinicWindowTracker>(desktop, state, lookup, captions);
    }

    WindowId q7Window() { return desktop.findWindow(std::nullopt, options.Q7WindowTitle); }

    std::string tag;
    platform::Win32Desktop desktop;
};

TEST_F(Win32Tracking, FollowsTheEditControlFromPatientToPatientAndNoticesQ7Quit)
{
    openQ7(A);
    TrackingResult r = pass();
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(r.lookedUp, A);
    EXPECT_FALSE(r.lamp.visible);

    sim->send("text pnr " + B);
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, B);
    EXPECT_EQ(pass().lookedUp, std::nullopt); // same patient: no second lookup

    ASSERT_TRUE(sim->quit());
    r = pass();
    EXPECT_EQ(r.message, "Q7 är inte igång!");
    ASSERT_TRUE(r.reset.has_value());
    EXPECT_EQ(r.reset->patientLabel, "(ingen hittad)");
    EXPECT_EQ(lookup.calls, (std::vector<std::string>{A, B}));
}

TEST_F(Win32Tracking, EachDialogTitleWinsOverTheDocumentWhileItIsOpen)
{
    openQ7(A);
    ASSERT_EQ(pass().lookedUp, A);
    struct Case {
        std::string commands;
    };
    const std::vector<Case> cases{
        {"top dialog ThunderRT6FormDC " + options.TidBokSearchString + " (" + B + ")"},
        {"top dialog ThunderRT6FormDC Patientbetalning " + options.EkonomiSearchString + " " + B},
        {"top dialog ThunderRT6FormDC Remiss " + options.RemissSearchString + " 17)\n"
         "child ref dialog MSMaskWndClass " + B},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commands);
        sim->send(c.commands);
        ASSERT_TRUE(sim->sync());
        const TrackingResult r = pass();
        EXPECT_EQ(r.candidates, std::vector<std::string>{B});
        EXPECT_EQ(r.lookedUp, B);
        sim->send("close dialog");
        ASSERT_TRUE(sim->sync());
        EXPECT_EQ(pass().lookedUp, A);
    }
}

TEST_F(Win32Tracking, StackingAndVisibilityCases)
{
    const std::string stackTag = "w" + std::to_string(GetCurrentProcessId());
    for (const StackingCase& c : stackingCases()) {
        SCOPED_TRACE(c.name);
        sim = std::make_unique<q7sim::Q7SimProcess>(win32test::windowsPath(TQ7_Q7SIM), "");
        ASSERT_TRUE(sim->send(withTag(c.script, stackTag)));
        ASSERT_TRUE(sim->sync());
        // Wine settles its window order from the X server's focus events a
        // little after the windows appear; a layer that lists windows in the
        // wrong order still fails every try.
        TrackingResult r;
        for (int tries = 0; tries < 20; ++tries) {
            state = {};
            lookup.calls.clear();
            r = tracker->Timer3Timer(stackingOptions(stackTag));
            if (r.message == c.message && r.lookedUp.value_or("") == c.followed)
                break;
            Sleep(50);
        }
        expectStackingOutcome(c, r);
        ASSERT_TRUE(sim->quit());
    }
}

TEST_F(Win32Tracking, ActiveDocumentIsTheMdiClientsActiveChild)
{
    openQ7(A);
    sim->send("child doc2 mdi ThunderRT6FormDC Journal 2\n"
              "child pnr2 doc2 MSMaskWndClass " + B);
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, B); // the document made last is the active one

    sim->send("raise doc");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, A);

    sim->send("close doc\nclose doc2");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().message, "Ingen aktiv MDIClient i Q7!");

    sim->send("close mdi");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().message, "Ingen MDIClient i Q7!");
}

TEST_F(Win32Tracking, TwoNumbersAreDecidedByTheBirthDateBox)
{
    sim->send("q7 " + options.Q7WindowTitle + "\n"
              "child doc mdi ThunderRT6FormDC Journal\n"
              "child p1 doc Edit " + A + "\n"
              "child p2 doc Edit " + B + "\n"
              "child born doc ThunderRT6TextBox 1934-05-06");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, B);

    sim->send("text born 1999-01-01");
    ASSERT_TRUE(sim->sync());
    const TrackingResult r = pass();
    EXPECT_EQ(r.message, "Ingen patient hittad i Q7!");
    EXPECT_TRUE(r.lamp.visible);
}

TEST_F(Win32Tracking, DesktopLayerReadsAnotherProgramsWindows)
{
    openQ7(A);
    sim->send("child frame doc ThunderRT6Frame\n"
              "child inner frame Edit " + B + "\n"
              "child last doc ThunderRT6TextBox Åsa Öberg\n"
              "top long Other " + std::string(300, 'x'));
    ASSERT_TRUE(sim->sync());
    const WindowId q7 = q7Window();
    ASSERT_NE(q7, 0u);
    const WindowId mdi = desktop.findChild(q7, "MDIClient");
    ASSERT_NE(mdi, 0u);
    const WindowId doc = desktop.mdiActiveChild(mdi);
    ASSERT_NE(doc, 0u);
    EXPECT_EQ(desktop.windowText(doc, 128), "Journal");

    // Controls in the order they were made, each before its own children;
    // texts of another process's controls through WM_GETTEXT.
    const std::vector<WindowId> ids = desktop.descendants(doc);
    const std::vector<platform::WindowFacts> facts = desktop.windowFacts(ids, {true, 128, true});
    std::vector<std::string> seen;
    for (const auto& f : facts)
        if (f.visible)
            seen.push_back(f.className + ":" + f.text);
    EXPECT_EQ(seen, (std::vector<std::string>{"ThunderRT6TextBox:Tolvan", "Edit:" + A,
                                              "ThunderRT6Frame:", "Edit:" + B,
                                              "ThunderRT6TextBox:Åsa Öberg"}));
    EXPECT_EQ(desktop.windowText(ids[1], 8), A.substr(0, 8));
    EXPECT_EQ(desktop.windowText(desktop.findWindow(std::nullopt, std::string(300, 'x')), 256),
              std::string(256, 'x'));

    const auto rect = desktop.windowRect(doc);
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->width(), 600);
    EXPECT_EQ(rect->height(), 400);

    sim->send("hide last");
    ASSERT_TRUE(sim->sync());
    EXPECT_FALSE(desktop.isVisible(ids.back()));
    EXPECT_TRUE(desktop.isVisible(ids.front()));
}

TEST_F(Win32Tracking, VanishedWindowsGiveEmptyAnswers)
{
    openQ7(A);
    const WindowId q7 = q7Window();
    ASSERT_NE(q7, 0u);
    const std::vector<WindowId> before = desktop.descendants(q7);
    ASSERT_FALSE(before.empty());
    sim->send("close q7");
    ASSERT_TRUE(sim->sync());

    EXPECT_TRUE(desktop.descendants(q7).empty());
    EXPECT_TRUE(desktop.children(q7).empty());
    EXPECT_FALSE(desktop.windowRect(q7).has_value());
    EXPECT_FALSE(desktop.captureWindow(q7).has_value());
    EXPECT_EQ(desktop.mdiActiveChild(before.front()), 0u);
    for (const platform::WindowFacts& f : desktop.windowFacts(before, {true, 256, true}))
        EXPECT_EQ(f, platform::WindowFacts{});
    EXPECT_EQ(pass().message, "Q7 är inte igång!");
}

TEST_F(Win32Tracking, CaptionBarIsCapturedWithItsPaintedNumber)
{
    openQ7(A);
    sim->send("child caption doc MIAQ7CAPTIONBAR " + B);
    ASSERT_TRUE(sim->sync());
    const WindowId doc = desktop.mdiActiveChild(desktop.findChild(q7Window(), "MDIClient"));
    WindowId bar = 0;
    for (WindowId w : desktop.descendants(doc))
        if (desktop.className(w) == "MIAQ7CAPTIONBAR")
            bar = w;
    ASSERT_NE(bar, 0u);
    // Below the windows of the other tests that run at the same time: Wine
    // copies another program's window from the screen.
    sim->send("geometry q7 480 680 800 340\nraise q7");
    ASSERT_TRUE(sim->sync());

    // Wine puts a program's painting on the screen a moment later.
    std::optional<platform::Capture> cap;
    int textLeft = 0, textRight = 0;
    auto pixel = [&](int x, int y) {
        const std::uint8_t* p = cap->bgr.data() + y * cap->stride + x * 3;
        return std::vector<int>{p[0], p[1], p[2]};
    };
    const std::vector<int> barColour{147, 84, 0};
    // Until the bar is painted the area is white, which would pass for text.
    for (int attempt = 0; attempt < 30 && (textRight == 0 || pixel(0, cap->height - 1) != barColour);
         ++attempt, Sleep(100)) {
        cap = desktop.captureWindow(bar);
        ASSERT_TRUE(cap.has_value());
        ASSERT_EQ(cap->width, 600);
        ASSERT_EQ(cap->height, 24);
        ASSERT_GE(cap->stride, cap->width * 3);
        // White text only in the strip at the right end that the reader captures.
        textLeft = textRight = 0;
        for (int y = 0; y < cap->height; ++y)
            for (int x = 0; x < cap->width; ++x)
                if (pixel(x, y) == std::vector<int>{255, 255, 255})
                    (x < cap->width - 154 ? textLeft : textRight)++;
    }
    // The bar's own colour (blue, green, red bytes) at the bottom left, where
    // the recognition takes its reference colour.
    EXPECT_EQ(pixel(0, cap->height - 1), barColour);
    EXPECT_EQ(textLeft, 0);
    EXPECT_GT(textRight, 50);
}

TEST_F(Win32Tracking, NumberOnlyDrawnInTheCaptionBarIsRecognised)
{
    sim->send("q7 " + options.Q7WindowTitle + "\n"
              "child doc mdi ThunderRT6FormDC Journal\n"
              "child caption doc MIAQ7CAPTIONBAR " + B + "\n"
              "child name doc ThunderRT6TextBox Tolvan\n"
              // Below the other tests' windows: Wine copies another program's
              // window from the screen.
              "geometry q7 480 680 800 340\n"
              "raise q7");
    ASSERT_TRUE(sim->sync());
    Recognition recognition(desktop);
    ClinicWindowTracker ocrTracker(desktop, state, lookup, recognition);
    // Wine puts a program's painting on the screen a moment later.
    TrackingResult r;
    for (int attempt = 0; attempt < 20 && !r.personFound; ++attempt, Sleep(100))
        r = ocrTracker.Timer3Timer(options);
    EXPECT_EQ(r.candidates, std::vector<std::string>{B});
    EXPECT_EQ(r.lookedUp, B);
    EXPECT_TRUE(r.fromOcr);
    EXPECT_TRUE(r.lamp.visible);
    EXPECT_EQ(r.lamp.fill, kLampLime);

    sim->send("text caption " + A);
    ASSERT_TRUE(sim->sync());
    r = {};
    for (int attempt = 0; attempt < 20 && !r.lookedUp; ++attempt, Sleep(100))
        r = ocrTracker.Timer3Timer(options);
    EXPECT_EQ(r.lookedUp, A);
    EXPECT_EQ(lookup.calls, (std::vector<std::string>{B, A}));
}

} // namespace
