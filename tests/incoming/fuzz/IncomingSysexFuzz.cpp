// SysEx from the synthesizer through the incoming parsers: no crash, no read outside the
// message, and a dump either changes nothing or only parameters of the part it names. Then
// the bytes after the first through the dispatcher under the flag set-up that the first byte
// chooses: a slot takes a message only whole and unchanged.
#include "kit/effect/ISysEx.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/FakeSenderPlugin.h"

#include <cstdlib>
#include <vector>

namespace {

// Bit 1: a dump is awaited; bit 2: the refresh is suppressed; bit 3: the probe started;
// bits 4 and 5: no collection, or that of sounds, multis or patterns armed.
void dispatch(uint8_t setup, const std::vector<uint8_t>& message) {
    testsupport::FakeSenderPlugin plugin;
    LibrarianTestHost host;
    PatchLibrarian librarian(host);
    PatchFile banks[3];
    for (int type = 0; type < 3; ++type)
        librarian.bankList(type)->push_back(&banks[type]);
    MIDIMessageManager manager(&plugin, nullptr, &librarian, nullptr);
    plugin.manager = &manager;
    const int collection = (setup >> 4) & 3;
    if (collection) {
        librarian.currentType = collection - 1;
        plugin.multiMode = collection == 2;
        plugin.patternMode = collection == 3;
        plugin.SetLibrarianRequestActive(true);
    }
    manager.dumpAwaited = setup & 2;
    manager.refreshSuppressed = setup & 4;
    plugin.probeStarted = setup & 8;
    plugin.setRange(kGlobalSysExID, 0, 126);
    ISysEx sysex(0, message.data(), int32_t(message.size()));
    plugin.ProcessSysExInternal(&sysex);

    if (plugin.getDeviceId() < 0 || plugin.getDeviceId() > 127) abort();
    for (const PatchFile& bank : banks)
        for (const LibrarianPatch& entry : bank.entries)
            if (!entry.dumps.empty() && (!collection || entry.dumps.size() != 1 ||
                                         entry.dumps[0].bytes != message || entry.name.size() != 16))
                abort();
}

} // namespace

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
    if (!sets.empty()) {
        const int part = message[6];
        if (size < 390 || part > 15) abort();
        for (const auto& set : sets)
            if (set.first - part < 0 || set.first >= kNumParams) abort();
    }
    if (size > 0) dispatch(data[0], std::vector<uint8_t>(data + 1, data + size));
    return 0;
}
