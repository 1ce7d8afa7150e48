#pragma once

#include <functional>
#include <vector>

class ControlAction;
class IParam;
class ParamChangePlugin;
struct SenderJob;

// One editor-side parameter change as the family rules see it. v, idx and ca are read once
// at entry; only the host tempo and the default port rules replace iv for the steps after.
struct ParamChange {
    ParamChangePlugin* const plug;
    const int idx;
    IParam* const param;
    const double v;
    int iv;
    ControlAction* const ca;
};

// How a rule ends: kGoOn leads from stage 1 to the display and from stage 3 to the common
// tail; kStop ends the dispatch (the lock is still released once).
enum class RuleEnd { kGoOn, kStop };
using ParamRule = RuleEnd (*)(ParamChange& change);

// A row of the dispatcher's chain: the ids it claims and its rule. A row without a rule
// claims nothing, so its ids go on as if unclaimed. A slot of the chain is one row, or
// several neighbouring rows that split its ids among their rules.
struct RuleSlot {
    bool (*claims)(int id);
    ParamRule rule;
};

// The two stages of the chain, each tried in order until a row with a rule claims the id.
// Stage 1 runs before the display, stage 3 after it; an id may be claimed in both. The rules
// of the families are functions of this module put into the rows of kParamRules.
struct ParamRuleTable {
    std::vector<RuleSlot> stage1;
    std::vector<RuleSlot> stage3;
};
extern const ParamRuleTable kParamRules;

// True when id is one of the 16 per-part ids from first.
inline bool isPartBlock(int id, int first) {
    return id >= first && id < first + 16;
}

// ---- Idioms the rules share.

// The clamp idiom: the changed parameter holds iv, bounded by its range (IParam::Set, which
// tells no control, handler or host).
void clampChangedValue(ParamChange& change);
// The toggle idiom: target becomes 0.0 from exactly 1.0, else 1.0; the new value is stored
// bounded by target's range, target's own change is dispatched through the plug-in
// (re-entering the plug lock) and then shown on its controls. Returns the new value.
double toggleMirrored(ParamChangePlugin* plug, int target, bool normalized = false);
// The toggle idiom with the new value given.
void dispatchMirrored(ParamChangePlugin* plug, int target, double value, bool normalized = false);
// Another parameter takes the plain value, bounded by its range, and its controls show it;
// nothing is dispatched. Stored also while no editor is open.
void setFromPlug(ParamChangePlugin* plug, int idx, double value);

// What posting a job does besides writing its arguments, and only when it is posted.
enum class JobKind {
    kDump,    // sends from the editor's values
    kRequest, // asks the synthesizer; the answer goes to the editor (dumpAwaited)
};
// The posting idiom: the job runs on the dump worker; a post while the worker runs is dropped
// silently and no side effect takes place. clearSoundRequest also disarms the librarian's
// sound collection. Returns whether the job was posted.
bool postSenderJob(ParamChangePlugin* plug, int command, JobKind kind,
                   const std::function<void(SenderJob&)>& setArguments,
                   bool clearSoundRequest = false);
// Posts the send of the part's sound from the editor's values (job 2, not into the librarian).
bool postPartSend(ParamChangePlugin* plug, int part, bool clearSoundRequest = false);
