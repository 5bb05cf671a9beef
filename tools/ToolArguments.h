#pragma once
// What every tool's command line shares: "--help" asks for the usage, and a
// word starting with "-" is a switch, never a file or folder name, so that
// a mistyped switch cannot create a folder named after it. Such a name can
// still be given as "./-name".

#include <string_view>

namespace tools {

inline bool IsHelpSwitch(std::string_view arg)
{
    return arg == "--help" || arg == "-h" || arg == "-?";
}

inline bool LooksLikeSwitch(std::string_view arg)
{
    return !arg.empty() && arg.front() == '-';
}

} // namespace tools
