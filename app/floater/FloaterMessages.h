#pragma once
// The registered messages between the floater, Orvana and a second floater,
// and the single-instance hand-over at process start. Plain C++ on the
// desktop layer.

#include "platform/Desktop.h"

#include <string>
#include <vector>

namespace floater {

inline constexpr const char* kApplicationTitle = "Tervalen Q7-koppling";
inline constexpr const char* kApplicationClass = "TApplication";
inline constexpr const char* kFloaterClass = "TQ7FloaterFrmOrvana";

struct RegisteredMessages {
    platform::MessageId setActiveFlik = 0;
    platform::MessageId setActivePatient = 0;
    platform::MessageId setActiveBildflik = 0;
    platform::MessageId setActivePersonnr = 0;
};

// Registers the four messages, in their fixed order.
RegisteredMessages registerMessages(platform::Desktop& desktop);

// The window of a floater that already runs, or 0: its application window
// must exist, and the floater window is the first top-level window of class
// "TQ7FloaterFrmOrvana" (any case) that is not the application window.
platform::WindowId findRunningFloater(platform::Desktop& desktop);

// The first parameter whose trimmed length is 12 or 13 and whose text passes
// the character test, trimmed; empty when there is none.
std::string handOverNumber(const std::vector<std::string>& args);

// Sends a message with a text: a text greater than a single blank travels as
// a global atom that lives only while the message is delivered; otherwise the
// message carries the given LPARAM. False when nothing was sent.
bool deliverMessage(platform::Desktop& desktop, platform::WindowId target, platform::MessageId msg,
                    std::int64_t wParam, const std::string& text, std::int64_t lParam);

enum class HandOver { NoFloater, Delivered, Failed };
// At process start: registers the messages and, when a floater already runs,
// hands it the personal number of the command line (SET_ACTIVE_PERSONNR) as
// a private text: a personal number must not stay readable in the window
// system after the hand-over.
HandOver handOverToRunningFloater(platform::Desktop& desktop, const std::vector<std::string>& args);

// The number a received SET_ACTIVE_PERSONNR carries, trimmed, or empty when
// the message is to be ignored (no text, or no whole personal number).
std::string receivedPersonnr(platform::Desktop& desktop, const platform::Message& message);

} // namespace floater
