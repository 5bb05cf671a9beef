// One tracking pass on X11 against q7sim playing a busy desktop: Q7 with three
// document windows of about 60 controls each, plus 40 other top-level windows.
// Reads the display from TQ7_TEST_DISPLAY or DISPLAY (run.sh starts Xvfb).
//
// BM_Pass is the pass as the floater runs it; BM_PassOneRequestAtATime is the
// same pass with the desktop's one-window-at-a-time reads, for comparison.
// "per_window" is the time per window the pass enumerates.

#include "app/core/Tracking.h"
#include "platform/x11/X11Desktop.h"
#include "tools/q7sim/Q7SimProcess.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

constexpr int kDocuments = 3;
constexpr int kControlsPerDocument = 60;
constexpr int kOtherWindows = 40;

std::string display()
{
    for (const char* name : {"TQ7_TEST_DISPLAY", "DISPLAY"})
        if (const char* v = std::getenv(name); v && *v)
            return v;
    return {};
}

std::string busyDesktop()
{
    std::string s;
    for (int i = 0; i < kOtherWindows; ++i)
        s += "top other" + std::to_string(i) + " Program Dokument " + std::to_string(i) + "\n";
    s += "q7\n";
    static const char* classes[] = {"Static", "ThunderRT6TextBox", "Edit", "ThunderRT6CommandButton",
                                    "MSMaskWndClass", "ThunderRT6ComboBox"};
    for (int d = 0; d < kDocuments; ++d) {
        const std::string doc = "doc" + std::to_string(d);
        s += "child " + doc + " mdi ThunderRT6FormDC Journal " + std::to_string(d) + "\n";
        s += "child " + doc + "caption " + doc + " MIAQ7CAPTIONBAR\n";
        // Two group frames hold most controls, as Q7's forms do.
        s += "child " + doc + "f0 " + doc + " ThunderRT6Frame\n";
        s += "child " + doc + "f1 " + doc + " ThunderRT6Frame\n";
        for (int c = 0; c < kControlsPerDocument - 3; ++c) {
            const std::string parent = c < 10 ? doc : doc + "f" + std::to_string(c % 2);
            const char* cls = classes[c % 6];
            std::string text = "Fält " + std::to_string(c);
            if (c == 20)
                text = "1912121" + std::to_string(d) + "-1212";
            s += "child " + doc + "c" + std::to_string(c) + " " + parent + " " + cls + " " + text + "\n";
        }
    }
    return s;
}

class NoLookup : public app::PatientLookup {
public:
    void LookupPatient(const std::string&, bool) override {}
};

// The same desktop without the batched reads.
class OneAtATimeDesktop : public platform::X11Desktop {
public:
    using X11Desktop::X11Desktop;
    std::vector<platform::WindowId> descendants(platform::WindowId parent) override
    {
        return Desktop::descendants(parent);
    }
    std::vector<platform::WindowFacts> windowFacts(const std::vector<platform::WindowId>& windows,
                                                   const platform::FactRequest& request) override
    {
        return Desktop::windowFacts(windows, request);
    }
};

// Windows one pass enumerates: the top-level ones, Q7's children, the
// documents and the active document's descendants.
std::size_t windowsEnumerated(platform::Desktop& desktop, const app::TrackingOptions& options)
{
    const auto top = app::ReadTopLevelWindows(desktop);
    const platform::WindowId q7 = app::FindQ7Window(top, options);
    const platform::WindowId mdi = desktop.findChild(q7, "MDIClient");
    return top.size() + desktop.children(q7).size() + desktop.children(mdi).size() +
           desktop.descendants(desktop.mdiActiveChild(mdi)).size();
}

void runPasses(benchmark::State& st, platform::X11Desktop& desktop)
{
    if (!desktop.ok()) {
        st.SkipWithError("no X display");
        return;
    }
    const app::TrackingOptions options;
    app::TrackingState state;
    NoLookup lookup;
    app::NoCaptionReader captions;
    app::ClinicWindowTracker tracker(desktop, state, lookup, captions);
    if (tracker.Timer3Timer(options).candidates != std::vector<std::string>{"19121212-1212"}) {
        st.SkipWithError("the pass does not see q7sim's patient");
        return;
    }
    for (auto _ : st)
        benchmark::DoNotOptimize(tracker.Timer3Timer(options));
    const auto windows = static_cast<double>(windowsEnumerated(desktop, options));
    st.counters["per_window"] = benchmark::Counter(
        windows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    st.counters["windows"] = windows;
}

void BM_Pass(benchmark::State& st)
{
    platform::X11Desktop desktop(display().c_str());
    runPasses(st, desktop);
}

void BM_PassOneRequestAtATime(benchmark::State& st)
{
    OneAtATimeDesktop desktop(display().c_str());
    runPasses(st, desktop);
}

BENCHMARK(BM_Pass)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_PassOneRequestAtATime)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    const std::string name = display();
    if (name.empty()) {
        std::cerr << "No X display: set TQ7_TEST_DISPLAY or DISPLAY (run.sh starts Xvfb).\n";
        return 1;
    }
    q7sim::Q7SimProcess sim(TQ7_Q7SIM, name);
    sim.send(busyDesktop());
    if (!sim.sync()) {
        std::cerr << "q7sim did not build the desktop\n";
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
