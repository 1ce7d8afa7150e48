#include "kit/effect/ViewInput.h"

#include <gtest/gtest.h>

#include <climits>

TEST(ViewInput, PointsModifiersAndWheelSteps) {
    int x = 0, y = 0;
    ViewPointToEditor(10.7, 20.2, 757, &x, &y);
    EXPECT_EQ(x, 8);
    EXPECT_EQ(y, 734);

    const IMouseMod command = ViewMouseMod(kViewCommandKeyMask | kViewShiftKeyMask, false);
    EXPECT_TRUE(command.L && command.R && command.S);
    EXPECT_FALSE(command.C || command.A);
    const IMouseMod right = ViewMouseMod(kViewControlKeyMask | kViewAlternateKeyMask, true);
    EXPECT_FALSE(right.L || right.S);
    EXPECT_TRUE(right.R && right.C && right.A);

    EXPECT_EQ(ViewWheelSteps(-2.7), -2);
    EXPECT_EQ(ViewWheelSteps(1e300), INT_MAX);
}

TEST(ViewInput, KeyCodes) {
    const struct {
        int number;
        const char* chars;
        int code;
    } cases[] = {
        {0, "a", 15},
        {0, "Z", 40},
        {0, "7", 12},
        {kViewKeySpace, " ", kKeySpace},
        {kViewKeyLeftArrow, "\xEF\x9C\x82", kKeyLeftArrow}, // arrows carry a private character
        {kViewKeyUpArrow, "x", kKeyUpArrow},
        {0, "?", kViewKeyPassedOn},
        {0, "\xC3\xA9", kViewKeyPassedOn}, // one character of two bytes
        {0, "", kViewKeyDropped},          // a dead key
        {0, "ab", kViewKeyDropped},
        {0, nullptr, kViewKeyDropped},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ViewKeyCode(c.number, c.chars), c.code) << (c.chars ? c.chars : "null");
}
