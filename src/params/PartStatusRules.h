#pragma once

#include "src/params/ParamRules.h"

// The rules of the multi's part settings and of the editor switches that only set a flag of
// the plug-in or show a page (stage 3). Each goes on to the common tail.

// Status, engine, MIDI receive and transmit and the six controller switches of a part: the
// part's packed status byte goes to the synthesizer; status and engine mirror each other.
RuleEnd sendPartSetting(ParamChange& change);
// The part's multi settings page is shown while the switch is above 0.
RuleEnd showMultiSettingsPage(ParamChange& change);
// Program changes select banks and programs (kControlProgBank) or audition librarian
// entries (kControlLibrary); switching one on switches the other off.
RuleEnd chooseProgramControl(ParamChange& change);
// The device id, bounded to 0..127, goes into the header of every later message; while the
// ports are set the synthesizer is told the new id first.
RuleEnd changeDeviceId(ParamChange& change);
RuleEnd showAboutWindow(ParamChange& change);
