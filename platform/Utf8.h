#pragma once
// Small UTF-8 helpers for texts read from other programs' windows, which may
// carry anything.

#include <cstddef>
#include <string>

namespace platform {

// Replaces every invalid byte sequence with U+FFFD.
std::string sanitizeUtf8(const std::string& s);
// Number of characters (code points) in valid UTF-8.
std::size_t utf8Length(const std::string& s);
// The first n characters of valid UTF-8.
std::string cutUtf8(const std::string& s, std::size_t n);
std::string latin1ToUtf8(const std::string& s);
// Characters outside Latin-1 become '?'.
std::string utf8ToLatin1(const std::string& s);

} // namespace platform
