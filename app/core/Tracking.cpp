#include "Tracking.h"

#include "toolkit/core/PersonalNumber.h"
#include "toolkit/core/Text.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <utility>

namespace app {

using platform::WindowFacts;
using platform::WindowId;

namespace {

constexpr std::size_t kEditChars = 128;
constexpr std::size_t kMaskedEditChars = 256;

// Q7's main window titles, tried in this order before the configured ones.
constexpr const char* kQ7Titles[] = {
    "Q7 Kliniksystem - [Q7 Kliniksystem]",
    "Q7 Kliniksystem",
    "Ostrel Q7 Kliniksystem",
    "Ostrel Q7 Kliniksystem - [Ostrel Q7 Kliniksystem]",
};
constexpr const char* kQ7TitlePart = "Q7 Kliniksystem";

// Upper case for ASCII and the Latin-1 letters (å, ä, ö, é, ...) in UTF-8.
std::string upperCase(const std::string& text)
{
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        } else if (c == 0xC3 && i + 1 < out.size()) {
            const auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7) // U+00E0..U+00FE but ÷
                out[i + 1] = static_cast<char>(next - 0x20);
            ++i;
        }
    }
    return out;
}

bool contains(const std::string& text, const std::string& part)
{
    return !part.empty() && text.find(part) != std::string::npos;
}

bool isClass(const WindowFacts& facts, const char* cls)
{
    return toolkit::TrimControl(facts.className) == cls;
}

WindowId findByExactTitle(const std::vector<TopLevelWindow>& windows, const std::string& title)
{
    // An empty setting would take any untitled window for Q7.
    if (title.empty())
        return 0;
    for (const TopLevelWindow& w : windows)
        if (w.title == title)
            return w.id;
    return 0;
}

} // namespace

TrackingOptions ReadTrackingOptions(const SettingsReader& settings)
{
    TrackingOptions o;
    const auto orDefault = [&](const char* name, std::string& value) {
        value = settings.readOrDefault(kSettingsSection, name, value);
    };
    orDefault("TidBokSearchString", o.TidBokSearchString);
    orDefault("EkonomiSearchString", o.EkonomiSearchString);
    orDefault("RemissSearchString", o.RemissSearchString);
    orDefault("Q7WindowTitle", o.Q7WindowTitle);
    for (int n = 1;; ++n) {
        std::string title = settings.read(kSettingsSection, "Q7WindowTitles" + std::to_string(n));
        if (title == "ERROR")
            break;
        o.Q7WindowTitles.push_back(std::move(title));
    }
    return o;
}

std::vector<TopLevelWindow> ReadTopLevelWindows(platform::Desktop& desktop)
{
    const std::vector<WindowId> ids = desktop.topLevelWindows();
    const std::vector<WindowFacts> facts =
        desktop.windowFacts(ids, {.textChars = kFullTitleChars, .visible = true});
    std::vector<TopLevelWindow> out;
    out.reserve(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i)
        out.push_back({ids[i], facts[i].text, facts[i].visible});
    return out;
}

WindowId FindWindowByTitlePart(const std::vector<TopLevelWindow>& windows, const std::string& text)
{
    const std::string part = upperCase(text);
    WindowId found = 0;
    for (const TopLevelWindow& w : windows)
        if (w.visible && contains(upperCase(platform::cutUtf8(w.title, kTitleChars)), part))
            found = w.id;
    return found;
}

WindowId FindQ7Window(const std::vector<TopLevelWindow>& windows, const TrackingOptions& options)
{
    for (const char* title : kQ7Titles)
        if (WindowId w = findByExactTitle(windows, title))
            return w;
    if (WindowId w = FindWindowByTitlePart(windows, kQ7TitlePart))
        return w;
    if (WindowId w = findByExactTitle(windows, options.Q7WindowTitle))
        return w;
    for (const std::string& part : options.Q7WindowTitles)
        if (WindowId w = FindWindowByTitlePart(windows, part))
            return w;
    return 0;
}

Descendants ReadDescendants(platform::Desktop& desktop, WindowId window)
{
    Descendants d;
    d.ids = desktop.descendants(window);
    d.facts = desktop.windowFacts(d.ids, {.className = true, .textChars = kMaskedEditChars});
    return d;
}

void ScanControls(const Descendants& controls, std::vector<std::string>& candidates)
{
    for (const WindowFacts& f : controls.facts) {
        std::size_t maxChars;
        if (isClass(f, "Edit"))
            maxChars = kEditChars;
        else if (isClass(f, "MSMaskWndClass"))
            maxChars = kMaskedEditChars;
        else
            continue;
        // The same number in two controls is one patient, not two candidates
        // for the birth-date test to drop.
        auto number = toolkit::NumberFromControlText(platform::cutUtf8(f.text, maxChars));
        if (number && std::find(candidates.begin(), candidates.end(), *number) == candidates.end())
            candidates.push_back(std::move(*number));
    }
}

