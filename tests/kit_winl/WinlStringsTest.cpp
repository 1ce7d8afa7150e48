#include "kit/winl/winl-misc.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

namespace wsys = platform::wsys;

std::u16string unitsOf(const char* s) {
    wsys::Ref<wsys::String> str = wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(s));
    return str->Units();
}

TEST(WinlStrings, BytesBecomePlatformStrings) {
    EXPECT_EQ(unitsOf(nullptr), u"");
    EXPECT_EQ(unitsOf("a\xC3\xA9"), u"a\u00E9");           // UTF-8
    EXPECT_EQ(unitsOf("a\xE9z"), u"a\u00E9z");             // not UTF-8: a character a byte
    EXPECT_EQ(unitsOf("\xF0\x9F\x8E\xB9"), u"\U0001F3B9"); // beyond 16 bits: a pair
}

TEST(WinlStrings, PlatformStringsIntoBuffers) {
    const struct {
        std::u16string text;
        int len;
        const char* expected;
    } cases[] = {
        {u"a\u00E9", 4, "a\xC3\xA9"}, // fits with its terminator
        {u"a\u00E9", 3, "a\xC3"},     // cut inside the character
        {u"a\u00E9", 2, "a"},
        {u"a\u00E9", 1, ""},
        {u"x\xD800y", 9, "x\xEF\xBF\xBDy"}, // an unpaired surrogate, replaced
        {u"x\xD800y", 3, "x\xEF"},
    };
    for (const auto& c : cases) {
        char buf[16];
        memset(buf, 'Q', sizeof buf);
        auto str = wsys::Make<wsys::String>(c.text);
        WINL_CFStringToCString(str.get(), buf, c.len);
        EXPECT_STREQ(buf, c.expected) << c.len;
        EXPECT_EQ(buf[c.len], 'Q') << "wrote past " << c.len;
    }
    char buf[2] = {'Q', 'Q'};
    WINL_CFStringToCString(nullptr, buf, 2);
    EXPECT_EQ(buf[0], 0);
    WINL_CFStringToCString(nullptr, buf, 0);
    EXPECT_EQ(buf[1], 'Q');
}

} // namespace
