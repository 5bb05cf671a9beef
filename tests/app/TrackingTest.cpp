#include "StackingCases.h"
#include "TrackingDoubles.h"

#include "platform/memory/MemoryDesktop.h"
#include "tools/q7sim/MemoryBackend.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

using namespace app;
using namespace app::testing;
using platform::MemoryDesktop;
using platform::WindowId;

namespace {

const std::string A = "19121212-1212";
const std::string B = "19340506-7890";
const std::string C = "20010203-4455";

// Q7 as the scenarios build it: main window, document area, one active document.
struct Q7Screen {
    MemoryDesktop desktop;
    WindowId main = 0, mdi = 0, doc = 0;

    WindowId openQ7(const std::string& title = "Q7 Kliniksystem - [Q7 Kliniksystem]")
    {
        main = desktop.add(0, "ThunderRT6Main", title);
        mdi = desktop.add(main, "MDIClient", "");
        doc = desktop.add(mdi, "ThunderRT6FormDC", "Patient");
        desktop.window(mdi).mdiActive = doc;
        return doc;
    }
    WindowId control(const char* cls, const std::string& text, WindowId parent = 0)
    {
        return desktop.add(parent ? parent : doc, cls, text);
    }
};

struct Expected {
    std::string message; // empty: a patient was found
    std::vector<std::string> candidates;
    std::vector<std::string> lookups;
    bool lampVisible = false;
    std::size_t ocrCalls = 0; // caption reader calls
};

struct Scenario {
    const char* name;
    std::function<void(Q7Screen&, ScriptedCaptionReader&, TrackingOptions&)> build;
    Expected expected;
};

std::ostream& operator<<(std::ostream& os, const Scenario& s)
{
    return os << s.name;
}

class TrackingScenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(TrackingScenarios, PassShowsWhatQ7Shows)
{
    const Scenario& s = GetParam();
    Q7Screen screen;
    ScriptedCaptionReader captions;
    TrackingOptions options;
    s.build(screen, captions, options);
    TrackingState state;
    RecordingLookup lookup(state);
    ClinicWindowTracker tracker(screen.desktop, state, lookup, captions);

    const TrackingResult r = tracker.Timer3Timer(options);

