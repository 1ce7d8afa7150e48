// SysEx from the synthesizer through the incoming parsers: no crash, no read outside the
// message, and a dump either changes nothing or only parameters of the part it names. Then
// the bytes after the first through the dispatcher, and so the sound, pattern, multi and
// global parsers, under the flag set-up that the first byte chooses: a slot takes a message
// only whole and unchanged, and a pattern fills only the awaited part.
#include "kit/effect/ISysEx.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/incoming/ParamChangeRig.h"
#include "tests/support/FakeSenderPlugin.h"

#include <cstdlib>
#include <set>
#include <vector>

namespace {

// Bit 1: a dump is awaited; bit 2: the refresh is suppressed; bit 3: the probe started;
// bits 4 and 5: no collection, or that of sounds, multis or patterns armed; bits 6 and 7: the
// awaited part, 0, 5, 10 or 15.
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
    const int awaitedPart = 5 * (setup >> 6);
    plugin.awaitedPart = awaitedPart;
    plugin.setRange(kGlobalSysExID, 0, 126);
    ISysEx sysex(0, message.data(), int32_t(message.size()));
    plugin.ProcessSysExInternal(&sysex);

    if (plugin.getDeviceId() < 0 || plugin.getDeviceId() > 127) abort();
    for (const auto& set : plugin.plugSets()) {
        if (set.first < 0 || set.first >= kNumParams) abort();
        const bool patternValue =
            set.first >= kPatternStepLength && set.first <= kPatternStep32Note8 + 15;
        if (patternValue && (set.first - kPatternStepLength) % 16 != awaitedPart) abort();
    }
    for (const PatchFile& bank : banks)
        for (const LibrarianPatch& entry : bank.entries)
            if (!entry.dumps.empty() &&
                (!collection || entry.dumps.size() != 1 || entry.dumps[0].bytes != message ||
                 entry.name.size() != 16))
                abort();
}

// The per-part parameters that a message naming the part may change besides its control's.
const int kPartParams[] = {
    kMultiPartBank,     kMultiPartPatch,      kCurrentBank,          kPartPattern,
    kOscillatorUnisono, kOscillatorMonoPolyMode, kFilterEnvMode,     kFilterEnvTrigger,
    kAmpEnvMode,        kAmpEnvTrigger,       kEnvelope3Mode,        kEnv3Trigger,
    kEnvelope4Mode,     kEnv4Trigger,         kFilterLinkValue,      kFilterLinkSwitch,
    kFilterRoutingSwitchA, kFilterRoutingSwitchB, kMIDIRX,              kMIDITX,
    kEngine,            kMultiPartStatus,     kPartPitchBend,        kPartModWheel,
    kPartAfterTouch,    kPartSustain,         kPartButtons,          kPartProgramChange,
};

// A parameter message, or a short message, over the fixture editor under the modes of its
// first byte (bit 0 from the host, 1 the Q+, 2 librarian control, 3 program-bank mode, 4 local
// control, 5 pattern mode, 6 part p on channel p): it changes at most the controls of its
// address or controller and the parameters of the part it names.
void parameterChange(uint8_t modes, const std::vector<uint8_t>& message) {
    ParamChangeRig r;
    r.plugin.model = modes >> 1 & 1;
    r.plugin.librarianControl = modes & 4;
    r.plugin.programBankMode = modes & 8;
    r.plugin.localControl = modes & 16;
    r.plugin.patternMode = modes & 32;
    for (int part = 0; part < 16 && (modes & 64); ++part)
        r.set(kMultiPartMIDICh + part, part + 2);
    std::set<int> allowed;
    auto allowPart = [&](int part) {
        for (int base : kPartParams)
            if (part >= 0 && part < 16) allowed.insert(base + part);
    };
    auto allowControl = [&](IControl* control) {
        if (control) allowed.insert(control->ParamIdx());
    };
    if (message.size() == 3) {
        const int channel = message[0] & 15;
        for (int map : {0, 1})
            allowControl(r.plugin.getCCControls(channel + 1, message[1], map));
        allowPart(channel);
        allowPart(0); // the program change of a channel no part uses
    } else {
        const bool sound = message.size() == 10;
        unsigned char key[4];
        SysExControlContainer::sysexAddress(std::vector<int>(message.begin() + 1, message.end() - 1),
                                            sound ? 8 : 7, key);
        for (int variant = 0; variant < 12; ++variant)
            allowControl(r.plugin.getSysexControl(key[0], key[1], key[2], key[3], variant));
        allowPart(sound ? message[5] : (message[5] * 128 + message[6] - 32) / 22);
    }
    std::vector<double> before;
    for (int id = 0; id < kNumParams; ++id)
        before.push_back(r.value(id));
    if (message.size() == 3)
        r.shortMessage(modes & 1, message[0], message[1], message[2]);
    else
        r.send(message);
    for (int id = 0; id < kNumParams; ++id)
        if (r.value(id) != before[size_t(id)] && !allowed.count(id)) abort();
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
    if (size == 4 || size == 10 || size == 11)
        parameterChange(data[0], std::vector<uint8_t>(data + 1, data + size));
    return 0;
}
