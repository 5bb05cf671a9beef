#pragma once
// Test doubles for the tracking pass's collaborators.

#include "toolkit/core/PersonalNumber.h"
#include "app/core/Tracking.h"

#include <map>
#include <string>
#include <vector>

namespace app::testing {

// Records each lookup and stores the number as the lookup does.
class RecordingLookup : public PatientLookup {
public:
    explicit RecordingLookup(TrackingState& state) : state_(state) {}
    void LookupPatient(const std::string& number, bool pushAllowed) override
    {
        calls.push_back(number);
        pushAllowedEveryTime = pushAllowedEveryTime && pushAllowed;
        state_.currentPersonalNumber = toolkit::NumberForLookup(number);
        state_.PersonFound = true;
    }
    std::vector<std::string> calls;
    bool pushAllowedEveryTime = true;

private:
    TrackingState& state_;
};

// "Recognises" the text given per window, with the acceptance rules of recognition.
class ScriptedCaptionReader : public CaptionReader {
public:
    void ReadCaptionBar(platform::Desktop& d, platform::WindowId w, TrackingState& s) override
    {
        s.fontsmoothingon = clearType;
        read(d, w, s);
    }
    void ReadAppointmentCaption(platform::Desktop& d, platform::WindowId w, TrackingState& s) override
    {
        read(d, w, s);
    }
    std::map<platform::WindowId, std::string> recognised;
    std::vector<platform::WindowId> calls;
    bool clearType = false;

private:
    void read(platform::Desktop&, platform::WindowId w, TrackingState& s)
    {
        calls.push_back(w);
        auto it = recognised.find(w);
        if (it == recognised.end())
            return;
        if (auto number = toolkit::NumberFromRecognisedText(it->second)) {
            s.candidates.push_back(*number);
            s.OCRFoundPersonnr = true;
        }
    }
};

} // namespace app::testing
