#include "app/WideText.h"

#include <gtest/gtest.h>

namespace {

// Both ways of the conversion at the faces' edge; a malformed input becomes U+FFFD, never lost or read past.
TEST(WideText, Conversions) {
    const struct {
        const char* name;
        std::u16string wide;
        std::string utf8;
        bool roundTrip; // the UTF-8 reads back as the same wide text
    } rows[] = {
        {"ASCII", u"a.bin", "a.bin", true},
        {"two-byte", u"\u00fc", "\xc3\xbc", true},
        {"three-byte", u"\u6f22", "\xe6\xbc\xa2", true},
        {"surrogate pair", u"\U0001F600", "\xf0\x9f\x98\x80", true},
        {"NUL kept", std::u16string(u"a\0b", 3), std::string("a\0b", 3), true},
        {"lone high surrogate", std::u16string(1, char16_t(0xD800)) + u"x", "\xef\xbf\xbdx", false},
        {"lone low surrogate", std::u16string(1, char16_t(0xDC00)), "\xef\xbf\xbd", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WideText::toUtf8(row.wide), row.utf8) << row.name;
        if (row.roundTrip) {
            EXPECT_EQ(WideText::fromUtf8(row.utf8), row.wide) << row.name;
        }
    }
}

TEST(WideText, MalformedUtf8) {
    const std::u16string bad(1, char16_t(0xFFFD));
    const struct {
        const char* name;
        std::string utf8;
        std::u16string wide;
    } rows[] = {
        {"stray continuation",
         "\x80"
         "a",
         bad + u"a"},
        {"cut at the end", "a\xe6\xbc", u"a" + bad + bad},
        {"overlong", "\xc0\xaf", bad + bad},
        {"encoded surrogate", "\xed\xa0\x80", bad + bad + bad},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", bad + bad + bad + bad},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WideText::fromUtf8(row.utf8), row.wide) << row.name;
}

} // namespace
