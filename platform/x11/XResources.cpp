#include "XResources.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <sstream>

namespace platform {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::string ReadResourceManager(xcb_connection_t* connection, xcb_window_t root)
{
    static constexpr char name[] = "RESOURCE_MANAGER";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return {};
    // The whole property: its length is given in 32-bit units.
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> property(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_STRING, 0,
                                                1u << 24),
                               nullptr),
        &std::free);
    if (!property || property->format != 8)
        return {};
    const auto* data = static_cast<const char*>(xcb_get_property_value(property.get()));
    return std::string(data, static_cast<std::size_t>(xcb_get_property_value_length(property.get())));
}

std::optional<std::string> ResourceValue(const std::string& resources, const std::string& className,
                                         const std::string& name)
{
    // Most specific binding first.
    const std::array<std::string, 3> bindings = {className + "." + name, className + "*" + name,
                                                 "*" + name};
    std::optional<std::string> found;
    std::size_t foundRank = bindings.size();
    std::istringstream lines(resources);
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, colon));
        for (std::size_t rank = 0; rank < foundRank; ++rank)
            if (key == bindings[rank]) {
                found = trimmed(line.substr(colon + 1));
                foundRank = rank;
                break;
            }
    }
    return found;
}

bool SubPixelSmoothing(const std::string& resources)
{
    const auto antialias = ResourceValue(resources, "Xft", "antialias");
    const auto rgba = ResourceValue(resources, "Xft", "rgba");
    if (!antialias || !rgba)
        return false;
    const std::string on = lower(*antialias), order = lower(*rgba);
    const bool smoothing = on == "true" || on == "on" || on == "yes" || on == "1";
    const bool subPixel = order == "rgb" || order == "bgr" || order == "vrgb" || order == "vbgr";
    return smoothing && subPixel;
}

} // namespace platform
