#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using testsupport::SynthSimulator;

// F0 3E 0F 00 id, `size` bytes in all with F7 last, the name written at nameOffset.
Bytes dump(uint8_t id, int size, int nameOffset = 0, const char* name = "") {
    Bytes d(size_t(size), 0x00);
    const uint8_t head[] = {0xF0, 0x3E, 0x0F, 0x00, id};
    std::memcpy(d.data(), head, std::min(sizeof head, d.size()));
    for (size_t i = 0; name[i] && nameOffset + i < d.size(); ++i)
        d[nameOffset + i] = uint8_t(name[i]);
    d.back() = 0xF7;
    return d;
}

Bytes sound(int size, const char* name = "") { return dump(0x10, size, 371, name); }
Bytes multi(int size, const char* name = "") { return dump(0x11, size, 23, name); }
Bytes pattern(int size, const char* name = "") { return dump(0x13, size, 15, name); }
const Bytes kGlobal = SynthSimulator::blankDump(0, 0x14, 0, 0);
const Bytes kParameterChange = {0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x01, 0x05, 0xF7};

} // namespace

TEST(LibrarianCollection, TakesOnlyACompleteDumpOfItsKindNamedByThatDump) {
    Bytes foreign = sound(393, "Foreign");
    foreign[1] = 0x3F;
    const struct Case {
        Mode mode;
        Bytes message;
        const char* name; // null: not taken
    } cases[] = {
        {kSounds, sound(393, "Bright Pad \xE9\xFF  "), "Bright Pad \xE9\xFF  "},
        {kSounds, sound(390, "Shortest"), "Shortest\0\0\0\0\0\0\0\0"},
        {kSounds, sound(400, "Longest"), "Longest\0\0\0\0\0\0\0\0\0"},
        {kSounds, sound(389), nullptr},
        {kSounds, sound(401), nullptr},
        {kSounds, multi(393), nullptr},
        {kSounds, foreign, nullptr},
        {kSounds, kParameterChange, nullptr},
        {kSounds, {0xF0}, nullptr},
        {kMultis, multi(393, "Sequencer Multi "), "Sequencer Multi "},
        {kMultis, sound(393), nullptr},
        {kPatterns, pattern(545, "INIT Sequence   "), "INIT Sequence   "},
        {kPatterns, pattern(540, "Cut to 540"), "Cut to 540\0\0\0\0\0\0"},
        {kPatterns, pattern(LibrarianRequest::kLongestDump, "Long"), "Long\0\0\0\0\0\0\0\0\0\0\0\0"},
        {kPatterns, pattern(539), nullptr},
        {kPatterns, pattern(LibrarianRequest::kLongestDump + 1), nullptr},
        {kPatterns, sound(393), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + ", " + std::to_string(c.message.size()) +
                     " bytes");
        RequestRig rig(c.mode);
        rig.librarian.upperSlotIndex = 7;
        rig.plugin.SetLibrarianRequestActive(true);
        rig.manager.dumpAwaited = true; // collecting wins over an awaited dump
        rig.deliver(c.message);

        const LibrarianPatch& entry = rig.slot(c.mode, 7);
        const bool taken = c.name != nullptr;
        EXPECT_EQ(rig.storedSlots(c.mode), taken ? 1 : 0);
        EXPECT_EQ(rig.plugin.answerFlag, taken);
        EXPECT_EQ(rig.anyCollectionArmed(), !taken);
        EXPECT_EQ(rig.plugin.viewUpdates, taken ? 1 : 0);
        EXPECT_TRUE(rig.plugin.reducedParamChanges().empty());
        if (!taken) continue;
        EXPECT_EQ(entry.name, std::string(c.name, 16));
        ASSERT_EQ(entry.dumps.size(), 1u);
        EXPECT_EQ(entry.dumps[0].bytes, c.message);
    }
}

