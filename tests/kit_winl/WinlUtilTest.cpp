#include "kit/winl/winl.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(WinlTime, SleepAndTickCountGoThroughTheClockAndTheTickWrapsAt32Bits) {
    testsupport::ManualClock clock;
    Sleep(25);
    Sleep(0);
    EXPECT_EQ(clock.SleptNanos(), 25100000) << "zero still pauses 100 microseconds";
    clock.AdvanceMillis((int64_t(1) << 32) - int64_t(GetTickCount()) + 7);
    EXPECT_EQ(GetTickCount(), 7u);

    char path[] = "/tmp/winl-filetime-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    struct stat st;
    ASSERT_EQ(fstat(fd, &st), 0);
    FILETIME write{};
    EXPECT_EQ(GetFileTime(fd, nullptr, nullptr, &write), 1);
    EXPECT_EQ(write.dwLowDateTime | uint64_t(write.dwHighDateTime) << 32,
              uint64_t(st.st_mtime) * 10000000ull + 116444736000000000ull);
    close(fd);
    unlink(path);
    EXPECT_EQ(GetFileTime(-1, nullptr, nullptr, &write), 0);
}

TEST(WinlNumbers, MulDivTruncatesAndRefusesWhatDoesNotFit) {
    const struct {
        int a, b, c, result;
    } cases[] = {{5, 3, 0, 0},
                 {-7, 1, 2, -3},
                 {100000, 100000, 100000, 100000}, // the product exceeds 32 bits
                 {1 << 30, 4, 2, -1},
                 {-(1 << 30), 4, 2, INT32_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " " << c.b << " " << c.c;
}

TEST(WinlNumbers, ControlfpSetsTheRoundingThatArithmeticUses) {
    volatile double x = 2.5, y = -2.5;
    EXPECT_EQ(_controlfp(0x300, 0x300), 0x300u);
    EXPECT_EQ(std::nearbyint(x), 2.0);
    EXPECT_EQ(std::nearbyint(y), -2.0);
    EXPECT_EQ(_controlfp(0, 0x100), 0x200u) << "only the masked bit changes";
    EXPECT_EQ(std::nearbyint(x), 3.0);
    EXPECT_EQ(_controlfp(0x100, 0x300), 0x100u);
    EXPECT_EQ(std::nearbyint(y), -3.0);
    EXPECT_EQ(_controlfp(0xFFFF, 0), 0x100u) << "no rounding bits in the mask: only a read";
    EXPECT_EQ(_controlfp(0, 0x300), 0u);
    EXPECT_EQ(fegetround(), FE_TONEAREST);
}

TEST(WinlRect, PointsIntersectionsAndUnions) {
    const RECT flipped{0, 10, 10, 0};
    EXPECT_TRUE(WINL_PtInRect(&flipped, POINT{9, 0}));
    EXPECT_FALSE(WINL_PtInRect(&flipped, POINT{10, 5}));
    EXPECT_FALSE(WINL_PtInRect(&flipped, POINT{5, 10}));

    const auto str = [](const RECT& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom);
    };
    const RECT a{0, 0, 10, 10}, b{10, 0, 20, 10}, c{5, 5, 15, 15}, empty{3, 3, 3, 9};
    RECT d{1, 2, 3, 4};
    EXPECT_EQ(WinIntersectRect(&d, &a, &b), 0) << "sharing only an edge";
    EXPECT_EQ(str(d), "10,0,10,10");
    EXPECT_EQ(WinIntersectRect(&d, &a, &c), 1);
    EXPECT_EQ(str(d), "5,5,10,10");
    EXPECT_EQ(WinIntersectRect(&d, &a, &empty), 0);
    EXPECT_EQ(str(d), "0,0,0,0");
    EXPECT_EQ(WinUnionRect(&d, &empty, &c), 1);
    EXPECT_EQ(str(d), "3,3,15,15") << "an empty rectangle counts too";
}

TEST(WinlStorage, MovableBlocksAndStreamHandles) {
    HGLOBAL block = GlobalAlloc(0, -5);
    EXPECT_EQ(GlobalSize(block), 0) << "a negative size is none";
    GlobalFree(block);

    FILE* fp = tmpfile();
    ASSERT_NE(fp, nullptr);
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
