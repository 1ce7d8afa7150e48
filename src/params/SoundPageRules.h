#pragma once

#include "src/params/ParamRules.h"

// The rules of the sound and pattern parameters that change which panels their pages show,
// or that reach the synthesizer only inside a whole sound dump.

// Oscillator shapes, filter types and envelope modes (stage 1): the value becomes its whole
// number, bounded by the range, and the quick tab is refreshed; the display still gets v.
RuleEnd clampAndRefreshQuickTab(ParamChange& change);
// The effect modes (stage 3): the effect's type, delay or closing panels on the part's
// effects page; mode 9 also requests the part's sound and pattern from the synthesizer.
RuleEnd showEffectPages(ParamChange& change);
// Envelope triggers and modes (stage 3): the part is re-sent as a whole sound dump, and its
// own message is not sent.
RuleEnd resendPart(ParamChange& change);
// A pattern's length (stage 3): the pattern page showing the part veils the steps past it.
RuleEnd veilPatternSteps(ParamChange& change);
