// The plug-in's output thread: what the audio thread hands over (messages for the external
// output, the host's short messages, the plug-in's follow-up of a block) is done here, where
// waiting for a lock, the MIDI library or the file system costs the host's audio nothing.

#include "kit/effect/IEffectBase.h"
#include "kit/effect/IEffectOutputLane.h"

#include <string>
#include <system_error>

void IEffectBase::startOutputThread() {
    m_output = std::make_unique<IEffectOutputLane>();
    try {
        m_output->thread = std::thread([this] { runOutputThread(); });
    } catch (const std::system_error&) {
        // Without a thread nothing is handed over: the queues fill and drop.
        m_output->ended = true;
    }
}

void IEffectBase::StopOutputThread() {
    if (!m_output->thread.joinable()) return;
    m_output->stopping = true;
    m_output->wake.Signal();
    m_output->thread.join();
}

bool IEffectBase::QueueExternalMIDI(const unsigned char* bytes, int size) {
    return bytes && size > 0 && size <= kMaxExternalMIDIBytes &&
           m_output->toPort.Push(bytes, size_t(size));
}

bool IEffectBase::QueueMidiMsg(const IMidiMsg& msg) {
    if (!msg.IsComplete()) {
        m_output->cutShort.PushRecord(msg);
        return false;
    }
    unsigned char bytes[3];
    const int size = msg.WireBytes(bytes);
    return size > 0 && QueueExternalMIDI(bytes, size);
}

bool IEffectBase::QueueHostMidi(const IMidiMsg& msg) {
    return m_output->fromHost.PushRecord(msg);
}

void IEffectBase::dropCutShort(const char* where, const IMidiMsg& msg) {
    const uint8_t bytes[3] = {msg.status, msg.data1, msg.data2};
    DropMIDI(where, MidiFramer::FaultText(MidiFramer::Fault::kCutShort), bytes, 3);
}

void IEffectBase::DropHostMidi(size_t count) {
    m_output->hostDropped.fetch_add(count);
    WakeOutputThread(true);
}

void IEffectBase::countDropped(size_t count, const char* why) {
    if (count == 0) return;
    m_droppedMIDI += unsigned(count);
    LogExternalMIDI(std::to_string(count) + " messages of the audio thread dropped: " + why);
}

void IEffectBase::WakeOutputThread(bool followUp) {
    IEffectOutputLane& lane = *m_output;
    if (!followUp && !lane.toPort.Pending() && !lane.fromHost.Pending() && !lane.cutShort.Pending())
        return;
    lane.wakes.fetch_add(1);
    lane.wake.Signal();
}

void IEffectBase::WaitForOutputThread() {
    IEffectOutputLane& lane = *m_output;
    const uint64_t target = lane.wakes.load();
    std::unique_lock<std::mutex> lock(lane.mutex);
    lane.idle.wait(lock, [&] { return lane.handled >= target || lane.ended; });
}

// A stop is a last pass over what the blocks and the host handed over until then, sent while the
// ports are still open; what a full ring refused was dropped and logged, and what comes after the
// stop stays in the rings.
void IEffectBase::runOutputThread() {
    IEffectOutputLane& lane = *m_output;
    std::vector<unsigned char> message;
    for (bool stopping = false; !stopping;) {
        lane.wake.Wait();
        stopping = lane.stopping;
        const uint64_t seen = lane.wakes.load();
        // The host's events came before the block that follows them, as the host gave them.
        IMidiMsg msg;
        while (lane.fromHost.PopRecord(msg)) {
            // A VST2 event always holds three bytes: cut short, a status byte stands where a
            // data byte belongs.
            if (!msg.IsComplete()) {
                dropCutShort("from the host", msg);
                continue;
            }
            try {
                KIT_MutexLock lock(&m_mutex);
                ProcessMidiMsg(&msg, false);
            } catch (...) {
                // A message the plug-in cannot handle ends there; the next ones still come.
            }
        }
        while (lane.cutShort.PopRecord(msg))
            dropCutShort("to the synthesizer", msg);
        while (lane.toPort.Pop(message))
            SendExternalMIDI(message.data(), int(message.size()));
        countDropped(lane.cutShort.TakeDropped(), "cut short, too many to log each");
        countDropped(lane.toPort.TakeDropped() + lane.fromHost.TakeDropped(),
                     "the output fell behind");
        countDropped(lane.hostDropped.exchange(0), "the host handed over two lists at once");
        try {
            OnBlocksSent();
        } catch (...) {
        }
        std::lock_guard<std::mutex> lock(lane.mutex);
        lane.handled = seen;
        lane.ended = stopping;
        lane.idle.notify_all();
    }
}
