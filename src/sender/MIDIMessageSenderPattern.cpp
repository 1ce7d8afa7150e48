#include "src/sender/MIDIMessageSender.h"
#include "src/sender/PatternDumpLayout.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

constexpr int kAfterPartSelectMillis = 50;
constexpr int kAfterDumpMillis = 150;
constexpr int kPatternNameEntry = 35;

} // namespace

const std::vector<uint8_t>& MIDIMessageSender::initPatternDump() {
    // The writer's template without its checksum byte.
    static const std::vector<uint8_t> dump = [] {
        const auto& t = PatternDump::dumpTemplate();
        std::vector<uint8_t> d(t.begin(), t.begin() + PatternDump::kShortSize - 1);
        d.push_back(SysexMessage::kEnd);
        return d;
    }();
    return dump;
}

void MIDIMessageSender::buildPatternDump(int part, uint8_t* dump) {
    using namespace PatternDump;
    const auto value = [&](int param) {
        return SoundDump::truncated(plugin->GetParamValue(param));
    };
    std::copy(dumpTemplate().begin(), dumpTemplate().end(), dump);
    dump[kDeviceIdByte] = uint8_t(value(kGlobalSysExID) & 0x7F);
    for (const DumpByte& b : layout())
        dump[b.offset] = encode(b, value(b.param + part));
    SysexMessage::writeText(dump + kNameOffset, kNameLength,
                            plugin->getParamText(kPatternName + part));
}

bool MIDIMessageSender::sendSequenceToDevice(int part, bool toLibrarian, bool withinTransfer) {
    const bool batch = plugin->isBatch();
    const bool veiled = batch || withinTransfer;
    if (!veiled) plugin->DisplayProcessingIndicator(true);
    uint8_t dump[PatternDump::kSize];
    buildPatternDump(part, dump);

    bool sent = true;
    if (toLibrarian) {
        storeIntoLibrarian(dump, PatternDump::kSize);
    } else {
        // The dump lands in the part the synthesizer has selected: a pattern must not land in
        // the part shown instead, so the select goes, and goes again, with it.
        const bool select = part != plugin->getSelectedPart() && !batch;
        sent = deliver([&] {
            if (select) {
                const bool selected =
                    send(SysexMessage::partSelect(plugin->getDeviceId(), part), true);
                pause(kAfterPartSelectMillis);
                if (!selected) return false;
            }
            const bool dumped = transmit(PatternDump::kSize, [&] {
                return plugin->checksumCheckAndSend(dump, PatternDump::kSize);
            });
            pace(kAfterDumpMillis);
            return dumped;
        });
        const std::string name = plugin->getParamText(kPatternName + part);
        plugin->setPatchManagerName(kPatternNameEntry + part, name.empty() ? "Set Name" : name);
        plugin->setLibrarianViewDirty();
        if (!sent) failed("part " + std::to_string(part + 1) + " pattern");
    }

    if (!veiled) plugin->DisplayProcessingIndicator(false);
    return sent;
}
