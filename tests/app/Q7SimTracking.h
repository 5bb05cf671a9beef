#pragma once
// The tracking pass against a running q7sim, shared by the X11 and the Win32
// tests. Tests run in parallel on one display, so each gives its Q7 window and
// dialogs titles of its own and finds Q7 by the configured exact title.

#include "TrackingDoubles.h"

#include "tools/q7sim/Q7SimProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace app::testing {

struct Q7SimTracking {
    void useTitlesOf(const std::string& tag)
    {
        options.Q7WindowTitle = "Q7 test " + tag;
        options.TidBokSearchString = "Boka " + tag;
        options.EkonomiSearchString = "Betalning " + tag;
        options.RemissSearchString = "(Remiss " + tag;
    }

    // Q7 with one active document holding an edit control named "pnr".
    void openQ7(const std::string& number)
    {
        sim->send("q7 " + options.Q7WindowTitle + "\n"
                  "child doc mdi ThunderRT6FormDC Journal\n"
                  "child name doc ThunderRT6TextBox Tolvan\n"
                  "child pnr doc Edit " + number);
        ASSERT_TRUE(sim->sync());
    }

    TrackingResult pass() { return tracker->Timer3Timer(options); }

    std::unique_ptr<q7sim::Q7SimProcess> sim;
    TrackingOptions options;
    TrackingState state;
    RecordingLookup lookup{state};
    NoCaptionReader captions;
    std::unique_ptr<ClinicWindowTracker> tracker;
};

} // namespace app::testing
