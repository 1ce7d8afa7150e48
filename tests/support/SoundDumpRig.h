#pragma once

#include "kit/effect/ISysEx.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "tests/support/FakeSenderPlugin.h"
#include "tests/support/ScaledClock.h"

#include <cstdint>
#include <vector>

namespace testsupport {

// A fake plug-in with its message manager under a clock whose pauses take no time: sound
// dumps written by job 2 on the caller's thread, and dumps handed to the parser.
struct SoundDumpRig {
    using Bytes = std::vector<uint8_t>;

    explicit SoundDumpRig(PatchLibrarian* librarian = nullptr)
        : manager(&plugin, nullptr, librarian, nullptr) {}

    // The dump that job 2 sends for the part: the first message on the wire.
    Bytes write(int part) {
        plugin.output.clear();
        run(part, false);
        const auto sent = plugin.output.bytes();
        return sent.empty() ? Bytes{} : sent.front();
    }
    void run(int part, bool toLibrarian) {
        SenderJob job;
        job.command = SenderJob::kSendPartToDevice;
        job.part = part;
        job.dumpOption1 = toLibrarian;
        manager.getSender()->run(job);
    }
    void parse(const Bytes& dump) {
        ISysEx message(0, dump.data(), int32_t(dump.size()));
        manager.sysexPatchParse(&message);
    }

    ManualClock clock;
    FakeSenderPlugin plugin;
    MIDIMessageManager manager;
};

} // namespace testsupport
