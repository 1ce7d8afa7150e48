#pragma once

class ParamChangePlugin;

// Shows and hides the editor's pages for the main tab and for the part shown on it (the quick
// tab), and brings the part's panels into line with its settings: oscillator zones, envelope
// and filter panels, LFO clocks, effect panels, covered pattern steps. Stateless; runs inside
// the plug lock. Layers the layout lacks are passed over.
class TabSwitchFunctions {
public:
    // Shows page tab for the part. paramId and model are not used: the plug-in's model is read.
    static void mainTabSwitch(ParamChangePlugin* plug, int paramId, int tab, int model, int part);
    // Shows sub-page subPage on the current main tab and makes the value of paramId (always
    // kQuickTab) the selected part; on the multi page only the bank and program strip
    // changes. With selectOnHardware, or on the pattern page, the multi and its patterns are
    // sent (waiting 400 ms); otherwise the next part change by the user will send. model is
    // not used.
    static void quickTabSwitch(ParamChangePlugin* plug, int paramId, int subPage, int model,
                               bool selectOnHardware);
    // While the pattern page shows the part, veils its steps past its length and opens the
    // others.
    static void followPatternLength(ParamChangePlugin* plug, int part);
};
