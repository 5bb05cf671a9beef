#pragma once
// Text helpers of the settings layer: UTF-8 <-> UTF-16 and the trimming rule.

#include <string>

namespace toolkit {

std::u16string Utf8ToUtf16(const std::string& s);
std::string Utf16ToUtf8(const std::u16string& s);
// Removes leading and trailing characters at or below U+0020.
std::string TrimControl(const std::string& s);
// ASCII upper-casing, for case-blind key and value names.
std::string UpperAscii(std::string s);

} // namespace toolkit
