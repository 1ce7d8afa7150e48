#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// F0 3E 0F 00 id, `size` bytes in all with F7 last, `name` written at nameOffset.
Bytes dump(uint8_t id, int size, int nameOffset = 15, const std::string& name = "") {
    Bytes d(size_t(std::max(size, 5)), 0x00);
    d[0] = 0xF0, d[1] = 0x3E, d[2] = 0x0F, d[4] = id;
    std::copy(name.begin(), name.end(), d.begin() + nameOffset);
    d.resize(size_t(size));
    d.back() = 0xF7;
    return d;
}

const Bytes kGlobal = dump(0x14, 207);
const Bytes kParameterChange = {0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x00, 0x00, 0x01, 0x05, 0xF7};

} // namespace

TEST(LibrarianCollection, TakesOnlyADumpOfItsOwnKindWithinItsSizesNamedByThatDump) {
    const std::string name("Pad \xE9\xFF 16 chars", 16);
    const struct Record {
        Mode mode;
        uint8_t id, otherId;
        int nameOffset, minSize, maxSize;
    } records[] = {{kSounds, 0x10, 0x11, 371, 390, 400},
                   {kMultis, 0x11, 0x10, 23, 390, 400},
                   {kPatterns, 0x13, 0x10, 15, 540, LibrarianRequest::kLongestDump}};
    for (const Record& r : records) {
        Bytes foreign = dump(r.id, 393 + 152 * (r.mode == kPatterns), r.nameOffset);
        foreign[2] = 0x10;
        const std::pair<Bytes, bool> messages[] = {
            {dump(r.id, r.minSize - 1, r.nameOffset), false},
            {dump(r.id, r.maxSize + 1, r.nameOffset), false},
            {dump(r.otherId, r.minSize, r.nameOffset), false},
            {foreign, false},
            {kParameterChange, false},
            {{0xF0}, false},
            {dump(r.id, r.minSize, r.nameOffset, "At the minimum"), true},
            {dump(r.id, r.maxSize, r.nameOffset, name), true},
        };
        RequestRig rig(r.mode);
        rig.plugin.SetLibrarianRequestActive(true);
        rig.manager.dumpAwaited = true; // collecting wins over an awaited dump
        for (const auto& [message, taken] : messages) {
            SCOPED_TRACE("mode " + std::to_string(r.mode) + ", " + std::to_string(message.size()));
            rig.deliver(message);
            EXPECT_EQ(rig.plugin.isAnswerReceived(), taken);
            EXPECT_EQ(rig.anyCollectionArmed(), !taken);
            if (!taken) continue;
            const LibrarianPatch& entry = rig.slot(r.mode, 0);
            EXPECT_EQ(entry.name, std::string(message.begin() + r.nameOffset,
                                              message.begin() + r.nameOffset + 16));
            EXPECT_EQ(entry.dumps.size(), 1u);
            EXPECT_EQ(entry.dumps[0].bytes, message);
            rig.plugin.SetLibrarianRequestActive(true);
            rig.manager.dumpAwaited = true;
        }
        EXPECT_EQ(rig.slot(r.mode, 0).name, name);
        EXPECT_EQ(rig.plugin.callCount("view update 0"), 2u);
        EXPECT_EQ(rig.plugin.callCount(kRefresh), 0u); // no parser, no refresh
        EXPECT_TRUE(rig.manager.dumpAwaited);
    }
}

TEST(LibrarianCollection, ACompletedDumpWithoutABankIsNoAnswer) {
    RequestRig rig(kSounds);
    rig.librarian.soundBanks.clear();
    rig.plugin.SetLibrarianRequestActive(true);
    rig.deliver(dump(0x10, 393));
    EXPECT_FALSE(rig.plugin.isAnswerReceived());
    EXPECT_FALSE(rig.anyCollectionArmed());
}

