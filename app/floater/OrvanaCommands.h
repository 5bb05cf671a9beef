#pragma once
// Commanding Orvana, the journal application on the same desktop: find its
// windows, bring it up, deliver a message, or start it when it is not running.

#include "platform/Desktop.h"

#include <string>

namespace floater {

inline constexpr const char* kOrvanaApplicationTitle = "Orvana";
inline constexpr const char* kOrvanaMainFormClass = "TOrvanaMainform";
inline constexpr const char* kOrvanaProgramFile = "orvana.exe";

// What starting Orvana needs.
struct OrvanaStart {
    std::string dirPrefix;       // folder of the program file; empty: the working directory
    std::string lastLookedUp;    // the number Orvana is started on
    std::string startParameters; // the setting OrvanaStartParameters ("" when absent)
};

// The program file "orvana.exe" under the prefix.
std::string OrvanaProgramFile(const std::string& dirPrefix);

enum class OrvanaSendResult { Delivered, Lost, Started, NotRunning };

// Sends a message to Orvana's main form, restoring a minimised Orvana or
// raising it first. When Orvana is not running and a start is allowed, the
// program file is started on the last looked-up number instead (the message
// is not sent then).
OrvanaSendResult SendToOrvana(platform::Desktop& desktop, platform::MessageId msg, std::int64_t wParam,
                              bool startAllowed, const std::string& text, std::int64_t lParam,
                              const OrvanaStart& start);

} // namespace floater
