#include "kit/effect/ByteChunk.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ByteChunk, ValuesAreRawLittleEndianAndStringsLengthPrefixed) {
    ByteChunk c;
    c.PutInt(0x70666674);
    c.PutBool(true);
    c.PutStr("ab");
    c.PutDouble(1.0);
    const uint8_t expected[] = {'t', 'f', 'f', 'p', 1, 2, 0, 0,    0,   'a',
                                'b', 0,   0,   0,   0, 0, 0, 0xf0, 0x3f};
    ASSERT_EQ(c.Size(), int(sizeof(expected)));
    EXPECT_EQ(memcmp(c.GetData(), expected, sizeof(expected)), 0);

    int32_t i = 0;
    bool b = false;
    KIT_String s;
    double d = 0;
    EXPECT_EQ(c.GetDouble(&d, c.GetStr(&s, c.GetBool(&b, c.GetInt(&i, 0)))), c.Size());
    EXPECT_EQ(i, 0x70666674);
    EXPECT_TRUE(b);
    EXPECT_STREQ(s.Get(), "ab");
    EXPECT_EQ(d, 1.0);

    ByteChunk copy; // grows zero-filled; appends whole chunks
    copy.PutChunk(&c);
    EXPECT_TRUE(copy.IsEqual(c));
    EXPECT_EQ(copy.Resize(24), 24);
    EXPECT_EQ(copy.GetData()[23], 0);
    EXPECT_FALSE(copy.IsEqual(c));
}

TEST(ByteChunk, ReadsThatDoNotFitFailAndLeaveTheTargetUntouched) {
    ByteChunk c;
    c.PutInt(7);
    int32_t v = 99;
    double d = 5;
    EXPECT_EQ(c.GetInt(&v, 1), -1);
    EXPECT_EQ(c.GetInt(&v, -1), -1);
    EXPECT_EQ(c.GetDouble(&d, 0), -1);
    EXPECT_EQ(v, 99);
    EXPECT_EQ(d, 5);

    // String lengths that are negative, beyond the bytes or beyond any chunk.
    KIT_String s("keep");
    for (int32_t length : {-4, 10, 0x7fffffff}) {
        ByteChunk bad;
        bad.PutInt(length);
        bad.PutBytes("abc", 3);
        EXPECT_EQ(bad.GetStr(&s, 0), -1) << length;
    }
    EXPECT_STREQ(s.Get(), "keep");
}