TEST(SysExDispatch, FlagsDecideWhatAMessageDoesAndWhetherTheEditorIsRefreshed) {
    const struct Case {
        const char* name;
        bool awaited, suppressed, refreshLeftSet;
        Bytes message;
        bool answered, awaitedAfter;
        int refreshes;
    } cases[] = {
        {"global dump not awaited", false, false, false, kGlobal, false, false, 0},
        {"awaited global dump", true, false, false, kGlobal, true, false, 1},
        {"refresh suppressed", true, true, true, kGlobal, true, false, 0},
        {"392-byte multi is no answer", true, false, false, dump(0x11, 392), false, true, 0},
        {"pattern of 542 bytes", true, false, false, dump(0x13, 542), true, false, 1},
        {"pattern of 541 bytes", true, false, false, dump(0x13, 541), false, true, 0},
        {"59 bytes are short", true, false, false, dump(0x14, 59), false, true, 0},
        {"short, awaited: an earlier refresh stays", true, false, true, kParameterChange, false,
         false, 1},
        {"7 bytes unawaited clear the refresh", false, false, true, dump(0x20, 7), false, false, 0},
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
        EXPECT_EQ(rig.plugin.callCount(kRefresh), size_t(c.refreshes));
    }
}

// Another maker's SysEx, a universal one and one of the synthesizer's of no dump id arrive
// before the awaited dump: none ends the wait, and the dump is taken.
TEST(SysExDispatch, OnlyTheSynthesizersDumpEndsTheWaitForIt) {
    RequestRig rig;
    rig.plugin.setRange(kGlobalPopupTime, 0, 127);
    rig.manager.dumpAwaited = true;
    for (const Bytes& head :
         {Bytes{0xF0, 0x43, 0x0F}, Bytes{0xF0, 0x7E, 0x0F}, Bytes{0xF0, 0x3E, 0x0F}}) {
        Bytes other = dump(0x7A, 100);
        std::copy(head.begin(), head.end(), other.begin());
        rig.deliver(other);
    }
    EXPECT_TRUE(rig.manager.dumpAwaited);
    EXPECT_EQ(rig.plugin.callCount(kRefresh), 0u);
    Bytes global = kGlobal;
    global[44] = 0x50; // the popup time
    rig.deliver(global);
    EXPECT_TRUE(rig.manager.answerReceived);
    EXPECT_FALSE(rig.manager.dumpAwaited);
    EXPECT_EQ(rig.plugin.GetParamValue(kGlobalPopupTime), 0x50);
}

TEST(SysExDispatch, SysExFromTheHostIsIgnored) {
    RequestRig rig;
    rig.manager.dumpAwaited = true;
    ISysEx fromHost(0, kGlobal.data(), int(kGlobal.size()));
    rig.manager.ProcessSysEx(&fromHost, false);
    EXPECT_TRUE(rig.manager.dumpAwaited);
}

// Only the synthesizer's own messages teach it: not a universal one (7E, 7F), another
// maker's or another model's on the same port.
TEST(SysExDispatch, AnAwaitedDumpTeachesTheDeviceIdOnlyOnceTheProbeStarted) {
    const Bytes heads[] = {{0xF0, 0x3E, 0x0F},
                           {0xF0, 0x7E, 0x0F},
                           {0xF0, 0x7F, 0x0F},
                           {0xF0, 0x43, 0x0F},
                           {0xF0, 0x3E, 0x10}};
    for (bool probeStarted : {false, true}) {
        for (const Bytes& head : heads) {
            RequestRig rig;
            rig.plugin.probeStarted = probeStarted;
            rig.plugin.setRange(kGlobalSysExID, 0, 3);
            // A long message that no parser takes, so only the learnt id changes parameters.
            Bytes message = dump(0x15, 207);
            std::copy(head.begin(), head.end(), message.begin());
            message[3] = 0x85; // the high bit is no part of a data byte
            rig.manager.dumpAwaited = true;
            rig.deliver(message);
            const bool learnt = probeStarted && head == heads[0];
            EXPECT_EQ(rig.plugin.deviceId, learnt ? 5 : 0) << int(head[1]) << " " << int(head[2]);
            EXPECT_EQ(rig.plugin.GetParamValue(kGlobalSysExID), learnt ? 3.0 : 0.0);
            EXPECT_TRUE(rig.plugin.plugSets().empty()); // stored without a control update
        }
    }
}
