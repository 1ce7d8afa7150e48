#pragma once

#include "src/params/ParamRules.h"

// The rules of the settings that reach the synthesizer only inside a whole dump, and of the
// randomizer (stage 3). A re-send posted while the dump worker runs is dropped.

// The taps of both tap delays: the part goes as a whole sound; then the common tail.
RuleEnd resendPartForTap(ParamChange& change);
// A part's patch or category name: its notes end and it goes as a whole sound; then the tail.
RuleEnd resendPartForName(ParamChange& change);
// The multi's name: every part's notes end and the multi goes whole; then the tail.
RuleEnd resendMultiForName(ParamChange& change);
// A press on any page but the multi's gives the selected part a random sound, sends it and
// has it read back; the button springs back. Its own message is never sent.
RuleEnd randomizeSelectedPart(ParamChange& change);
