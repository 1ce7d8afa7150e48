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
    int pos = c.GetInt(&i, 0);
    pos = c.GetBool(&b, pos);
    pos = c.GetStr(&s, pos);
    pos = c.GetDouble(&d, pos);
    EXPECT_EQ(pos, c.Size());
    EXPECT_EQ(i, 0x70666674);
    EXPECT_TRUE(b);
    EXPECT_STREQ(s.Get(), "ab");
    EXPECT_EQ(d, 1.0);
}

TEST(ByteChunk, ReadsThatDoNotFitFailAndLeaveTheTargetUntouched) {
    ByteChunk c;
    c.PutInt(7);
    int32_t v = 99;
    EXPECT_EQ(c.GetInt(&v, 1), -1);
    EXPECT_EQ(c.GetInt(&v, -1), -1);
    EXPECT_EQ(v, 99);
    double d = 5;
    EXPECT_EQ(c.GetDouble(&d, 0), -1);
    EXPECT_EQ(d, 5);

    KIT_String s("keep");
    ByteChunk negative;
    negative.PutInt(-4);
    EXPECT_EQ(negative.GetStr(&s, 0), -1);
    ByteChunk tooLong;
    tooLong.PutInt(10);
    tooLong.PutBytes("abc", 3);
    EXPECT_EQ(tooLong.GetStr(&s, 0), -1);
    ByteChunk huge;
    huge.PutInt(0x7fffffff);
    EXPECT_EQ(huge.GetStr(&s, 0), -1);
    EXPECT_STREQ(s.Get(), "keep");
}

TEST(ByteChunk, StringStopsAtItsFirstZeroAndEmptyLeavesTarget) {
    ByteChunk c;
    c.PutInt(4);
    c.PutBytes("a\0bc", 4);
    c.PutInt(0);
    KIT_String s("x");
    int pos = c.GetStr(&s, 0);
    EXPECT_EQ(pos, 8);
    EXPECT_STREQ(s.Get(), "a");
    EXPECT_EQ(c.GetStr(&s, pos), 12);
    EXPECT_STREQ(s.Get(), "a");
}

TEST(ByteChunk, ResizeZeroFillsAndAppendsChunks) {
    ByteChunk a, b;
    a.PutBytes("xy", 2);
    EXPECT_EQ(a.Resize(5), 5);
    EXPECT_EQ(a.GetData()[4], 0);
    b.PutChunk(&a);
    EXPECT_TRUE(a.IsEqual(b));
    a.Clear();
    EXPECT_EQ(a.Size(), 0);
    EXPECT_EQ(a.GetData(), nullptr);
    EXPECT_FALSE(a.IsEqual(b));
}
