#pragma once
// The tracking pass: once a second the floater finds Q7's main window, works
// out which patient Q7 shows and hands a changed number to the patient lookup.
// Written against the desktop layer only, so the same pass runs on the
// in-memory desktop, on X11 and on Win32; it returns what the floater must
// show and a thin GUI layer applies that.

#include "platform/Desktop.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* kQ7NotRunning = "Q7 är inte igång!";
inline constexpr const char* kNoMdiClient = "Ingen MDIClient i Q7!";
inline constexpr const char* kNoActiveMdiChild = "Ingen aktiv MDIClient i Q7!";
inline constexpr const char* kNoPatientInQ7 = "Ingen patient hittad i Q7!";

inline constexpr const char* kSettingsSection = "Q7-Floater";

// What the pass reads from the settings.
struct TrackingOptions {
    std::string TidBokSearchString = "Boka/Boka om";
    std::string EkonomiSearchString = "Patientbetalning";
    std::string RemissSearchString = "(Remiss ID";
    std::string Q7WindowTitle = "Q7";
    // Q7WindowTitles1, 2, ... up to the first absent one.
    std::vector<std::string> Q7WindowTitles;
};

// The two reads of the settings store (toolkit::ReadSetting and
// toolkit::ReadSettingOrDefault); "read" gives "ERROR" for an absent value.
// The floater reads the options before each pass, so the window titles are
// as current as the settings.
struct SettingsReader {
    std::function<std::string(const std::string& section, const std::string& name)> read;
    std::function<std::string(const std::string& section, const std::string& name,
                              const std::string& defaultValue)>
        readOrDefault;
};
TrackingOptions ReadTrackingOptions(const SettingsReader& settings);

// The floater's state that the pass shares with the lookup and the caption
// readers. Only currentPersonalNumber carries over from one pass to the next.
struct TrackingState {
    // Index 0, after a search, is the number the floater follows.
    std::vector<std::string> candidates;
    // The hyphenated number the last lookup stored; cleared when no patient is found.
    std::string currentPersonalNumber;
    bool PersonFound = false;
    bool OCRFoundPersonnr = false;
    bool fontsmoothingon = false;
};

// The patient lookup. It stores the number it looks up as the current
// personal number of the shared state.
class PatientLookup {
public:
    virtual ~PatientLookup() = default;
    virtual void LookupPatient(const std::string& number, bool pushAllowed) = 0;
};

// Recognition of numbers that Q7 draws itself. A reader that recognises an
// accepted number adds it, hyphenated, to state.candidates and sets
// state.OCRFoundPersonnr; ReadCaptionBar also sets state.fontsmoothingon.
class CaptionReader {
public:
    virtual ~CaptionReader() = default;
    virtual void ReadCaptionBar(platform::Desktop& desktop, platform::WindowId window,
                                TrackingState& state) = 0;
    virtual void ReadAppointmentCaption(platform::Desktop& desktop, platform::WindowId window,
                                        TrackingState& state) = 0;
};

// For a floater without recognition: reads nothing.
class NoCaptionReader : public CaptionReader {
public:
    void ReadCaptionBar(platform::Desktop&, platform::WindowId, TrackingState&) override {}
    void ReadAppointmentCaption(platform::Desktop&, platform::WindowId, TrackingState&) override {}
};

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kLampRed{255, 0, 0}, kLampMaroon{128, 0, 0};
inline constexpr Rgb kLampLime{0, 255, 0}, kLampGreen{0, 128, 0};
inline constexpr Rgb kSilver{192, 192, 192};

// The OCR lamp: lit while the number came from recognition or none was found;
// red when recognition ran with ClearType smoothing (less reliable).
struct OcrLamp {
    bool visible = false;
    Rgb fill;
    Rgb outline;
    bool operator==(const OcrLamp&) const = default;
};

// What the floater shows after a pass that found no patient.
struct DisplayReset {
    std::string patientBarLabel = "Aktuell patient:"; // normal colours on the patient bar
    std::string patientLabel = "(ingen hittad)";     // also the compact patient line
    std::string countLabel = "Antal bilder: 0";
    Rgb countColour = kSilver; // count label and compact patient line
    bool modalityRowVisible = false;
    std::string trayHint; // the message-layer text
    int trayIcon = 2;
    bool messageLayerToFront = true;
};

struct TrackingResult {
    // Message-layer text; empty when a patient was found.
    std::string message;
    bool personFound = false;
    std::vector<std::string> candidates;
    // The number handed to LookupPatient in this pass, if any.
    std::optional<std::string> lookedUp;
    bool fromOcr = false;
    // Set when no patient was found: the display goes back to its empty face.
    std::optional<DisplayReset> reset;
    OcrLamp lamp;
};

// A top-level window as the pass sees it.
struct TopLevelWindow {
    platform::WindowId id = 0;
    std::string title; // up to kFullTitleChars characters
    bool visible = false;
};
inline constexpr std::size_t kTitleChars = 128;     // what title searches look at
inline constexpr std::size_t kFullTitleChars = 256; // what exact title matches look at

std::vector<TopLevelWindow> ReadTopLevelWindows(platform::Desktop& desktop);

// The last visible window whose title (its first 128 characters) contains the
// text, both upper-cased; 0 when none does or the text is empty.
platform::WindowId FindWindowByTitlePart(const std::vector<TopLevelWindow>& windows,
                                         const std::string& text);
// Q7's main window by its known titles, then by the configured ones; 0 when
// Q7 is not running.
platform::WindowId FindQ7Window(const std::vector<TopLevelWindow>& windows,
                                const TrackingOptions& options);

// A window's descendants with the facts the scans need.
struct Descendants {
    std::vector<platform::WindowId> ids;
    std::vector<platform::WindowFacts> facts;
};
Descendants ReadDescendants(platform::Desktop& desktop, platform::WindowId window);

// Adds every accepted number held by an "Edit" or "MSMaskWndClass" control,
// in window order, each number once.
void ScanControls(const Descendants& controls, std::vector<std::string>& candidates);
// With several candidates, moves the one whose birth date a "ThunderRT6TextBox"
// shows to the front; clears the list when no box shows any of them.
void ResolveByBirthDate(const Descendants& controls, std::vector<std::string>& candidates);

class ClinicWindowTracker {
public:
    ClinicWindowTracker(platform::Desktop& desktop, TrackingState& state, PatientLookup& lookup,
                        CaptionReader& captions);

    // One tracking pass. The caller keeps its timer off while this runs.
    TrackingResult Timer3Timer(const TrackingOptions& options);

private:
    bool scanDialogs(const std::vector<TopLevelWindow>& windows, const TrackingOptions& options);
    std::string scanDocumentArea(platform::WindowId q7);
    void scanCaptions(const Descendants& controls);
    void follow(const std::string& previousNumber);

    platform::Desktop& desktop_;
    TrackingState& state_;
    PatientLookup& lookup_;
    CaptionReader& captions_;
    std::optional<std::string> lookedUp_;
};

} // namespace app
