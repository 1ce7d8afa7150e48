#pragma once

#include "src/params/ParamRules.h"

class ParamChangePlugin;

// The plug-in's two reactions to a parameter change, to which its OnParamChange and
// OnParamChange2 forward. Both run inside the plug lock, which they take (re-entrantly), so
// the two never overlap on different threads.
class ZozParamChanges {
public:
    explicit ZozParamChanges(ParamChangePlugin* plug, const ParamRuleTable& rules = kParamRules)
        : plug(plug), rules(rules) {}

    // An editor-side change whose value is already stored: stage-1 rules, the value display
    // (while an editor is open), stage-3 rules and, for a parameter with a ControlAction,
    // its page switcher, its MIDI and its link. An id outside the list does nothing.
    void OnParamChange(int idx);
    // A value that came from the synthesizer, or the refresh after a dump: display, quick
    // tab, page switcher, bound controls (nothing sent) and linked partners (sent); no rules
    // and no jobs. Clears the manager's dumpAwaited.
    void OnParamChange2(int idx);

private:
    // Runs the first row of the stage whose rule claims the id; kGoOn when none does.
    static RuleEnd runStage(const std::vector<RuleSlot>& rows, ParamChange& c);

    ParamChangePlugin* plug;
    const ParamRuleTable rules;
};
