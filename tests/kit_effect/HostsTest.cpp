#include "kit/effect/Hosts.h"
#include "kit/effect/Diagnostics.h"
#include "kit/effect/Timer.h"

#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(Hosts, EveryKeyOfTheTableIsFoundInAnyCase) {
    const struct {
        const char* product;
        EHost host;
        const char* name;
    } table[] = {
        {"Steinberg CUBASE LE", kHostCubase, "Cubase"},
        {"REAPER", kHostReaper, "Reaper"},
        {"Nuendo 4", kHostNuendo, "Nuendo"},
        {"Cakewalk Sonar", kHostSonar, "Sonar"},
        {"Samplitude Pro", kHostSamplitude, "Samplitude"},
        {"Fruity Loops", kHostFL, "FLStudio"},
        {"Ableton Live", kHostAbletonLive, "Live"},
        {"Melodyne", kHostMelodyneStudio, "Unknown"},
        {"vstmanlib scan", kHostVSTScanner, "VSTScanner"},
        {"AULab", kHostAULab, "AULab"},
        {"GarageBand", kHostGarageBand, "GarageBand"},
        {"Forte 4", kHostForte, "Forte"},
        {"Chainer", kHostChainer, "Chainer"},
        {"Adobe Audition", kHostAudition, "Audition"},
        {"Orion Platinum", kHostOrion, "Orion"},
        {"SAWStudio", kHostSAWStudio, "SAWStudio"},
        {"Logic Pro X", kHostLogic, "Logic"},
        {"Digital Performer", kHostDigitalPerformer, "DigitalPerformer"},
        {"AudioMulch", kHostAudioMulch, "AudioMulch"},
        {"PreSonus Studio One", kHostStudioOne, "StudioOne"},
        {"VST3PluginTestHost", kHostVST3TestHost, "VST3PluginTestHost"},
        {"ProTools", kHostProTools, "ProTools"},
        {"Ardour 8", kHostArdour, "Ardour"},
        {"Standalone", kHostStandalone, "Standalone"},
        {"", kHostUnknown, "Unknown"},
        {"Bitwig Studio", kHostUnknown, "Unknown"},
    };
    char name[32];
    for (const auto& row : table) {
        EXPECT_EQ(LookUpHost(row.product), row.host) << row.product;
        GetHostNameStr(row.host, name);
        EXPECT_STREQ(name, row.name) << row.product;
    }
}

TEST(Hosts, EarlierKeysWinAndSubstringsCount) {
    EXPECT_EQ(LookUpHost("nuendo and cubase"), kHostCubase);
    EXPECT_EQ(LookUpHost("We deliver"), kHostAbletonLive);
    EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
    // Only the first 255 characters are looked at.
    EXPECT_EQ(LookUpHost((std::string(255, ' ') + "reaper").c_str()), kHostUnknown);
    EXPECT_EQ(LookUpHost((std::string(249, ' ') + "reaper").c_str()), kHostReaper);
    char name[32];
    for (int id : {12, 29, -1, 10, 11, 19}) {
        GetHostNameStr(EHost(id), name);
        EXPECT_STREQ(name, "Unknown") << id;
    }
    GetHostNameStr(kHostVegas, name);
    EXPECT_STREQ(name, "Vegas");
}

TEST(Diagnostics, TextHelpers) {
    EXPECT_TRUE(IsWhitespace(' ') && IsWhitespace('\t') && IsWhitespace('\n') &&
                IsWhitespace('\r'));
    EXPECT_FALSE(IsWhitespace(11) || IsWhitespace(12));
    KIT_String stamp;
    CompileTimestamp("Dec  6 2026", "14:05:33", &stamp);
    EXPECT_STREQ(stamp.Get(), "[Dec 6 14:05]");
    CompileTimestamp("Dec 16 2026", "14:05:33", &stamp);
    EXPECT_STREQ(stamp.Get(), "[Dec16 14:05]");
    EXPECT_STREQ(AppendTimestamp("Dec 16 2026", "14:05:33", "Zoz Editor"),
                 "Zoz Editor [Dec16 14:05]");
}

TEST(Diagnostics, CurrentTimeEndsWithTheUtcOffset) {
    const char* old = getenv("TZ");
    const std::string saved = old ? old : "";
    const struct {
        const char* tz;
        const char* suffix;
    } zones[] = {{"UTC", "+0000"}, {"XXX-1", "+0100"}, {"XXX+3:30", "-0330"}, {"XXX-13", "+1300"}};
    for (const auto& z : zones) {
        setenv("TZ", z.tz, 1);
        tzset();
        const std::string t = CurrentTime();
        ASSERT_EQ(t.size(), 20u) << t; // "YYYYMMDD HH:MM +hhmm"
        EXPECT_EQ(t.substr(15), z.suffix) << z.tz;
        EXPECT_EQ(t[8], ' ');
        EXPECT_EQ(t[11], ':');
    }
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(Timer, FiresOnceEachTimeThePeriodHasPassed) {
    testsupport::ManualClock clock;
    Timer t;
    EXPECT_FALSE(t.Every(0.5));
    clock.AdvanceMillis(500);
    EXPECT_FALSE(t.Every(0.5)); // more than the period is needed
    clock.AdvanceMillis(1);
    EXPECT_TRUE(t.Every(0.5));
    EXPECT_FALSE(t.Every(0.5));
    clock.AdvanceMillis(499);
    EXPECT_FALSE(t.Every(0.5));
    clock.AdvanceMillis(2);
    EXPECT_TRUE(t.Every(0.5));
}
