#include "Utf8.h"

namespace platform {

namespace {
// Length of the valid sequence starting at s[i], or 0 when it is invalid.
std::size_t sequenceLength(const std::string& s, std::size_t i)
{
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t len;
    char32_t cp;
    if (c < 0x80)
        return 1;
    else if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else
        return 0;
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are invalid.
    static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    return len;
}
} // namespace

std::string sanitizeUtf8(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = sequenceLength(s, i);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s, i, len);
            i += len;
        }
    }
    return out;
}

std::size_t utf8Length(const std::string& s)
{
    std::size_t n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

std::string cutUtf8(const std::string& s, std::size_t n)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == n)
                return s.substr(0, i);
            ++chars;
        }
    }
    return s;
}

std::string latin1ToUtf8(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string utf8ToLatin1(const std::string& s)
{
    const std::string valid = sanitizeUtf8(s);
    std::string out;
    for (std::size_t i = 0; i < valid.size();) {
        const std::size_t len = sequenceLength(valid, i);
        const auto c = static_cast<unsigned char>(valid[i]);
        if (len == 1)
            out += static_cast<char>(c);
        else if (len == 2 && c <= 0xC3)
            out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(valid[i + 1]) & 0x3F));
        else
            out += '?';
        i += len;
    }
    return out;
}

} // namespace platform
