#pragma once
// Small helpers for the tests that run as Windows programs (under Wine on
// Linux).

#include <cstdlib>
#include <string>

namespace win32test {

// A program path as the build wrote it: a Unix path under Wine is on drive Z:.
inline std::string windowsPath(std::string path)
{
    if (!path.empty() && path.front() == '/') {
        for (char& c : path)
            if (c == '/')
                c = '\\';
        path = "Z:" + path;
    }
    return path;
}

// The tests that need windows run only where the test script gave a display
// (under Wine, the X display Wine shows its windows on).
inline bool haveDesktop()
{
    const char* display = std::getenv("TQ7_TEST_DISPLAY");
    return display && *display;
}

} // namespace win32test
