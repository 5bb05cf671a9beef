#pragma once
// UTF-8 <-> UTF-16 for the Win32 API's wide-character functions.

#include <string>

namespace platform {

std::wstring widen(const std::string& utf8);
// Unpaired surrogates become U+FFFD.
std::string narrow(const wchar_t* utf16, std::size_t units);
inline std::string narrow(const std::wstring& utf16) { return narrow(utf16.data(), utf16.size()); }

} // namespace platform
