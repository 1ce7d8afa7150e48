#include "src/core/BankNameShortener.h"

#include <gtest/gtest.h>

TEST(BankNameShortener, LongNamesKeepTheirPrefixAndCountWithinAList) {
    const std::string a(47, 'a'), b(47, 'b');
    BankNameShortener shortener;
    const std::pair<std::string, std::string> list[] = {
        {std::string(48, 'x') + ".syx", std::string(48, 'x') + ".syx"}, // 52 bytes
        {a + "-one.SYX", a + "~1.syx"},                                 // 55 bytes
        {"short.mid", "short.mid"},
        {a + "-two.Mid", a + "~2.mid"},
        {b + "123456", b + "~1." + b + "123456"}, // no ".": the whole name
        {a + "-three.syx", a + "~1.syx"},
        {a + ".\xC3\x84XYZ", a + "~2.\xC3\x84xyz"}, // 53 bytes; only A to Z are folded
    };
    for (const auto& [name, shown] : list)
        EXPECT_EQ(shortener.shownName(name), shown) << name;

    // The next list counts again, from the prefix the last one ended with.
    shortener.startList();
    EXPECT_EQ(shortener.shownName(a + "-five.syx"), a + "~1.syx");
    EXPECT_EQ(shortener.shownName(a + "-six.syx"), a + "~2.syx");
}
