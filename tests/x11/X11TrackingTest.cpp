// The tracking pass against q7sim on a real X server (Xvfb from the test
// script).

#include "../app/Q7SimTracking.h"
#include "../app/StackingCases.h"

#include "platform/Utf8.h"
#include "platform/x11/X11Desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>

using namespace app;
using namespace app::testing;
using platform::WindowId;
using platform::X11Desktop;

namespace {

const std::string A = "19121212-1212";
const std::string B = "19340506-7890";

class X11Tracking : public ::testing::Test, protected Q7SimTracking {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("TQ7_TEST_DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "TQ7_TEST_DISPLAY is not set";
        desktop = std::make_unique<X11Desktop>(display);
        ASSERT_TRUE(desktop->ok());
        sim = std::make_unique<q7sim::Q7SimProcess>(TQ7_Q7SIM, display);
        ASSERT_TRUE(sim->running());
        const std::string tag = std::to_string(getpid()) + "-" +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        useTitlesOf(tag);
        tracker = std::make_unique<ClinicWindowTracker>(*desktop, state, lookup, captions);
    }

    WindowId q7Window()
    {
        for (const TopLevelWindow& w : ReadTopLevelWindows(*desktop))
            if (w.title == options.Q7WindowTitle)
                return w.id;
        return 0;
    }

    std::unique_ptr<X11Desktop> desktop;
};

TEST_F(X11Tracking, FollowsQ7FromPatientToPatientAndNoticesItQuit)
{
    openQ7(A);
    TrackingResult r = pass();
    EXPECT_EQ(r.message, "");
    EXPECT_EQ(r.lookedUp, A);
    EXPECT_FALSE(r.lamp.visible);

    sim->send("text pnr " + B);
    ASSERT_TRUE(sim->sync());
    r = pass();
    EXPECT_EQ(r.lookedUp, B);
    EXPECT_EQ(pass().lookedUp, std::nullopt); // same patient: no second lookup

    ASSERT_TRUE(sim->quit());
    r = pass();
    EXPECT_EQ(r.message, "Q7 är inte igång!");
    ASSERT_TRUE(r.reset.has_value());
    EXPECT_EQ(r.reset->patientLabel, "(ingen hittad)");
    EXPECT_EQ(r.reset->trayIcon, 2);
    EXPECT_EQ(lookup.calls, (std::vector<std::string>{A, B}));
}

TEST_F(X11Tracking, ABookingDialogsNumberIsLookedUpOnceAndAReferenceNever)
{
    openQ7(B);
    sim->send("top book Dialog " + options.TidBokSearchString + " - Tolvan (191212121212)");
    ASSERT_TRUE(sim->sync());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(pass().personFound);
    EXPECT_EQ(lookup.calls, std::vector<std::string>{A});

    // A booking number in brackets names no patient: the document is followed.
    sim->send("close book\ntop ref Dialog " + options.TidBokSearchString + " - Tolvan (4217)");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, B);
    EXPECT_EQ(lookup.calls, (std::vector<std::string>{A, B}));
}

TEST_F(X11Tracking, StackingAndVisibilityCasesAsOnWindows)
{
    const std::string tag = "x" + std::to_string(getpid());
    for (const StackingCase& c : stackingCases()) {
        SCOPED_TRACE(c.name);
        sim = std::make_unique<q7sim::Q7SimProcess>(TQ7_Q7SIM, std::getenv("TQ7_TEST_DISPLAY"));
        ASSERT_TRUE(sim->send(withTag(c.script, tag)));
        ASSERT_TRUE(sim->sync());
        state = {};
        lookup.calls.clear();
        expectStackingOutcome(c, tracker->Timer3Timer(stackingOptions(tag)));
        ASSERT_TRUE(sim->quit());
    }
}

TEST_F(X11Tracking, ActiveDocumentIsTheTopmostShownOneAndDialogsWin)
{
    openQ7(A);
    sim->send("child doc2 mdi ThunderRT6FormDC Journal 2\n"
              "child pnr2 doc2 MSMaskWndClass " + B);
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, B);

    sim->send("raise doc");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, A);

    sim->send("hide doc\nhide doc2");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().message, "Ingen aktiv MDIClient i Q7!");

    sim->send("show doc\ntop pay Dialog " + options.EkonomiSearchString + " " + B);
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, B);
    sim->send("close pay");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, A);

    sim->send("close mdi");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().message, "Ingen MDIClient i Q7!");
}

TEST_F(X11Tracking, WindowsFramedByAWindowManagerAreFoundInsideTheirFrames)
{
    openQ7(A);
    sim->send("frame q7 1\n"
              "top pay Dialog " + options.EkonomiSearchString + " " + B + "\n"
              "frame pay 2\n"
              "top plain Other Ingen ram");
    ASSERT_TRUE(sim->sync());

    const std::vector<TopLevelWindow> windows = ReadTopLevelWindows(*desktop);
    std::vector<std::string> titles;
    for (const TopLevelWindow& w : windows)
        if (w.title.find(options.EkonomiSearchString) == 0 || w.title == options.Q7WindowTitle)
            titles.push_back(w.title);
    EXPECT_EQ(titles.size(), 2u);
    EXPECT_EQ(pass().lookedUp, B);
    sim->send("close pay-frame0");
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().lookedUp, A);
}

