// SysEx from the synthesizer through the incoming parsers: no crash, no read outside the
// message, and a dump either changes nothing or only parameters of the part it names.
#include "kit/effect/ISysEx.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/FakeSenderPlugin.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An odd first byte makes the rest look like a sound dump, so the parser's body is reached.
    std::vector<uint8_t> message(data, data + size);
    if (size > 6 && (data[0] & 1)) {
        message[1] = 0x3E;
        message[2] = 0x0F;
        message[4] = 0x10;
    }
    testsupport::FakeSenderPlugin plugin;
    MIDIMessageManager manager(&plugin, nullptr, nullptr, nullptr);
    ISysEx sysex(0, message.data(), int32_t(message.size()));
    manager.sysexPatchParse(&sysex);

    const auto sets = plugin.plugSets();
    if (sets.empty()) return 0;
    const int part = message[6];
    if (size < 390 || part > 15) abort();
    for (const auto& set : sets)
        if (set.first - part < 0 || set.first >= kNumParams) abort();
    return 0;
}