    EXPECT_EQ(r.message, s.expected.message);
    EXPECT_EQ(r.personFound, s.expected.message.empty());
    EXPECT_EQ(r.candidates, s.expected.candidates);
    EXPECT_EQ(lookup.calls, s.expected.lookups);
    EXPECT_TRUE(lookup.pushAllowedEveryTime);
    EXPECT_EQ(r.lookedUp.has_value(), !s.expected.lookups.empty());
    EXPECT_EQ(r.lamp.visible, s.expected.lampVisible);
    EXPECT_EQ(captions.calls.size(), s.expected.ocrCalls);
    EXPECT_EQ(r.reset.has_value(), !r.personFound);
    if (r.reset) {
        EXPECT_EQ(r.reset->trayHint, r.message);
        EXPECT_EQ(r.reset->patientLabel, "(ingen hittad)");
        EXPECT_EQ(r.reset->trayIcon, 2);
        EXPECT_TRUE(state.currentPersonalNumber.empty());
        EXPECT_TRUE(state.candidates.empty());
    }
}

// Q7WindowTitles1 and 3 stored, 2 missing.
TrackingOptions optionsWithTitleGap()
{
    const std::map<std::string, std::string> stored{{"Q7WindowTitles1", "Folktand"},
                                                    {"Q7WindowTitles3", "Klinikdata"}};
    return ReadTrackingOptions(
        {[&](const std::string&, const std::string& name) {
             auto it = stored.find(name);
             return it == stored.end() ? std::string("ERROR") : it->second;
         },
         [](const std::string&, const std::string&, const std::string& def) { return def; }});
}

INSTANTIATE_TEST_SUITE_P(
    Q7, TrackingScenarios,
    ::testing::Values(
        Scenario{"Q7NotRunning",
                 [](Q7Screen& s, auto&, auto&) { s.desktop.add(0, "Other", "Q7 Klinik - system"); },
                 {kQ7NotRunning, {}, {}, true}},
        Scenario{"NoMdiClient",
                 [](Q7Screen& s, auto&, auto&) { s.desktop.add(0, "Main", "Q7 Kliniksystem"); },
                 {kNoMdiClient, {}, {}, true}},
        Scenario{"NoActiveDocument",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.desktop.window(s.mdi).mdiActive = 0;
                 },
                 {kNoActiveMdiChild, {}, {}, true}},
        Scenario{"EditControlHoldsTheNumber",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Static", A);
                     s.control("Edit", "  " + A + " ");
                 },
                 {"", {A}, {A}, false}},
        Scenario{"NumberInANestedControlOfTheActiveDocumentOnly",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     const WindowId other = s.desktop.add(s.mdi, "ThunderRT6FormDC", "Annan");
                     s.control("Edit", B, other);
                     const WindowId frame = s.control("ThunderRT6Frame", "");
                     s.control("MSMaskWndClass", A, frame);
                 },
                 {"", {A}, {A}, false}},
        Scenario{"PaymentDialogWinsOverTheDocument",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", A);
                     s.desktop.add(0, "ThunderRT6FormDC", "Patientbetalning - Berit " + B);
                 },
                 {"", {B}, {B}, false}},
        Scenario{"BookingDialogNumberInBrackets",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.desktop.add(0, "ThunderRT6FormDC", "Boka/Boka om - Berit (" + B + ")");
                 },
                 {"", {B}, {B}, false}},
        Scenario{"BookingReferenceIsNoPersonalNumber",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", A);
                     s.desktop.add(0, "ThunderRT6FormDC", "Boka/Boka om - Tolvan (4217)");
                 },
                 {"", {A}, {A}, false}},
        Scenario{"BookingNumberIsTestedBeforeTrimming",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", A);
                     s.desktop.add(0, "ThunderRT6FormDC", "Boka/Boka om - Berit ( " + B + ")");
                     s.desktop.add(0, "ThunderRT6FormDC", "Patientbetalning          123");
                 },
                 {"", {A}, {A}, false}},
        Scenario{"ConfiguredSearchStrings",
                 [](Q7Screen& s, auto&, TrackingOptions& o) {
                     s.openQ7();
                     o.EkonomiSearchString = "Kassa";
                     s.desktop.add(0, "Dlg", "Patientbetalning " + A);
                     s.desktop.add(0, "Dlg", "Kassa " + B);
                 },
                 {"", {B}, {B}, false}},
        Scenario{"ReferralDialogControls",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", A);
                     const WindowId dlg = s.desktop.add(0, "Dlg", "Remiss (Remiss ID 17)");
                     s.control("Edit", "19121242-1212", dlg);
                     s.control("Edit", C, s.control("Frame", "", dlg));
                 },
                 {"", {C}, {C}, false}},
        Scenario{"TwoNumbersResolvedByTheBirthDateBox",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", A);
                     s.control("Edit", B);
                     s.control("ThunderRT6TextBox", "1912-12-13");
                     s.control("ThunderRT6TextBox", " 1934-05-06 ");
                 },
                 {"", {B, A}, {B}, false}},
        Scenario{"SameNumberInTwoControlsIsOnePatient",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", A);
                     s.control("MSMaskWndClass", " " + A);
                 },
                 {"", {A}, {A}, false}},
        Scenario{"TwoNumbersWithoutABirthDateBoxFallBackToTheCaption",
                 [](Q7Screen& s, ScriptedCaptionReader& c, auto&) {
                     s.openQ7();
                     s.control("Edit", A);
                     s.control("Edit", B);
                     s.control("Edit", "1912-12-12"); // a date in the wrong class
                     c.recognised[s.control("MIAQ7CAPTIONBAR", "")] = "200102034455";
                 },
                 {"", {C}, {C}, true, 1}},
        Scenario{"TwoNumbersAndNothingElse",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", A);
                     s.control("MSMaskWndClass", B);
                 },
                 {kNoPatientInQ7, {}, {}, true}},
        Scenario{"MaskedEditWithDay42IsIgnored",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("MSMaskWndClass", "19121242-1212");
                 },
                 {kNoPatientInQ7, {}, {}, true}},
        Scenario{"Day42IgnoredNextControlFollowed",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("MSMaskWndClass", "19121242-1212");
                     s.control("MSMaskWndClass", "19121272-1212");
                 },
                 {"", {"19121272-1212"}, {"19121272-1212"}, false}},
        Scenario{"SpecialQ7Number",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", "07129000-1234");
                 },
                 {"", {"07129000-1234"}, {"07129000-1234"}, false}},
        Scenario{"EditTextBeyond128CharactersIsCut",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7();
                     s.control("Edit", std::string(130, ' ') + A);
                     s.control("MSMaskWndClass", std::string(130, ' ') + B);
                 },
                 {"", {B}, {B}, false}},
        Scenario{"CaptionBarRecognitionLightsTheLamp",
                 [](Q7Screen& s, ScriptedCaptionReader& c, auto&) {
                     s.openQ7();
                     const WindowId bar = s.control("MIAQ7CAPTIONBAR", "");
                     c.recognised[bar] = "191212121212";
                     c.recognised[s.control("AfxWnd100", "Appointment")] = "193405067890";
                 },
                 {"", {A}, {A}, true, 1}},
        Scenario{"AppointmentWindowsByClassAndTitle",
                 [](Q7Screen& s, ScriptedCaptionReader& c, auto&) {
                     s.openQ7();
                     c.recognised[s.control("AfxWnd80", "Other")] = "191212121212";
                     c.recognised[s.control("AfxWnd90", "Appointment")] = "191212121212";
                     c.recognised[s.control("AfxWnd100", "Appointment")] = "1912121212"; // rejected
                     c.recognised[s.control("AfxWnd80", "Appointment")] = "193405067890";
                 },
                 {"", {B}, {B}, true, 2}},
        Scenario{"KnownTitlesComeBeforeTitleParts",
                 [](Q7Screen& s, auto&, auto&) {
                     s.openQ7("Ostrel Q7 Kliniksystem");
                     s.control("Edit", A);
                     const WindowId main = s.desktop.add(0, "Main", "Q7 Kliniksystem - Berit");
                     const WindowId mdi = s.desktop.add(main, "MDIClient", "");
                     s.desktop.window(mdi).mdiActive = s.desktop.add(mdi, "Doc", "");
                     s.desktop.add(s.desktop.window(mdi).mdiActive, "Edit", B);
                 },
                 {"", {A}, {A}, false}},
        Scenario{"TitlePartUpperCasesSwedishLetters",
                 [](Q7Screen& s, auto&, TrackingOptions& o) {
                     o.Q7WindowTitles = {"Tandvården", "Folktand"};
                     s.openQ7("TANDVÅRDEN Q7");
                     s.control("Edit", A);
                 },
                 {"", {A}, {A}, false}},
        Scenario{"EmptyConfiguredTitleMatchesNoUntitledWindow",
                 [](Q7Screen& s, auto&, TrackingOptions& o) {
                     o.Q7WindowTitle = "";
                     o.Q7WindowTitles = {""};
                     s.desktop.add(0, "Untitled", "");
                 },
                 {kQ7NotRunning, {}, {}, true}},
        Scenario{"Q7ByExactConfiguredTitle",
                 [](Q7Screen& s, auto&, TrackingOptions& o) {
                     o.Q7WindowTitle = "Tandvård";
                     s.openQ7("Tandvård");
                     s.control("Edit", A);
                 },
                 {"", {A}, {A}, false}},
        Scenario{"DefaultTitleQ7IsExact",
                 [](Q7Screen& s, auto&, auto&) { s.openQ7("Q7 Tandvård"); },
                 {kQ7NotRunning, {}, {}, true}},
        Scenario{"TitlePartIgnoresCaseAndHiddenWindows",
                 [](Q7Screen& s, auto&, auto&) {
                     s.desktop.add(0, "Main", "Mitt q7 KLINIKSYSTEM", false);
                     s.openQ7("Mitt q7 kliniksystem 2.0");
                     s.control("Edit", A);
                 },
                 {"", {A}, {A}, false}},
        Scenario{"TitleSeriesFirstEntryFindsQ7",
                 [](Q7Screen& s, auto&, TrackingOptions& o) {
                     o = optionsWithTitleGap();
                     s.openQ7("FOLKTAND journal");
                     s.control("Edit", A);
                 },
                 {"", {A}, {A}, false}},
        Scenario{"TitleSeriesAfterAGapIsNotRead",
                 [](Q7Screen& s, auto&, TrackingOptions& o) {
                     o = optionsWithTitleGap();
                     s.openQ7("KLINIKDATA 3");
                     s.control("Edit", A);
                 },
                 {kQ7NotRunning, {}, {}, true}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST(Tracking, StackingAndVisibilityCasesOnTheMemoryDesktop)
{
    for (const StackingCase& c : stackingCases()) {
        SCOPED_TRACE(c.name);
        MemoryDesktop desktop;
        q7sim::MemoryBackend backend(desktop);
        std::ostringstream replies;
        q7sim::Q7Sim sim(backend, replies);
        std::istringstream script(withTag(c.script, "mem"));
        for (std::string line; std::getline(script, line);)
            sim.run(line);
        ASSERT_EQ(replies.str(), "");
        TrackingState state;
        RecordingLookup lookup(state);
        NoCaptionReader captions;
        ClinicWindowTracker tracker(desktop, state, lookup, captions);
        expectStackingOutcome(c, tracker.Timer3Timer(stackingOptions("mem")));
    }
}

TEST(Tracking, SamePatientOnScreenIsLookedUpOnceUntilAPassFindsNobody)
{
    Q7Screen s;
    s.openQ7();
    const WindowId edit = s.control("Edit", A);
    TrackingState state;
    RecordingLookup lookup(state);
    NoCaptionReader captions;
    ClinicWindowTracker tracker(s.desktop, state, lookup, captions);
    const TrackingOptions options;

    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(tracker.Timer3Timer(options).personFound);
    EXPECT_EQ(lookup.calls, std::vector<std::string>{A});
    EXPECT_EQ(state.currentPersonalNumber, A);

    s.desktop.window(edit).text = B;
    EXPECT_EQ(tracker.Timer3Timer(options).lookedUp, B);

    s.desktop.window(edit).text = "";
    EXPECT_EQ(tracker.Timer3Timer(options).message, kNoPatientInQ7);
    EXPECT_EQ(state.currentPersonalNumber, "");

    s.desktop.window(edit).text = B;
    tracker.Timer3Timer(options);
    EXPECT_EQ(lookup.calls, (std::vector<std::string>{A, B, B}));
}

TEST(Tracking, ANumberInADialogTitleIsLookedUpOnceWhateverItsForm)
{
    for (const std::string title : {"Boka/Boka om - Tolvan (191212121212)", "Boka/Boka om - Tolvan (19121212-1212)",
                                    "Patientbetalning 19121212-1212"}) {
        Q7Screen s;
        s.openQ7();
        s.desktop.add(0, "ThunderRT6FormDC", title);
        TrackingState state;
        RecordingLookup lookup(state);
        NoCaptionReader captions;
        ClinicWindowTracker tracker(s.desktop, state, lookup, captions);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(tracker.Timer3Timer(TrackingOptions()).personFound) << title;
        EXPECT_EQ(lookup.calls, std::vector<std::string>{A}) << title;
    }
}

TEST(Tracking, ClosingThePaymentDialogGoesBackToTheDocument)
{
    Q7Screen s;
    s.openQ7();
    s.control("Edit", A);
    const WindowId dialog = s.desktop.add(0, "Dlg", "Patientbetalning " + B);
    TrackingState state;
    RecordingLookup lookup(state);
    NoCaptionReader captions;
    ClinicWindowTracker tracker(s.desktop, state, lookup, captions);

    tracker.Timer3Timer({});
    tracker.Timer3Timer({});
    s.desktop.remove(dialog);
    tracker.Timer3Timer({});
    EXPECT_EQ(lookup.calls, (std::vector<std::string>{B, A}));
}

TEST(Tracking, ClearTypeRecognitionTurnsTheLampRed)
{
    Q7Screen s;
    s.openQ7();
    ScriptedCaptionReader captions;
    captions.clearType = true;
    captions.recognised[s.control("MIAQ7CAPTIONBAR", "")] = "191212121212";
    TrackingState state;
    RecordingLookup lookup(state);
    ClinicWindowTracker tracker(s.desktop, state, lookup, captions);

    TrackingResult r = tracker.Timer3Timer({});
    EXPECT_TRUE(r.fromOcr);
    EXPECT_EQ(r.lamp, (OcrLamp{true, kLampRed, kLampMaroon}));

    // Q7 gone: the smoothing flag is cleared, the lamp is lit in lime.
    s.desktop.remove(s.main);
    r = tracker.Timer3Timer({});
    EXPECT_FALSE(r.fromOcr);
    EXPECT_EQ(r.lamp, (OcrLamp{true, kLampLime, kLampGreen}));
}

// A document window that closes while the pass reads it: listed, then gone.
class VanishingDesktop : public MemoryDesktop {
public:
    std::vector<WindowId> descendants(WindowId parent) override
    {
        std::vector<WindowId> out = MemoryDesktop::descendants(parent);
        remove(parent);
        return out;
    }
};

TEST(Tracking, WindowsVanishingMidPassEndInAMessage)
{
    VanishingDesktop d;
    const WindowId main = d.add(0, "Main", "Q7 Kliniksystem");
    const WindowId mdi = d.add(main, "MDIClient", "");
    const WindowId doc = d.add(mdi, "Doc", "");
    d.add(doc, "Edit", A);
    d.window(mdi).mdiActive = doc;
    TrackingState state;
    state.currentPersonalNumber = A;
    RecordingLookup lookup(state);
    NoCaptionReader captions;
    ClinicWindowTracker tracker(d, state, lookup, captions);

    const TrackingResult r = tracker.Timer3Timer({});
    EXPECT_EQ(r.message, kNoPatientInQ7);
    EXPECT_TRUE(r.reset.has_value());
    EXPECT_TRUE(state.currentPersonalNumber.empty());
    EXPECT_EQ(tracker.Timer3Timer({}).message, kNoActiveMdiChild);
}

TEST(Tracking, OptionsDefaultWhenNothingIsStored)
{
    const TrackingOptions o = ReadTrackingOptions(
        {[](const std::string&, const std::string&) { return std::string("ERROR"); },
         [](const std::string& section, const std::string&, const std::string& def) {
             EXPECT_EQ(section, "Q7-Floater");
             return def;
         }});
    EXPECT_EQ(o.TidBokSearchString, "Boka/Boka om");
    EXPECT_EQ(o.EkonomiSearchString, "Patientbetalning");
    EXPECT_EQ(o.RemissSearchString, "(Remiss ID");
    EXPECT_EQ(o.Q7WindowTitle, "Q7");
    EXPECT_TRUE(o.Q7WindowTitles.empty());
}

} // namespace
