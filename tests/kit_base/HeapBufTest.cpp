#include "kit/base/KIT_HeapBuf.h"
#include "kit/base/KIT_PtrList.h"
#include "kit/base/KIT_String.h"
#include "kit/base/KIT_TypedBuf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(HeapBuf, SmallGranularityGrowsByItsStepAndKeepsTheBlock) {
    KIT_HeapBuf b(128);
    b.Resize(10);
    EXPECT_EQ(b.GetAllocated(), 138);
    void* block = b.Get();
    b.Resize(100);
    EXPECT_EQ(b.GetAllocated(), 138);
    EXPECT_EQ(b.Get(), block);
    EXPECT_EQ(b.GetSize(), 100);
}

TEST(HeapBuf, PageGranularityAllocatesWholePagesLessHeader) {
    KIT_HeapBuf b(4096);
    b.Resize(60);
    EXPECT_EQ(b.GetAllocated(), 4000);
    b.Resize(5000);
    EXPECT_EQ(b.GetAllocated(), 8096);
}

TEST(HeapBuf, ShrinksOnlyWhenAskedAndFarLarger) {
    KIT_HeapBuf a(4096);
    a.Resize(30000);
    EXPECT_EQ(a.GetAllocated(), 40864);
    a.Resize(100, false);
    EXPECT_EQ(a.GetAllocated(), 40864);
    EXPECT_EQ(a.GetSize(), 100);

    KIT_HeapBuf b(4096);
    b.Resize(30000);
    memset(b.Get(), 0x5a, 100);
    b.Resize(100, true);
    EXPECT_EQ(b.GetAllocated(), 4000);
    EXPECT_EQ(static_cast<unsigned char*>(b.Get())[99], 0x5a);

    KIT_HeapBuf c(4096);
    c.Resize(5000);
    ASSERT_EQ(c.GetAllocated(), 8096);
    c.Resize(100, true); // within four granules of the request
    EXPECT_EQ(c.GetAllocated(), 8096);
}

TEST(HeapBuf, ZeroSizeReportsNullAndRefusesImpossibleSizes) {
    KIT_HeapBuf b(4096);
    b.Resize(10);
    EXPECT_EQ(b.Resize(0, true), nullptr);
    EXPECT_EQ(b.GetSize(), 0);
    EXPECT_EQ(b.Get(), nullptr);

    b.Resize(16);
    b.Resize(-5);
    EXPECT_EQ(b.GetSize(), 16);
}

TEST(HeapBuf, MinimumAllocationIsHonoured) {
    KIT_HeapBuf b(128, 1000);
    b.Resize(1);
    EXPECT_EQ(b.GetAllocated(), 1000);
}

TEST(TypedBuf, AddsDeletesAndKeepsValues) {
    KIT_TypedBuf<int> t(64);
    for (int i = 0; i < 100; ++i) ASSERT_NE(t.Add(i), nullptr);
    ASSERT_EQ(t.GetSize(), 100);
    t.Delete(0);
    t.Delete(98);
    t.Delete(500);
    ASSERT_EQ(t.GetSize(), 98);
    EXPECT_EQ(t.Get()[0], 1);
    EXPECT_EQ(t.Get()[97], 98);
    EXPECT_EQ(t.Resize(-1), nullptr);
    EXPECT_EQ(t.GetSize(), 98);
}

namespace {
struct Counted {
    explicit Counted(int* deaths, int* order = nullptr, int id = 0)
        : m_deaths(deaths), m_order(order), m_id(id) {}
    ~Counted() {
        ++*m_deaths;
        if (m_order) *m_order = *m_order * 10 + m_id;
    }
    int* m_deaths;
    int* m_order;
    int m_id;
};
} // namespace

TEST(PtrList, InsertFindDeleteAndOwnership) {
    int deaths = 0;
    KIT_PtrList<Counted> list;
    Counted* a = list.Add(new Counted(&deaths));
    Counted* b = list.Add(new Counted(&deaths));
    Counted* front = list.Insert(0, new Counted(&deaths));
    EXPECT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.Get(0), front);
    EXPECT_EQ(list.Find(b), 2);
    EXPECT_EQ(list.Get(3), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);

    list.Delete(1, true);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(list.Find(a), -1);
    EXPECT_TRUE(list.DeletePtr(b));
    EXPECT_EQ(deaths, 1);
    delete b;
    list.Empty(true);
    EXPECT_EQ(deaths, 3);
    EXPECT_EQ(list.GetSize(), 0);
}

TEST(PtrList, EmptyDeletesFromTheLastToTheFirst) {
    int deaths = 0, order = 0;
    KIT_PtrList<Counted> list;
    for (int id = 1; id <= 3; ++id) list.Add(new Counted(&deaths, &order, id));
    list.Empty(true);
    EXPECT_EQ(order, 321);
}

TEST(String, SetAppendFormatAndCut) {
    KIT_String s;
    EXPECT_STREQ(s.Get(), "");
    s.Set("hello world", 5);
    EXPECT_STREQ(s.Get(), "hello");
    s.Append(", there");
    EXPECT_STREQ(s.Get(), "hello, there");
    s.Append(s.Get()); // from itself
    EXPECT_STREQ(s.Get(), "hello, therehello, there");
    s.Set(s.Get() + 7); // a tail of itself
    EXPECT_STREQ(s.Get(), "therehello, there");
    s.SetFormatted(6, "%d-%s", 12345, "abc");
    EXPECT_STREQ(s.Get(), "12345-");
    s.SetLen(3);
    EXPECT_STREQ(s.Get(), "123");
    EXPECT_EQ(s.GetLength(), 3);
    s.Set(nullptr);
    EXPECT_STREQ(s.Get(), "");

    std::string longText(10000, 'x');
    s.Set(longText.c_str());
    EXPECT_EQ(s.GetLength(), 10000);
    KIT_String copy(s);
    EXPECT_EQ(copy.GetLength(), 10000);
}
