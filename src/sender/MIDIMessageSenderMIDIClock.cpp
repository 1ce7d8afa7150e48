#include "platform/Clock.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

const std::vector<uint8_t> kStart{0xFA};
const std::vector<uint8_t> kStop{0xFC};
const std::vector<uint8_t> kTick{0xF8};

constexpr int kTempoRetries = 11;
constexpr int64_t kTempoRetryMillis = 1000;
// The last stretch before a tick is waited actively: a sleep may wake too late for it.
constexpr int64_t kActiveWaitNanos = 300000;
// A sleep never lasts longer, so a stopped clock ends soon even at slow tempos.
constexpr int64_t kLongestSleepNanos = 10000000;

// The leading decimal integer of a text (blanks and a sign may lead); 0 when no digit follows.
int leadingInt(const std::string& text) {
    const long v = std::strtol(text.c_str(), nullptr, 10);
    return int(std::clamp<long>(v, INT_MIN, INT_MAX));
}

int truncToInt(double v) {
    return v >= INT_MIN && v <= INT_MAX ? int(v) : 0;
}

} // namespace

int64_t MIDIMessageSender::clockIntervalNanos(int tempo) {
    return 60000000000LL / (int64_t(tempo) * 24);
}

void MIDIMessageSender::resetContinuousClock(bool stop) {
    clockRunning = !stop;
}

void MIDIMessageSender::startMIDIClockOutput() {
    if (plugin->isClockStartStopEnabled()) plugin->SendMidiSysex2(kStart);
}

void MIDIMessageSender::stopMIDIClockOutput() {
    if (plugin->isClockStartStopEnabled()) plugin->SendMidiSysex2(kStop);
}

int MIDIMessageSender::readClockTempo() {
    if (plugin->GetParamValue(kOverrideTempo) == 1.0) return plugin->getTempoValue();
    const int index = truncToInt(plugin->GetParamValue(kMultiTempo));
    return leadingInt(plugin->getValueListText("tempoValues", index));
}

bool MIDIMessageSender::waitForTick(int64_t due) {
    for (;;) {
        if (!clockRunning || stopping) return false;
        const int64_t remaining = due - platform::NowNanos();
        if (remaining <= 0) return true;
        if (remaining > kActiveWaitNanos)
            stopping.SleepNanos(std::min(remaining - kActiveWaitNanos, kLongestSleepNanos));
    }
}

// The argument (posted as 120) is not used: the tempo comes from the host or the editor.
void MIDIMessageSender::sendContinuousMIDIClock(int) {
    if (!plugin->isClockTickEnabled()) return;
    // Below 1 BPM there is no tempo the clock could keep.
    int tempo = readClockTempo();
    for (int waits = 0; tempo < 1 && waits < kTempoRetries; ++waits) {
        if (!stopping.SleepMillis(kTempoRetryMillis)) return;
        tempo = readClockTempo();
    }
    if (tempo < 1) {
        plugin->SetParameterFromPlug(kSendMIDIClockInfo, 0.0);
        plugin->setLowerDisplayText("Unable to get DAW Tempo");
        plugin->setClockTickEnabled(false);
        return;
    }
    int64_t interval = clockIntervalNanos(tempo);
    platform::Clock::Current().MakeThreadPunctual();
    // Ticks lie on a grid, so a late wake-up or a slow send never adds up. A new tempo starts a
    // new grid at the last tick, also when it restarts the clock: no tick comes early.
    int64_t start = platform::NowNanos();
    if (lastTickDue && *lastTickDue + interval > start) {
        start = *lastTickDue + interval;
        if (!waitForTick(start)) return;
    }
    for (int64_t k = 0;; ++k) {
        plugin->SendMidiSysex2(kTick);
        lastTickDue = start + k * interval;
        const int newTempo = readClockTempo();
        if (newTempo >= 1 && clockIntervalNanos(newTempo) != interval) {
            start = *lastTickDue;
            interval = clockIntervalNanos(newTempo);
            k = 0;
        }
        if (!waitForTick(start + (k + 1) * interval)) break;
        if (!plugin->isMIDIIOSet()) {
            clockRunning = false;
            break;
        }
    }
}
