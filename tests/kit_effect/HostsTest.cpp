#include "kit/effect/Hosts.h"
#include "kit/effect/Diagnostics.h"
#include "kit/effect/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

TEST(Hosts, KeysAreFoundInAnyCaseEarlierKeysWinAndNamesFollow) {
    const struct {
        const char* product;
        EHost host;
        const char* name;
    } table[] = {
        {"Steinberg CUBASE LE", kHostCubase, "Cubase"},
        {"nuendo and cubase", kHostCubase, "Cubase"},
        {"We deliver", kHostAbletonLive, "Live"},
        {"Melodyne", kHostMelodyneStudio, "Unknown"},
        {"PreSonus Studio One", kHostStudioOne, "StudioOne"},
        {"Standalone", kHostStandalone, "Standalone"},
        {"Bitwig Studio", kHostUnknown, "Unknown"},
        {nullptr, kHostUnknown, "Unknown"},
    };
    char name[32];
    for (const auto& row : table) {
        EXPECT_EQ(LookUpHost(row.product), row.host) << row.product;
        GetHostNameStr(row.host, name);
        EXPECT_STREQ(name, row.name) << row.product;
    }
    // Only the first 255 characters are looked at.
    EXPECT_EQ(LookUpHost((std::string(255, ' ') + "reaper").c_str()), kHostUnknown);
    EXPECT_EQ(LookUpHost((std::string(249, ' ') + "reaper").c_str()), kHostReaper);
    GetHostNameStr(kHostVegas, name); // named, never looked up
    EXPECT_STREQ(name, "Vegas");
    GetHostNameStr(EHost(-1), name);
    EXPECT_STREQ(name, "Unknown");
}

TEST(Diagnostics, TimestampsAndTheUtcOffset) {
    EXPECT_TRUE(IsWhitespace('\t') && IsWhitespace('\r') && !IsWhitespace(11));
    KIT_String stamp;
    CompileTimestamp("Dec  6 2026", "14:05:33", &stamp);
    EXPECT_STREQ(stamp.Get(), "[Dec 6 14:05]");
    EXPECT_STREQ(AppendTimestamp("Dec 16 2026", "14:05:33", "Zoz Editor"),
                 "Zoz Editor [Dec16 14:05]");

    const char* old = getenv("TZ");
    const std::string saved = old ? old : "";
    for (auto [tz, suffix] : std::vector<std::pair<const char*, std::string>>{
             {"UTC", "+0000"}, {"XXX+3:30", "-0330"}, {"XXX-13", "+1300"}}) {
        setenv("TZ", tz, 1);
        tzset();
        const std::string t = CurrentTime();
        ASSERT_EQ(t.size(), 20u) << t; // "YYYYMMDD HH:MM +hhmm"
        EXPECT_EQ(t.substr(15), suffix) << tz;
        EXPECT_EQ(t.substr(8, 1) + t.substr(11, 1), " :");
    }
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// Processor time: a sleep does not count, work does.
TEST(Timer, FiresOnceEachTimeThePeriodOfProcessorTimeHasPassed) {
    Timer t;
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_FALSE(t.Every(0.02));
    const std::clock_t start = std::clock();
    while (std::clock() - start < CLOCKS_PER_SEC / 40) {
    }
    EXPECT_TRUE(t.Every(0.02));
    EXPECT_FALSE(t.Every(0.02));
}