TEST(LibrarianCollection, ASoundDumpNeitherCompletesNorEntersAPatternCollection) {
    RequestRig rig(kPatterns);
    rig.plugin.SetLibrarianRequestActive(true);
    rig.deliver(sound(393, "A sound"));
    rig.deliver(pattern(545, "The pattern"));
    const LibrarianPatch& entry = rig.slot(kPatterns, 0);
    ASSERT_EQ(entry.dumps.size(), 1u);
    EXPECT_EQ(entry.dumps[0].messageId(), 0x13);
    EXPECT_EQ(entry.name.substr(0, 11), "The pattern");
}

TEST(LibrarianCollection, ACompletedDumpWithoutABankIsNoAnswer) {
    RequestRig rig(kSounds);
    rig.librarian.soundBanks.clear();
    rig.plugin.SetLibrarianRequestActive(true);
    rig.deliver(sound(393));
    EXPECT_FALSE(rig.plugin.answerFlag);
    EXPECT_FALSE(rig.anyCollectionArmed());
    EXPECT_EQ(rig.plugin.viewUpdates, 0);
}

TEST(SysExDispatch, FlagsDecideWhatAMessageDoesAndWhetherTheEditorIsRefreshed) {
    const struct Case {
        const char* name;
        bool awaited, suppressed, refreshLeftSet;
        Bytes message;
        bool answered;
        bool awaitedAfter;
        int refreshes;
    } cases[] = {
        {"global dump not awaited", false, false, false, kGlobal, false, false, 0},
        {"awaited global dump", true, false, false, kGlobal, true, false, 1},
        {"awaited, refresh suppressed", true, true, true, kGlobal, true, false, 0},
        {"392-byte multi: only the wait ends", true, false, false, multi(392), false, false, 1},
        {"pattern of 542 bytes", true, false, false, pattern(542), true, false, 1},
        {"pattern of 541 bytes", true, false, false, pattern(541), false, false, 1},
        {"59 bytes are short", true, false, false, dump(0x14, 59), false, true, 0},
        {"short while awaited: an earlier refresh stays", true, false, true, kParameterChange,
         false, false, 1},
        {"7 bytes unawaited clear the refresh", false, false, true, dump(0x20, 7), false, false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestRig rig;
        rig.manager.dumpAwaited = c.awaited;
        rig.manager.refreshSuppressed = c.suppressed;
        rig.manager.refreshRequested = c.refreshLeftSet;
        rig.deliver(c.message);
        EXPECT_EQ(rig.manager.answerReceived, c.answered);
        EXPECT_EQ(rig.manager.dumpAwaited, c.awaitedAfter);
        EXPECT_EQ(rig.plugin.reducedParamChanges(), std::vector<int>(size_t(c.refreshes), kQuickTab));
    }
}

TEST(SysExDispatch, HostSysExAndAnAwaitedPatternWithoutAPartChangeNothing) {
    RequestRig rig;
    rig.manager.dumpAwaited = true;
    ISysEx fromHost(0, kGlobal.data(), int(kGlobal.size()));
    rig.manager.ProcessSysEx(&fromHost, false);
    rig.manager.ProcessSysEx(nullptr, true);
    EXPECT_TRUE(rig.manager.dumpAwaited);

    rig.plugin.awaitedPart = 16;
    rig.deliver(pattern(545));
    EXPECT_FALSE(rig.manager.answerReceived);
}

TEST(SysExDispatch, AnAwaitedDumpTeachesTheDeviceIdOnlyOnceTheProbeStarted) {
    for (bool probeStarted : {false, true}) {
        RequestRig rig;
        rig.plugin.probeStarted = probeStarted;
        rig.plugin.setRange(kGlobalSysExID, 0, 3);
        Bytes global = kGlobal;
        global[3] = 0x85; // a data byte with its high bit set counts as 5
        rig.manager.dumpAwaited = true;
        rig.deliver(global);
        EXPECT_EQ(rig.plugin.deviceId, probeStarted ? 5 : 0);
        EXPECT_EQ(rig.plugin.GetParamValue(kGlobalSysExID), probeStarted ? 3.0 : 0.0);
        // Stored directly: nothing set through the controls.
        EXPECT_TRUE(rig.plugin.plugSets().empty());
    }
}
