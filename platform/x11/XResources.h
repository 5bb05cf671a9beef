#pragma once
// The X resources the session publishes on the root window (what xrdb loads
// into RESOURCE_MANAGER), and what they say about font smoothing.

#include <xcb/xcb.h>

#include <optional>
#include <string>

namespace platform {

// The text of the root window's RESOURCE_MANAGER property; empty when unset.
std::string ReadResourceManager(xcb_connection_t* connection, xcb_window_t root);

// The value of a two-part resource such as "Xft.rgba" in a resource text:
// an exact "Xft.rgba" entry wins over "Xft*rgba", which wins over "*rgba".
// Values are trimmed; nullopt when no entry matches.
std::optional<std::string> ResourceValue(const std::string& resources, const std::string& className,
                                         const std::string& name);

// Sub-pixel ("ClearType") font smoothing: "Xft.antialias" is true (true, on,
// yes or 1, any case) and "Xft.rgba" names a sub-pixel order (rgb, bgr, vrgb
// or vbgr). An absent value, "none" or "unknown" means plain smoothing.
bool SubPixelSmoothing(const std::string& resources);

} // namespace platform
