#include "WideText.h"

#include <windows.h>

namespace platform {

std::wstring widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
    return out;
}

std::string narrow(const wchar_t* utf16, std::size_t units)
{
    if (units == 0)
        return {};
    const int size = static_cast<int>(units);
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16, size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16, size, out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace platform
