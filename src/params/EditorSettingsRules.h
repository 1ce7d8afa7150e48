#pragma once

#include "src/params/ParamRules.h"

// The rules of the editor settings that the settings file remembers. Each rewrites the whole
// file; a file that is missing or cannot be written stays as it was, and the display says so.

// Colour scheme, window size and the answer to the first-run notice (stage 1): they take
// effect when the project is reloaded, and end the change without value text or tail.
RuleEnd applyColourScheme(ParamChange& change);
RuleEnd applyWindowSize(ParamChange& change);
RuleEnd answerFirstRun(ParamChange& change);
// The default MIDI output and input (stage 3): the port of the chosen device-list entry is
// opened, or closed by entry 0, and its name remembered. Choosing an output sets the ports
// up and asks the synthesizer for its id; no output ends a running MIDI clock. The tail runs
// with the entry the port was found at, and only when the file was written.
RuleEnd selectMidiPort(ParamChange& change);
