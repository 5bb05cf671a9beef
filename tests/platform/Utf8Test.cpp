#include "platform/Utf8.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Utf8, SanitizeReplacesInvalidSequences)
{
    struct Case { std::string in, out; } cases[] = {
        {"abc", "abc"},
        {"\xC3\xA5", "\xC3\xA5"},                       // å stays
        {"a\xFFz", "a\xEF\xBF\xBDz"},                   // stray byte
        {"\xC3", "\xEF\xBF\xBD"},                       // cut sequence
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},       // overlong '/'
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(sanitizeUtf8(c.in), c.out) << c.in;
}

TEST(Utf8, CutCountsCharactersNotBytes)
{
    EXPECT_EQ(cutUtf8("\xC3\xA5\xC3\xA4\xC3\xB6", 2), "\xC3\xA5\xC3\xA4");
    EXPECT_EQ(cutUtf8("abc", 10), "abc");
    EXPECT_EQ(utf8Length("\xC3\xA5x"), 2u);
}

TEST(Utf8, Latin1RoundTrip)
{
    EXPECT_EQ(latin1ToUtf8("\xE5"), "\xC3\xA5");
    EXPECT_EQ(utf8ToLatin1("\xC3\xA5"), "\xE5");
    EXPECT_EQ(utf8ToLatin1("\xE2\x82\xAC"), "?"); // the euro sign is not Latin-1
}
