#include "kit/base/KIT_AssocArray.h"
#include "kit/base/KIT_StringKeyedArray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_disposed;
void disposeString(char* v) {
    g_disposed.push_back(v);
    free(v);
}

template <class V> std::string keysOf(const KIT_AssocArray<const char*, V>& m) {
    std::string out;
    for (int i = 0; i < m.GetSize(); ++i) {
        const char* k = nullptr;
        m.EnumeratePtr(i, &k);
        out += std::string(k) + ",";
    }
    return out;
}

} // namespace

TEST(StringKeyedArray, KeepsCopiedKeysInOrderAndFindsEach) {
    KIT_StringKeyedArray<int> m;
    char scratch[] = "m";
    EXPECT_TRUE(m.Insert(scratch, 0));
    strcpy(scratch, "q"); // the stored key is a copy
    const char* keys[] = {"c", "x", "a", "q", "b", "z", "k"};
    int v = 1;
    for (const char* k : keys)
        EXPECT_TRUE(m.Insert(k, v++));
    EXPECT_EQ(keysOf(m), "a,b,c,k,m,q,x,z,");
    v = 1;
    for (const char* k : keys)
        EXPECT_EQ(m.Get(k, -1), v++) << k;
    EXPECT_EQ(m.Get("m", -1), 0);
    EXPECT_EQ(m.Find("n"), -1);
    EXPECT_EQ(m.Get("zz", -7), -7);
    EXPECT_EQ(m.EnumeratePtr(8), nullptr);
}

TEST(StringKeyedArray, ReplacingKeepsTheStoredKeyAndEveryValueIsDisposedOnce) {
    g_disposed.clear();
    {
        KIT_StringKeyedArray<char*> m(false, disposeString);
        m.Insert("Volume", strdup("1"));
        m.Insert("VOLUME", strdup("2"));
        EXPECT_EQ(keysOf(m), "Volume,");
        EXPECT_STREQ(m.Get("volume"), "2");
        for (const char* k : {"a", "b", "c"})
            m.Insert(k, strdup(k));
        EXPECT_TRUE(m.Delete("B"));
        EXPECT_FALSE(m.Delete("b"));
        m.DeleteByIndex(0);
        EXPECT_EQ(g_disposed, (std::vector<std::string>{"1", "b", "a"}));
    }
    EXPECT_EQ(g_disposed, (std::vector<std::string>{"1", "b", "a", "c", "2"}));

    KIT_StringKeyedArray<int> exact(true);
    exact.Insert("Volume", 1);
    exact.Insert("volume", 2);
    EXPECT_EQ(keysOf(exact), "Volume,volume,");
}

TEST(StringKeyedArray, ResortKeepsOnlyTheLastAddedOfEqualKeys) {
    g_disposed.clear();
    KIT_StringKeyedArray<char*> m(false, disposeString);
    for (const char* kv : {"b1", "a1", "B2", "c1", "b3"})
        m.AddUnsorted(std::string(kv, 1).c_str(), strdup(kv));
    m.Resort();
    EXPECT_EQ(keysOf(m), "a,b,c,");
    EXPECT_STREQ(m.Get("b"), "b3");
    EXPECT_EQ(g_disposed, (std::vector<std::string>{"b1", "B2"}));
}

TEST(AssocArray, AddressKeysCompareAsUnsignedNumbers) {
    KIT_AssocArray<void*, int> m([](void* a, void* b) {
        const auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    });
    void* high = reinterpret_cast<void*>(~uintptr_t(0) - 15);
    void* low = reinterpret_cast<void*>(uintptr_t(16));
    m.Insert(high, 2);
    m.Insert(low, 1);
    void* first;
    EXPECT_EQ(*m.EnumeratePtr(0, &first), 1);
    EXPECT_EQ(first, low);
    EXPECT_EQ(m.Get(high), 2);
}
