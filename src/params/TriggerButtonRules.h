#pragma once

#include "src/params/ParamRules.h"

// The rules of the momentary buttons (stage 1). A button reports 1 when pressed and 0 when
// released; a release does nothing at all, not even the display.

// The trigger buttons of the 25 per-part families toggle their setting; the filter-link
// buttons switch the part's filter link.
RuleEnd pressTriggerButton(ParamChange& change);
// The program-bank, arpeggiator MIDI out, local keyboard and librarian control toggles, and
// the keep-selected-bank switch.
RuleEnd pressEditorToggle(ParamChange& change);
// The filter-link switch sends the selected part's link state as a single-parameter SysEx.
RuleEnd sendFilterLinkSwitch(ParamChange& change);
