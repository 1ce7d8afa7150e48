// The layout's named layers with their start visibility, and the controls that later code
// addresses directly.

#include "src/core/Zoz.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/ITextControl.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/UIConfigManager.h"

#include <cstdio>
#include <vector>

namespace {

enum class Start { kAsLaidOut, kShown, kHidden, kFirstShown };

// One layer, or a family numbered with two digits from first to last between prefix and
// suffix. Grouped rows are all looked up before any of them is shown or hidden.
struct LayerRow {
    const char* prefix;
    Start start;
    int first = 0;
    int last = 0;
    const char* suffix = "";
    bool grouped = false;
};

const LayerRow kLayoutLayers[] = {
    {"root", Start::kShown},
    {"oscillators", Start::kAsLaidOut},
    {"filtersEnvelopes", Start::kAsLaidOut},
    {"lfoModMatrix", Start::kAsLaidOut},
    {"effectsArp", Start::kAsLaidOut},
    {"miniMixer", Start::kAsLaidOut},
    {"multiModeSettingsPage1", Start::kShown},
    {"multiModeSettingsPage2", Start::kHidden},
    {"effect1Overlayer", Start::kHidden},
    {"effect2Overlayer", Start::kHidden},
    {"filter1LP", Start::kHidden},
    {"filter1BP", Start::kHidden},
    {"filter1HP", Start::kHidden},
    {"filter1Notch", Start::kHidden},
    {"filter1CombMinus", Start::kHidden},
    {"filter1CombPlus", Start::kHidden},
    {"filter2LP", Start::kHidden},
    {"filter2BP", Start::kHidden},
    {"filter2HP", Start::kHidden},
    {"filter2Notch", Start::kHidden},
    {"filter2CombMinus", Start::kHidden},
    {"filter2CombPlus", Start::kHidden},
    {"bankAndProgram", Start::kFirstShown, 1, 16, "", true},
    {"bankAndProgramMulti", Start::kHidden, 0, 0, "", true},
    {"multiSettingsPart", Start::kHidden, 1, 16},
    {"saveChangesLayer", Start::kHidden},
    {"discardChangesLayerRight", Start::kHidden},
    {"keepBankOpenLayer", Start::kHidden},
    {"viewPatternDataLayer", Start::kHidden},
    {"aboutWindow", Start::kHidden},
    {"firstRunNotification", Start::kHidden},
    {"bankPatchConflictWindow", Start::kHidden},
    {"midiFilterSettings", Start::kHidden},
    {"step", Start::kHidden, 2, 32, "overlayer"},
};

// Notices that the user closes by their own button: while one is shown, a click beside it
// does nothing.
const char* const kModalLayers[] = {"aboutWindow", "firstRunNotification",
                                    "bankPatchConflictWindow"};

// Taken after the randomize button is grayed.
const LayerRow kDialogLayers[] = {
    {"patchRename", Start::kHidden},
    {"categoryLimit", Start::kHidden},
    {"searchField", Start::kHidden},
};

void applyStart(ControlLayer* layer, Start start, bool first) {
    if (!layer || start == Start::kAsLaidOut) return;
    layer->Hide(!(start == Start::kShown || (start == Start::kFirstShown && first)));
}

// Looks each layer of the rows up in order and gives it its start visibility.
template <size_t N, typename Find> void takeLayers(const LayerRow (&rows)[N], Find find) {
    struct Taken {
        ControlLayer* layer;
        Start start;
        bool first;
    };
    std::vector<Taken> group;
    auto flush = [&] {
        for (const Taken& t : group)
            applyStart(t.layer, t.start, t.first);
        group.clear();
    };
    for (const LayerRow& row : rows) {
        if (!row.grouped) flush();
        for (int n = row.first; n <= row.last; ++n) {
            char number[4] = "";
            if (row.last > 0) snprintf(number, sizeof number, "%02d", n);
            const Taken t{find(row.prefix + std::string(number) + row.suffix), row.start,
                          n == row.first};
            if (row.grouped)
                group.push_back(t);
            else
                applyStart(t.layer, t.start, t.first);
        }
    }
    flush();
}

} // namespace

void Zoz::takeLayoutLayers() {
    takeLayers(kLayoutLayers, [this](const std::string& name) { return findLayoutLayer(name); });
    for (const char* name : kModalLayers)
        if (ControlLayer* layer = uiConfig->getLayer(name)) layer->setModal(true);
}

void Zoz::takeDialogLayers() {
    takeLayers(kDialogLayers, [this](const std::string& name) { return findLayoutLayer(name); });
}

ControlLayer* Zoz::findLayoutLayer(const std::string& name) {
    ControlLayer* found = uiConfig->getLayer(name);
    if (!found) log("CONFIG READER: ", name, " MISSING!");
    return found;
}

ControlLayer* Zoz::namedLayer(const std::string& name) const {
    // The page switches show and hide the menus' layers by name, as they do the layout's.
    if (ControlLayer* menu = popupMenuLayer(name)) return menu;
    return uiConfig->getLayer(name);
}

IControl* Zoz::keepFirstControl(int paramIdx) {
    const IParam* param = GetParam(paramIdx);
    const ControlAction* action = param ? param->GetControlAction() : nullptr;
    if (!action || action->controls.empty()) {
        log("CONFIG READER: control of parameter ", std::to_string(paramIdx), " MISSING!");
        return nullptr;
    }
    return controls[paramIdx] = action->controls.front();
}

IControl* Zoz::keptControl(int paramIdx) const {
    const auto it = controls.find(paramIdx);
    return it == controls.end() ? nullptr : it->second;
}

void Zoz::showText(int paramIdx, const std::string& text) {
    if (auto* display = dynamic_cast<ITextControl*>(keptControl(paramIdx)))
        display->SetTextFromPlug(text.c_str());
}
