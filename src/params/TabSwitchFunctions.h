#pragma once

class ParamChangePlugin;

// Shows and hides the editor's pages for the main tab and the quick tab (the selected part).
// Stateless.
class TabSwitchFunctions {
public:
    // The pages of a main tab for the given part and synthesizer model.
    static void mainTabSwitch(ParamChangePlugin* plug, int paramId, int tab, int model, int part);
    // The pages of a part (subPage) on the current main tab; selectOnHardware also selects the
    // part on the synthesizer.
    static void quickTabSwitch(ParamChangePlugin* plug, int paramId, int subPage, int model,
                               bool selectOnHardware);
};
