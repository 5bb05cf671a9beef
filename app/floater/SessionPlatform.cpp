#include "SessionPlatform.h"

namespace floater {

std::optional<std::string> PlatformToRequest(const std::vector<std::string>& args, const char* platformEnv)
{
    if (platformEnv && *platformEnv)
        return std::nullopt;
    for (const std::string& a : args)
        if (a == "-platform" || a == "--platform" || a.rfind("-platform=", 0) == 0 ||
            a.rfind("--platform=", 0) == 0)
            return std::nullopt;
    return "xcb";
}

} // namespace floater
