#pragma once
// The floater reads other programs' windows, which only X11 lets it do.

#include <optional>
#include <string>
#include <vector>

namespace floater {

// The message line's text when the floater cannot see other programs' windows.
inline constexpr const char* kNoWindowSystem =
    "Andra programs fönster kan inte läsas här (X11 krävs): Q7 kan inte följas!";

// The Qt platform to ask for: "xcb", unless the user chose one with
// -platform on the command line or QT_QPA_PLATFORM (platformEnv, null when
// unset). Without it a Wayland session would give a floater that sees nothing.
std::optional<std::string> PlatformToRequest(const std::vector<std::string>& args, const char* platformEnv);

} // namespace floater
