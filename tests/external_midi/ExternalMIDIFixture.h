#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/TestVSTEffect.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

using testsupport::ChildProcess;

constexpr int kWaitMs = 10000; // for one answer of the peer
constexpr const char* kNoDevice = "Select MIDI Device";
// A new connection carries messages only from the server's next cycles on; until a probe has
// come through, what is sent may be lost. The probes are left out of what the tests compare.
constexpr int kProbeTries = 100;
constexpr int kProbeWaitMs = 100;
const std::string kOutProbe = "msg FE"; // active sensing, which the peer does not filter

// Tests on the private JACK server of scripts/test, skipped without it, each within a time
// limit; the peer program stands at the far end of each port.
class ExternalMIDI : public testing::Test {
protected:
    void SetUp() override {
        const std::string missing = testsupport::MidiSystemMissing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        m_watchdog = std::make_unique<testsupport::Watchdog>(
            60, testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    // A peer program; its client name is unique to this test process.
    std::unique_ptr<ChildProcess> peer(const char* mode, const std::string& tag,
                                       const std::string& port) {
        auto p = std::make_unique<ChildProcess>(
            std::vector<std::string>{ZOZ_MIDI_PEER_PATH, mode, client(tag), port});
        std::string line;
        EXPECT_TRUE(p->ReadLine(&line, kWaitMs) && line == "ready") << mode << ": " << line;
        return p;
    }
    static std::string client(const std::string& tag) {
        return "zozpeer" + std::to_string(getpid()) + tag;
    }
    static std::string portOf(const std::string& tag, const std::string& port) {
        return client(tag) + ":" + port;
    }
    // The next n messages the peer reports, probes left out.
    static std::vector<std::string> received(ChildProcess& p, size_t n) {
        std::vector<std::string> lines;
        std::string line;
        while (lines.size() < n && p.ReadLine(&line, kWaitMs))
            if (line != kOutProbe) lines.push_back(line);
        return lines;
    }
    // True once a probe from the plug-in's output has reached the peer.
    static bool outputRouted(testsupport::TestVSTEffect& plug, ChildProcess& p) {
        std::string line;
        for (int i = 0; i < kProbeTries; ++i) {
            if (!plug.SendMidiSysex2({0xFE})) return false;
            if (p.ReadLine(&line, kProbeWaitMs) && line == kOutProbe) return true;
        }
        return false;
    }

    std::unique_ptr<testsupport::Watchdog> m_watchdog;
};
