#pragma once

#include "src/params/ParamRules.h"

// The rules of the MIDI settings: which messages pass between host, plug-in and synthesizer,
// how outgoing short MIDI is timed, the MIDI clock and the host tempo. Each mirrors its
// switch into flags that the MIDI paths, the audio callback and the clock job read.

// The master keyboard, local control, activity-light source and MIDI Start/Stop switches:
// their flag is set exactly while they are 1 (stage 3).
RuleEnd followSwitch(ParamChange& change);
// A pass-through switch lets its kind of message pass on its side only when exactly 1.
RuleEnd passMidiType(ParamChange& change);
// Outgoing short MIDI goes straight to the synthesizer or through the host's blocks; turning
// one on turns the other off, turning one off changes nothing.
RuleEnd chooseMidiRoute(ParamChange& change);
// Block-timed MIDI waits 2 x value samples beyond one block.
RuleEnd setDawOffset(ParamChange& change);
// The continuous MIDI clock ticks at the host's tempo while 1, and a running one ends at 0.
RuleEnd switchMidiClock(ParamChange& change);
// The host's tempo in whole BPM (stage 1), which also becomes the integer value of the change.
RuleEnd readHostTempo(ParamChange& change);
