#include "kit/winl/winl.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <sys/stat.h>

TEST(WinlTime, SleepAndTickCountGoThroughTheClockAndTheTickWrapsAt32Bits) {
    testsupport::ManualClock clock;
    Sleep(25);
    Sleep(0);
    EXPECT_EQ(clock.SleptNanos(), 25100000) << "zero still pauses 100 microseconds";
    clock.AdvanceMillis((int64_t(1) << 32) - int64_t(GetTickCount()) + 7);
    EXPECT_EQ(GetTickCount(), 7u);
}

TEST(WinlNumbers, MulDivTruncatesAndRefusesWhatDoesNotFit) {
    // The third case's product exceeds 32 bits.
    const std::array<int, 4> cases[] = {{5, 3, 0, 0},
                                        {-7, 1, 2, -3},
                                        {100000, 100000, 100000, 100000},
                                        {1 << 30, 4, 2, -1},
                                        {-(1 << 30), 4, 2, INT32_MIN}};
    for (const auto& [a, b, c, result] : cases)
        EXPECT_EQ(MulDiv(a, b, c), result) << a << " " << b << " " << c;
}

TEST(WinlNumbers, ControlfpSetsTheRoundingThatArithmeticUses) {
    // The whole control word comes back shifted by 2: 0x037F, every exception masked, is 0xDF.
    volatile double x = 2.5, y = -2.5;
    EXPECT_EQ(_controlfp(0x300, 0x300), 0x3DFu);
    EXPECT_EQ(std::nearbyint(x), 2.0);
    EXPECT_EQ(std::nearbyint(y), -2.0);
    EXPECT_EQ(_controlfp(0, 0x100), 0x2DFu) << "only the masked bit changes";
    EXPECT_EQ(std::nearbyint(x), 3.0);
    EXPECT_EQ(_controlfp(0x100, 0x300), 0x1DFu);
    EXPECT_EQ(std::nearbyint(y), -3.0);
    EXPECT_EQ(_controlfp(0xFFFF, 0), 0x1DFu) << "no rounding bits in the mask: only a read";
    EXPECT_EQ(_controlfp(0, 0x300), 0xDFu);
    EXPECT_EQ(fegetround(), FE_TONEAREST);
}

TEST(WinlRect, PointsIntersectionsAndUnions) {
    const RECT flipped{0, 10, 10, 0};
    EXPECT_TRUE(WINL_PtInRect(&flipped, POINT{9, 0}));
    EXPECT_FALSE(WINL_PtInRect(&flipped, POINT{10, 5}));
    EXPECT_FALSE(WINL_PtInRect(&flipped, POINT{5, 10}));

    const RECT a{0, 0, 10, 10}, b{10, 0, 20, 10}, c{5, 5, 15, 15}, empty{3, 3, 3, 9};
    RECT d{1, 2, 3, 4};
    const auto got = [&d](int result) {
        return std::array{result, d.left, d.top, d.right, d.bottom};
    };
    EXPECT_EQ(got(WinIntersectRect(&d, &a, &b)), (std::array{0, 10, 0, 10, 10})) << "an edge";
    EXPECT_EQ(got(WinIntersectRect(&d, &a, &c)), (std::array{1, 5, 5, 10, 10}));
    EXPECT_EQ(got(WinIntersectRect(&d, &a, &empty)), (std::array{0, 0, 0, 0, 0}));
    EXPECT_EQ(got(WinUnionRect(&d, &empty, &c)), (std::array{1, 3, 3, 15, 15}))
        << "an empty rectangle counts too";
}

TEST(WinlStorage, MovableBlocksFileTimesAndStreamHandles) {
    HGLOBAL block = GlobalAlloc(0, -5);
    EXPECT_EQ(GlobalSize(block), 0) << "a negative size is none";
    GlobalFree(block);

    FILE* fp = tmpfile();
    ASSERT_NE(fp, nullptr);
    struct stat st;
    ASSERT_EQ(fstat(fileno(fp), &st), 0);
    FILETIME write{};
    EXPECT_EQ(GetFileTime(fileno(fp), nullptr, nullptr, &write), 1);
    EXPECT_EQ(write.dwLowDateTime | uint64_t(write.dwHighDateTime) << 32,
              uint64_t(st.st_mtime) * 10000000ull + 116444736000000000ull);
    EXPECT_EQ(GetFileTime(-1, nullptr, nullptr, &write), 0);

    auto* h = new WINL_FileHandle(fp);
    int n = -1, high = 0;
    EXPECT_EQ(WriteFile(h, "hello", 5, &n), 1);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(SetFilePointer(h, 1, &high), 1);
    EXPECT_EQ(GetFileSize(h, &high), 5);
    EXPECT_EQ(GetFilePointer(h, nullptr), 1) << "the size query seeks back";
    char buf[8] = {};
    EXPECT_EQ(ReadFile(h, buf, 3, &n), 1);
    EXPECT_STREQ(buf, "ell");
    EXPECT_EQ(ReadFile(h, buf, 8, &n), 1);
    EXPECT_EQ(ReadFile(h, buf, 8, &n), 0) << "nothing left";
    high = 1;
    EXPECT_EQ(SetFilePointer(h, 0, &high), -1) << "no high word";
    EXPECT_EQ(high, -1);
    EXPECT_EQ(CloseHandle(h), 1);
}
