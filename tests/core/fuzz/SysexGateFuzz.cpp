// SysEx from the synthesizer through the plug-in's gate under the editor state that the first
// byte chooses: no crash, no read outside the message, and a part indicator lit only by a
// passed parameter message of 9 to 13 bytes, for the part 0..15 in its byte 5. A message that
// carries a dump's id at that length is a broken dump, which the gate drops.
#include "kit/effect/ISysEx.h"
#include "src/core/Zoz.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScaledClock.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr size_t kLongestMessage = 600;

Zoz& plugIn() {
    static testsupport::ManualClock clock;
    static const std::unique_ptr<Zoz> plug = [] {
        char folder[] = "/tmp/zoz-sysex-gate-XXXXXX";
        if (!mkdtemp(folder)) abort();
        setenv("ZOZ_DATA_DIR", (std::string(folder) + "/").c_str(), 1);
        setenv("ZOZ_RESOURCES_DIR", ZOZ_TEST_LAYOUT, 1);
        return std::make_unique<Zoz>(IEffectInstanceInfo{});
    }();
    return *plug;
}

} // namespace

// Bits of the first byte: 0 the progress overlay, 1 the incoming-MIDI gate, 2 an arrangement
// send, 3 the SysEx filter, 4 indicators following outgoing MIDI, 5 a dump awaited, 6 the
// librarian's sound collection armed.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Zoz& plug = plugIn();
    MIDIMessageManager& manager = *plug.getMessageManager();
    const uint8_t setup = data[0];
    plug.DisplayProcessingIndicator(setup & 1);
    plug.setArrangementSendFlags(setup & 2, false, false);
    plug.setArrangementBusy(setup & 4);
    plug.setBlocked(true, Zoz::kFilterSysEx, setup & 8);
    plug.setFollowIncoming(!(setup & 16));
    plug.SetLibrarianRequestActive(setup & 64);
    manager.dumpAwaited = setup & 32;
    static_cast<testsupport::ManualClock&>(platform::Clock::Current()).AdvanceMillis(101);
    plug.ProcessDoubleReplacing(nullptr, nullptr, 1); // every indicator out
    plug.WaitForOutputThread();

    const std::vector<uint8_t> message(data + 1, data + std::min(size, kLongestMessage + 1));
    ISysEx sysex(0, message.data(), int32_t(message.size()));
    plug.ProcessSysEx(&sysex, true);

    const bool passed = !(setup & (2 | 4 | 8));
    const bool dumpId = message.size() > 4 && (message[4] == 0x10 || message[4] == 0x11 ||
                                                message[4] == 0x13 || message[4] == 0x14);
    const bool indicated = passed && !(setup & 16) && message.size() >= 9 && message.size() <= 13 &&
                           message[1] == 0x3E && message[2] == 0x0F && !dumpId && message[5] < 16;
    for (int part = 0; part < 16; ++part)
        if ((plug.GetParam(kMIDILed + part)->Value() == 1.0) != (indicated && part == message[5]))
            abort();
    return 0;
}
