#pragma once
// Window messages that carry a text in global atoms. A text of 256
// characters or more travels as a chain: each atom but the last ends in
// "@OM>" and the number of the atom with the next piece.

#include "platform/Desktop.h"

#include <string>

namespace toolkit {

inline constexpr const char* kAtomChainMark = "@OM>";

// Sends the message synchronously with the text's head atom as LPARAM and
// deletes the head atom afterwards; the receiver deletes the rest of the
// chain. A blank text travels as atom 0. Nothing is sent without a window.
// When the message could not be delivered the whole chain is deleted, since
// no receiver will. False when nothing was delivered.
bool SendTextMessage(platform::Desktop& desktop, platform::WindowId window,
                     platform::MessageId message, std::int64_t wParam, const std::string& text);

} // namespace toolkit
