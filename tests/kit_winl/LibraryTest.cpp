#include "kit/winl/winl.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// Loads of the test library record their entry-point calls in a log file.
class Library : public ::testing::Test {
protected:
    void SetUp() override {
        unlink(m_log.c_str());
        setenv("WINL_TESTLIB_LOG", m_log.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("WINL_TESTLIB_LOG");
        unsetenv("WINL_TESTLIB_REFUSE");
        unlink(m_log.c_str());
    }
    // The entry calls made since the last look, one "<entry> <reason>" per line.
    std::string calls() {
        std::stringstream ss;
        ss << std::ifstream(m_log).rdbuf();
        unlink(m_log.c_str());
        return ss.str();
    }

    const std::string m_log = "/tmp/winl-libtest-" + std::to_string(getpid()) + ".log";
};

} // namespace

TEST_F(Library, SecondLoadSharesTheRecordAndOnlyTheLastFreeDetaches) {
    HINSTANCE a = LoadLibrary(WINL_TESTLIB_PATH);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(calls(), "winl 1\ndll 1\n");
    HINSTANCE b = LoadLibraryGlobals(WINL_TESTLIB_PATH, true);
    EXPECT_EQ(b, a);
    EXPECT_EQ(calls(), "");

    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(a, "winlTestAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(a, "noSuchSymbol"), nullptr);
    char file[4096];
    GetModuleFileName(a, file, sizeof file);
    EXPECT_STREQ(file, WINL_TESTLIB_PATH);

    EXPECT_EQ(FreeLibrary(a), 1);
    EXPECT_EQ(calls(), "");
    EXPECT_EQ(FreeLibrary(b), 1);
    EXPECT_EQ(calls(), "winl 0\ndll 0\n");

    EXPECT_EQ(FreeLibrary(nullptr), 0);
    EXPECT_EQ(GetProcAddress(nullptr, "cos"), nullptr);
    for (const char* bad : {"", "/nonexistent/libnothing.so", "/tmp"})
        EXPECT_EQ(LoadLibrary(bad), nullptr) << bad;
    EXPECT_EQ(LoadLibrary(nullptr), nullptr);
}

TEST_F(Library, RefusedAttachesUnloadWithOnlyTheDetachesDue) {
    setenv("WINL_TESTLIB_REFUSE", "winl", 1);
    EXPECT_EQ(LoadLibrary(WINL_TESTLIB_PATH), nullptr);
    EXPECT_EQ(calls(), "winl 1\n");

    setenv("WINL_TESTLIB_REFUSE", "dll", 1);
    EXPECT_EQ(LoadLibrary(WINL_TESTLIB_PATH), nullptr);
    EXPECT_EQ(calls(), "winl 1\ndll 1\nwinl 0\n");

    // Nothing of the refused loads is left: the next load attaches afresh.
    unsetenv("WINL_TESTLIB_REFUSE");
    HINSTANCE h = LoadLibrary(WINL_TESTLIB_PATH);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(calls(), "winl 1\ndll 1\n");
    FreeLibrary(h);
    EXPECT_EQ(calls(), "winl 0\ndll 0\n");
}

TEST_F(Library, ModuleFileNameIsTheFileOfTheLastSymbolFound) {
    HINSTANCE libm = LoadLibrary("libm.so.6");
    ASSERT_NE(libm, nullptr);
    char buf[4096];
    EXPECT_EQ(GetModuleFileName(libm, buf, sizeof buf), 0) << "no symbol looked up yet";
    EXPECT_STREQ(buf, "");
    ASSERT_NE(GetProcAddress(libm, "cos"), nullptr);
    const int n = GetModuleFileName(libm, buf, sizeof buf);
    EXPECT_EQ(n, int(strlen(buf)));
    EXPECT_NE(std::string(buf).find("libm"), std::string::npos) << buf;
    EXPECT_EQ(GetModuleFileName(libm, buf, 3), 2);
    EXPECT_EQ(strlen(buf), 2u);
    FreeLibrary(libm);

    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    EXPECT_EQ(GetModuleFileName(nullptr, buf, sizeof buf), int(strlen(exe)));
    EXPECT_STREQ(buf, exe);
}
