#pragma once

#include "tests/core/CoreRig.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/Watchdog.h"

#include <unistd.h>

namespace coretest {

// Plug-ins on the private JACK server with MIDI peers of their own; a case skips without the
// server and ends under a watchdog.
class StoredPorts : public CoreRig {
protected:
    void SetUp() override {
        const std::string missing = testsupport::MidiSystemMissing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        watchdog = std::make_unique<testsupport::Watchdog>(
            60, testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::unique_ptr<testsupport::ChildProcess> peer(const char* mode, const std::string& port,
                                                    const std::string& tag = "") {
        auto p = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{ZOZ_MIDI_PEER_PATH, mode, client(tag), port});
        std::string line;
        EXPECT_TRUE(p->ReadLine(&line, 10000) && line == "ready") << line;
        return p;
    }
    static std::string client(const std::string& tag = "") {
        return "zozcore" + std::to_string(getpid()) + tag;
    }

    std::unique_ptr<testsupport::Watchdog> watchdog;
};

} // namespace coretest