void ResolveByBirthDate(const Descendants& controls, std::vector<std::string>& candidates)
{
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const std::string birthDate = toolkit::BirthDateText(candidates[i]);
        for (const WindowFacts& f : controls.facts) {
            if (isClass(f, "ThunderRT6TextBox") && toolkit::TrimControl(f.text) == birthDate) {
                std::swap(candidates[0], candidates[i]);
                return;
            }
        }
    }
    candidates.clear();
}

ClinicWindowTracker::ClinicWindowTracker(platform::Desktop& desktop, TrackingState& state,
                                         PatientLookup& lookup, CaptionReader& captions)
    : desktop_(desktop), state_(state), lookup_(lookup), captions_(captions)
{
}

TrackingResult ClinicWindowTracker::Timer3Timer(const TrackingOptions& options)
{
    state_.PersonFound = false;
    lookedUp_.reset();
    // One snapshot of the top-level windows serves both the search for Q7 and
    // the dialog scan: a window system round trip per window is what makes a
    // pass slow.
    const std::vector<TopLevelWindow> windows = ReadTopLevelWindows(desktop_);
    const WindowId q7 = FindQ7Window(windows, options);
    state_.OCRFoundPersonnr = false;
    state_.fontsmoothingon = false;

    TrackingResult result;
    if (!q7)
        result.message = kQ7NotRunning;
    else if (!scanDialogs(windows, options))
        result.message = scanDocumentArea(q7);

    if (!state_.PersonFound) {
        state_.candidates.clear();
        state_.currentPersonalNumber.clear();
        DisplayReset reset;
        reset.trayHint = result.message;
        result.reset = std::move(reset);
    }
    result.personFound = state_.PersonFound;
    result.candidates = state_.candidates;
    result.lookedUp = lookedUp_;
    result.fromOcr = state_.OCRFoundPersonnr;
    result.lamp.visible = state_.OCRFoundPersonnr || state_.candidates.empty();
    result.lamp.fill = state_.fontsmoothingon ? kLampRed : kLampLime;
    result.lamp.outline = state_.fontsmoothingon ? kLampMaroon : kLampGreen;
    return result;
}

bool ClinicWindowTracker::scanDialogs(const std::vector<TopLevelWindow>& windows,
                                      const TrackingOptions& options)
{
    state_.candidates.clear();
    for (const TopLevelWindow& w : windows) {
        const std::string title = platform::cutUtf8(w.title, kTitleChars);
        if (title.empty())
            continue;
        if (contains(title, options.TidBokSearchString)) {
            if (auto number = toolkit::NumberFromBookingTitle(title))
                state_.candidates.push_back(std::move(*number));
        } else if (contains(title, options.EkonomiSearchString)) {
            if (auto number = toolkit::NumberFromPaymentTitle(title))
                state_.candidates.push_back(std::move(*number));
        } else if (contains(title, options.RemissSearchString)) {
            ScanControls(ReadDescendants(desktop_, w.id), state_.candidates);
        }
    }
    if (state_.candidates.empty())
        return false;
    follow(state_.currentPersonalNumber);
    return true;
}

std::string ClinicWindowTracker::scanDocumentArea(WindowId q7)
{
    const std::vector<WindowId> children = desktop_.children(q7);
    const std::vector<WindowFacts> facts = desktop_.windowFacts(children, {.className = true});
    WindowId mdiClient = 0;
    for (std::size_t i = 0; i < children.size() && !mdiClient; ++i)
        if (isClass(facts[i], "MDIClient"))
            mdiClient = children[i];
    if (!mdiClient)
        return kNoMdiClient;

    const std::string previousNumber = state_.currentPersonalNumber;
    state_.candidates.clear();
    const WindowId active = desktop_.mdiActiveChild(mdiClient);
    if (!active)
        return kNoActiveMdiChild;

    const Descendants controls = ReadDescendants(desktop_, active);
    ScanControls(controls, state_.candidates);
    if (state_.candidates.size() > 1)
        ResolveByBirthDate(controls, state_.candidates);
    if (state_.candidates.empty())
        scanCaptions(controls);
    if (state_.candidates.empty())
        return kNoPatientInQ7;
    follow(previousNumber);
    return {};
}

void ClinicWindowTracker::scanCaptions(const Descendants& controls)
{
    for (std::size_t i = 0; i < controls.ids.size(); ++i) {
        if (!state_.candidates.empty())
            continue;
        const WindowFacts& f = controls.facts[i];
        if (isClass(f, "MIAQ7CAPTIONBAR"))
            captions_.ReadCaptionBar(desktop_, controls.ids[i], state_);
        else if ((isClass(f, "AfxWnd80") || isClass(f, "AfxWnd100")) && toolkit::TrimControl(f.text) == "Appointment")
            captions_.ReadAppointmentCaption(desktop_, controls.ids[i], state_);
    }
}

void ClinicWindowTracker::follow(const std::string& previousNumber)
{
    state_.PersonFound = true;
    // Copied: the lookup may change the candidate list while it runs.
    const std::string number = state_.candidates.front();
    // The lookup stores the number hyphenated: compare in that form, or a
    // number shown without its hyphen would be looked up on every pass.
    if (toolkit::NumberForLookup(number) != previousNumber) {
        lookedUp_ = number;
        lookup_.LookupPatient(number, true);
    }
}

} // namespace app
