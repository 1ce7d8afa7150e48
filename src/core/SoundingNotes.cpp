#include "src/core/SoundingNotes.h"

bool SoundingNotes::isNoteOff(const IMidiMsg& msg) {
    const IMidiMsg::EStatusMsg kind = msg.StatusMsg();
    return kind == IMidiMsg::kNoteOff || (kind == IMidiMsg::kNoteOn && msg.Velocity() == 0);
}

int SoundingNotes::bitOf(const IMidiMsg& msg) {
    const int note = msg.NoteNumber();
    const IMidiMsg::EStatusMsg kind = msg.StatusMsg();
    if ((kind != IMidiMsg::kNoteOn && kind != IMidiMsg::kNoteOff) || note < 0 || note > 127)
        return -1;
    return msg.Channel() * 128 + note;
}

void SoundingNotes::Follow(const IMidiMsg& msg) {
    const int bit = bitOf(msg);
    if (bit < 0) return;
    std::atomic<uint64_t>& word = sounding[size_t(bit / kBitsPerWord)];
    const uint64_t mask = uint64_t(1) << (bit % kBitsPerWord);
    if (isNoteOff(msg))
        word.fetch_and(~mask);
    else
        word.fetch_or(mask);
}

bool SoundingNotes::Ends(const IMidiMsg& msg) const {
    const int bit = bitOf(msg);
    return bit >= 0 && isNoteOff(msg) &&
           (sounding[size_t(bit / kBitsPerWord)].load() >> (bit % kBitsPerWord) & 1) != 0;
}
