#include "src/sender/GlobalDumpLayout.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SoundDumpLayout.h"

#include <algorithm>

bool MIDIMessageSender::sendGlobalToDevice(int, bool withinArrangement) {
    using namespace GlobalDump;
    plugin->DisplayProcessingIndicator(true);
    const int t = plugin->getTimerValue();
    uint8_t dump[kSize];
    std::copy(dumpTemplate().begin(), dumpTemplate().end(), dump);
    dump[kDeviceIdByte] = uint8_t(plugin->getDeviceId() & 0x7F);
    for (const DumpByte& b : layout())
        dump[b.offset] = b.encode(SoundDump::truncated(plugin->GetParamValue(b.param)));
    const bool sent = sendDump(dump, kSize, t);
    if (!sent) failed("globals");
    if (!withinArrangement) plugin->DisplayProcessingIndicator(false);
    return sent;
}
