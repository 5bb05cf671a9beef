#include "Desktop.h"

#ifdef _WIN32
#include "win32/Win32Desktop.h"
#else
#include "x11/X11Desktop.h"
#endif

namespace platform {

std::unique_ptr<Desktop> openSessionDesktop()
{
#ifdef _WIN32
    return std::make_unique<Win32Desktop>();
#else
    auto desktop = std::make_unique<X11Desktop>();
    if (!desktop->ok())
        return nullptr;
    return desktop;
#endif
}

} // namespace platform