TEST_F(X11Tracking, DesktopLayerReadsTheTreeInCreationOrder)
{
    openQ7(A);
    sim->send("child frame doc ThunderRT6Frame\n"
              "child inner frame Edit " + B + "\n"
              "child last doc ThunderRT6TextBox 1912-12-12");
    ASSERT_TRUE(sim->sync());
    const WindowId q7 = q7Window();
    ASSERT_NE(q7, 0u);
    const WindowId mdi = desktop->findChild(q7, "MDIClient");
    ASSERT_NE(mdi, 0u);
    const WindowId doc = desktop->mdiActiveChild(mdi);
    ASSERT_NE(doc, 0u);

    const std::vector<WindowId> ids = desktop->descendants(doc);
    const std::vector<platform::WindowFacts> facts = desktop->windowFacts(ids, {true, 128, true});
    std::vector<std::string> seen;
    for (const auto& f : facts)
        seen.push_back(f.className + ":" + f.text);
    EXPECT_EQ(seen, (std::vector<std::string>{"ThunderRT6TextBox:Tolvan", "Edit:" + A,
                                              "ThunderRT6Frame:", "Edit:" + B,
                                              "ThunderRT6TextBox:1912-12-12"}));
    // The batch gives what one-at-a-time reads give.
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(desktop->className(ids[i]), facts[i].className);
        EXPECT_EQ(desktop->windowText(ids[i], 128), facts[i].text);
        EXPECT_TRUE(facts[i].visible);
    }
    const auto rect = desktop->windowRect(doc);
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->width(), 600);
    EXPECT_EQ(rect->height(), 400);
}

TEST_F(X11Tracking, VanishedWindowsGiveEmptyAnswers)
{
    openQ7(A);
    const WindowId q7 = q7Window();
    ASSERT_NE(q7, 0u);
    const std::vector<WindowId> before = desktop->descendants(q7);
    ASSERT_FALSE(before.empty());
    sim->send("close q7");
    ASSERT_TRUE(sim->sync());

    EXPECT_TRUE(desktop->descendants(q7).empty());
    EXPECT_TRUE(desktop->children(q7).empty());
    EXPECT_FALSE(desktop->windowRect(q7).has_value());
    EXPECT_EQ(desktop->mdiActiveChild(before.front()), 0u);
    for (const platform::WindowFacts& f : desktop->windowFacts(before, {true, 256, true}))
        EXPECT_EQ(f, platform::WindowFacts{});
    // The connection is still sound afterwards, and the BadWindow errors were
    // consumed rather than left queued.
    EXPECT_EQ(pass().message, "Q7 är inte igång!");
    xcb_generic_event_t* queued = xcb_poll_for_event(desktop->connection());
    EXPECT_EQ(queued, nullptr);
    std::free(queued);
}

TEST_F(X11Tracking, WindowsVanishingDuringPassesNeverBreakThem)
{
    openQ7(A);
    // q7sim closes and reopens the document, and Q7 itself, while passes
    // run; whatever a pass sees, it ends with a patient or a message.
    const std::string document = "child doc mdi ThunderRT6FormDC J\nchild pnr doc Edit " + A + "\n";
    std::string churn;
    for (int i = 0; i < 40; ++i) {
        churn += "close doc\n" + document;
        if (i % 4 == 3)
            churn += "close q7\nq7 " + options.Q7WindowTitle + "\n" + document;
    }
    ASSERT_TRUE(sim->send(churn));
    const std::vector<std::string> messages{"Q7 är inte igång!", "Ingen MDIClient i Q7!",
                                            "Ingen aktiv MDIClient i Q7!",
                                            "Ingen patient hittad i Q7!"};
    for (int i = 0; i < 40; ++i) {
        const TrackingResult r = pass();
        if (r.personFound)
            EXPECT_EQ(r.candidates, std::vector<std::string>{A});
        else
            EXPECT_NE(std::find(messages.begin(), messages.end(), r.message), messages.end())
                << r.message;
    }
    ASSERT_TRUE(sim->sync());
    EXPECT_EQ(pass().candidates, std::vector<std::string>{A});
}

TEST_F(X11Tracking, OverlongNonUtf8TitlesAndHugeTextsAreCutAndCleaned)
{
    openQ7(A);
    const std::string huge(200000, '7');
    sim->send("top junk Other \\xff\\xfe" + std::string(100000, 'x') + "\n"
              "child big doc Edit " + huge + "\n"
              "child bad doc MSMaskWndClass \\xc3\\x28" + B);
    ASSERT_TRUE(sim->sync());

    const TrackingResult r = pass();
    EXPECT_EQ(r.candidates, std::vector<std::string>{A});

    for (const TopLevelWindow& w : ReadTopLevelWindows(*desktop)) {
        if (w.title.rfind("\xEF\xBF\xBD\xEF\xBF\xBD" "xxx", 0) == 0) {
            EXPECT_EQ(platform::utf8Length(w.title), kFullTitleChars);
            EXPECT_EQ(platform::sanitizeUtf8(w.title), w.title);
        }
    }
    const WindowId doc = desktop->mdiActiveChild(desktop->findChild(q7Window(), "MDIClient"));
    const auto facts = desktop->windowFacts(desktop->descendants(doc), {true, 256, false});
    ASSERT_EQ(facts.size(), 4u);
    EXPECT_EQ(facts[2].text, std::string(256, '7'));
    EXPECT_EQ(facts[3].text, "\xEF\xBF\xBD(" + B);
}

} // namespace
