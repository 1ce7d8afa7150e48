#include "src/incoming/DumpBytes.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/PatternDumpLayout.h"
#include "src/sender/SenderPlugin.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

constexpr int kParts = 16;
constexpr int kPatternNameEntry = 35;

} // namespace

bool MIDIMessageManager::sysexPatternParse(ISysEx* message) {
    using namespace PatternDump;
    if (!isDump(*message, kSysexPatternDump, kMinParseSize, message->size)) return false;
    // The dump names no part: the requester named it beforehand.
    const int part = plugin->getAwaitedDumpPart();
    if (part < 0 || part >= kParts) return false;
    const bool locked = plugin->GetParamValue(kSectionLockPattern + part) == 1.0;
    const DumpBytes data(*message);

    const std::string name = data.text(kNameOffset, kNameLength);
    plugin->setParamText(kPatternName + part, displayText(name));
    plugin->setPatchManagerName(kPatternNameEntry + part, name);
    plugin->setLibrarianViewDirty();

    if (!locked)
        for (const DumpByte& b : layout())
            if (b.offset < message->size)
                plugin->SetParameterFromPlug(b.param + part, b.decode(data[b.offset]));
    answerReceived = true;
    return true;
}
