#include "platform/Clock.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/MultiDumpLayout.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kAfterMultiMillis = 500;
constexpr int kBetweenRequestsMillis = 250;
constexpr int kBetweenSoundsMillis = 400;
constexpr int kAfterPartSelectMillis = 100;
constexpr int kAfterBankChangeMillis = 50;
constexpr int kAfterPartMillis = 300;

} // namespace

int MIDIMessageSender::calculateMultiSettings1Values(int part) {
    const auto value = [&](int param) {
        return SoundDump::truncated(plugin->GetParamValue(param + part));
    };
    return MultiDump::packSettings1(value(kMIDIRX), value(kMIDITX), value(kEngine));
}

int MIDIMessageSender::calculateMultiSettings2Values(int part) {
    int switches[MultiDump::kSwitchCount];
    for (int k = 0; k < MultiDump::kSwitchCount; ++k)
        switches[k] = SoundDump::truncated(plugin->GetParamValue(MultiDump::kSwitches[k] + part));
    return MultiDump::packSettings2(switches);
}

void MIDIMessageSender::buildMultiDump(uint8_t* dump) {
    using namespace MultiDump;
    const auto value = [&](int param) {
        return SoundDump::truncated(plugin->GetParamValue(param));
    };
    std::copy(dumpTemplate().begin(), dumpTemplate().end(), dump);
    dump[kDeviceIdByte] = uint8_t(value(kGlobalSysExID) & 0x7F);
    for (const DumpByte& b : kMultiBytes)
        dump[b.offset] = b.encode(value(b.param));
    SysexMessage::writeText(dump + kNameOffset, kNameLength, plugin->getParamText(kMultiName));
    for (int part = 0; part < kParts; ++part) {
        for (const DumpByte& b : kPartBytes)
            dump[partByte(part, b.offset)] = b.encode(value(b.param + part));
        dump[partByte(part, kSettings1Offset)] = uint8_t(calculateMultiSettings1Values(part));
        dump[partByte(part, kSettings2Offset)] = uint8_t(calculateMultiSettings2Values(part));
    }
}

void MIDIMessageSender::sendArrangementToDevice(bool toLibrarian, bool requestParts) {
    // Taken once: posters clear them while the send runs.
    const bool batch = plugin->isBatch();
    const bool globalFirst = plugin->isGlobalFirst();
    const bool patternToo = plugin->isPatternToo();
    plugin->DisplayProcessingIndicator(true);
    // A dump that does not go out ends the send.
    const bool globalSent = !(globalFirst && !toLibrarian && !requestParts) ||
                            sendGlobalToDevice(plugin->getDeviceId(), true);

    uint8_t dump[MultiDump::kSize];
    buildMultiDump(dump);

    if (toLibrarian) {
        dump[MultiDump::kSlotByte] = uint8_t(selectedSlot() & 0x7F);
        storeIntoLibrarian(dump, MultiDump::kSize);
    } else if (globalSent) {
        plugin->setArrangementBusy(true);
        // What the synthesizer does with the parts after it must not be undone by the multi
        // going again: it is delivered before anything follows.
        const bool sent = sendDump(dump, MultiDump::kSize, kAfterMultiMillis);
        const std::string name = plugin->getParamText(kMultiName);
        plugin->setPatchManagerName(0, name.empty() ? "Set Name" : name);
        plugin->setLibrarianViewDirty();
        if (!sent) failed("multi");
        if (sent) sendArrangementParts(batch, requestParts, patternToo);
    }

    plugin->setArrangementBusy(false);
    plugin->DisplayProcessingIndicator(false);
    // What its poster chose for this send ends with it: a poster need not wait to clear it.
    plugin->clearBatchAndGlobalFirst();
    plugin->clearPatternToo();
}

void MIDIMessageSender::sendArrangementParts(bool batch, bool requestParts, bool patternToo) {
    const auto active = [&](int part) {
        return plugin->GetParamValue(kMultiPartStatus + part) == 1.0;
    };
    if (requestParts) {
        plugin->setArrangementBusy(false);
        // No answer of a synthesizer that came back meanwhile is waited for.
        for (int part = 0; part < MultiDump::kParts && !stopping && connectionHeld(); ++part) {
            if (!active(part)) continue;
            sendPartRequestSysex(part, true);
            pause(kBetweenRequestsMillis);
        }
    } else if (batch) {
        // The busy flag stays set through every part: a project restore waits for all.
        for (int part = 0; part < MultiDump::kParts && !stopping; ++part) {
            if (!active(part)) continue;
            if (!sendPartToDevice(part, false, false)) return;
            pause(kBetweenSoundsMillis);
        }
    } else {
        plugin->setArrangementBusy(false);
        const int shown = std::clamp(SoundDump::truncated(plugin->GetParamValue(kQuickTab)), 0,
                                     MultiDump::kParts - 1);
        // The selected part takes the pattern that follows.
        if (!deliver([&] {
                const bool sent =
                    send(SysexMessage::partSelect(plugin->getDeviceId(), shown), true);
                pause(kAfterPartSelectMillis);
                return sent;
            }) ||
            changeBank(shown, kAfterBankChangeMillis) == BankChange::kLost) {
            failed("part " + std::to_string(shown + 1));
            return;
        }
        // A refused bank change still lets the sound go.
        // The veil stays up to the end: no part is chosen in the editor while this one still
        // goes out, where its send would be dropped as a post to a busy worker.
        if (!sendPartToDevice(shown, false, true)) return;
        pause(kAfterPartMillis);
        if (patternToo && sendSequenceToDevice(shown, false, true)) pause(kAfterPartMillis);
    }
}
