#include "src/params/TabSwitchFunctions.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IEffectBase.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdio>
#include <iterator>
#include <string>

namespace {

constexpr int kParts = 16;
constexpr int kMultiTab = 0;
constexpr int kLibrarianTab = 1;
constexpr int kPatternTab = 6;
constexpr int kLastStep = 32;

const char* const kHiddenOnEveryTab[] = {
    "multiModeSettingsPage1", "multiModeSettingsPage2", "effect1Overlayer",
    "effect2Overlayer",       "categoryLimit",          "discardChangesLayerRight",
    "keepBankOpenLayer",      "saveChangesLayer",       "searchField",
};

// Each filter's type panels and the type parameter it reads for the models Q and Q+.
struct FilterPanels {
    const char* panels[6];
    int typeParams[2];
};
constexpr FilterPanels kFilters[2] = {
    {{"filter1LP", "filter1BP", "filter1HP", "filter1Notch", "filter1CombMinus", "filter1CombPlus"},
     {kFilter1TypeQ, kFilter1TypeQPlus}},
    {{"filter2LP", "filter2BP", "filter2HP", "filter2Notch", "filter2CombMinus", "filter2CombPlus"},
     {kFilter2TypeQ, kFilter2TypeQPlus}},
};
// The panel of the filter types 0 to 10 (-1: none); every higher type is a low pass.
constexpr int kPanelOfFilterType[] = {-1, 0, 0, 1, 1, 2, 2, 3, 3, 4, 5};

// The zones of the four envelopes' modes and of the three LFOs' clocks on their pages.
constexpr int kEnvelopeModes[][2] = {
    {kFilterEnvMode, 10}, {kAmpEnvMode, 20}, {kEnvelope3Mode, 30}, {kEnvelope4Mode, 40}};
constexpr int kLfoClocks[][2] = {{kLFO1Clock, 10}, {kLFO2Clock, 20}, {kLFO3Clock, 30}};

std::string numbered(const char* prefix, int n) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%02d", prefix, n);
    return name;
}

// Shows the overlayers of the steps length + 2 to 32 and hides the others.
void coverStepsPast(ParamChangePlugin* plug, int length) {
    for (int step = 2; step <= kLastStep; ++step)
        hideNamedLayer(plug, numbered("step", step) + "overlayer", step - 2 < length);
}

void hideFilterPanels(ParamChangePlugin* plug) {
    for (const FilterPanels& filter : kFilters)
        for (const char* panel : filter.panels)
            hideNamedLayer(plug, panel, true);
}

double valueOf(ParamChangePlugin* plug, int idx) {
    IParam* param = plug->effect()->GetParam(idx);
    return param ? param->Value() : 0.0;
}

bool isPart(int part) {
    return part >= 0 && part < kParts;
}

// The truncated value of a per-part parameter; 0 for a part outside 0 to 15.
int partValue(ParamChangePlugin* plug, int first, int part) {
    return isPart(part) ? TruncToInt(valueOf(plug, first + part)) : 0;
}

void grayRandomize(ParamChangePlugin* plug, bool gray) {
    if (IControl* button = plug->randomizeControl()) button->GrayOut(gray);
}

// The bank and program strip of the part, or the multi's while the librarian holds multis.
void showBankAndProgram(ParamChangePlugin* plug, int part) {
    for (int i = 1; i <= kParts; ++i)
        hideNamedLayer(plug, numbered("bankAndProgram", i), true);
    hideNamedLayer(plug, "bankAndProgramMulti", true);
    if (plug->isMultiMode())
        hideNamedLayer(plug, "bankAndProgramMulti", false);
    else if (isPart(part))
        hideNamedLayer(plug, numbered("bankAndProgram", part + 1), false);
}

void showNames(ParamChangePlugin* plug, int part) {
    if (!isPart(part)) return;
    IEffectBase* effect = plug->effect();
    plug->displayPatchName(effect->GetParam(kPatchName + part)->GetDisplayText(0));
    plug->displayCategoryName(effect->GetParam(kCategoryName + part)->GetDisplayText(0));
}

void showMultiPage(ParamChangePlugin* plug) {
    const bool second = valueOf(plug, kMultiSettings) == 1.0;
    hideNamedLayer(plug, second ? "multiModeSettingsPage2" : "multiModeSettingsPage1", false);
    for (int part = 0; part < kParts; ++part)
        hideNamedLayer(plug, numbered("multiSettingsPart", part + 1),
                       valueOf(plug, kMultiPartSettings + part) < 1.0);
}

// Unless the bank is kept, the librarian's upper bank follows the part's program; a bank that
// holds unsaved data stays, as bank stepping leaves it.
void followPartProgram(ParamChangePlugin* plug, int part) {
    if (plug->keepSelectedBankFlag() || valueOf(plug, kBankEditUnsaved) == 1.0 || !isPart(part))
        return;
    plug->selectUpperBank(partValue(plug, kMultiPartPatch, part));
    plug->effect()->OnParamChange(kCurrentPatchBank + part);
}

void showLibrarianPage(ParamChangePlugin* plug, int part) {
    grayRandomize(plug, true);
    plug->showProgressIndicator(true);
    plug->enableLibrarianViewDrag();
    hideNamedLayer(plug, "BANKEDITMENU", false);
    hideNamedLayer(plug, "saveChangesLayer", false);
    hideNamedLayer(plug, "keepBankOpenLayer", true);
    const bool unsaved = valueOf(plug, kBankEditUnsaved) == 1.0;
    hideNamedLayer(plug, unsaved ? "discardChangesLayerRight" : "keepBankOpenLayer", false);
    followPartProgram(plug, part);
    if (plug->isMultiMode()) {
        hideNamedLayer(plug, "LeftPerformancePopupMenu", false);
        hideNamedLayer(plug, "RightPerformancePopupMenu", false);
    } else if (plug->isSequenceMode()) {
        hideNamedLayer(plug, "LeftPatternPopupMenu", false);
        hideNamedLayer(plug, "RightPatternPopupMenu", false);
    } else {
        hideNamedLayer(plug, "UPPERPOPUPMENU", false);
        if (plug->isCategoryView()) {
            hideNamedLayer(plug, "RightPatchPopupMenu", false);
        } else if (plug->isSearchView()) {
            hideNamedLayer(plug, "RightSearchPopupMenu", false);
        } else {
            hideNamedLayer(plug, "LOWERPOPUPMENU", false);
        }
    }
    // The filter follows the Search button, which may be on before any search ran.
    showLibrarianFilters(plug);
    plug->showProgressIndicator(false);
}

void followPartProgramQuietly(ParamChangePlugin* plug, int part) {
    const bool indicate = !plug->ThreadRunning();
    if (indicate) plug->showProgressIndicator(true);
    followPartProgram(plug, part);
    if (indicate) plug->showProgressIndicator(false);
    plug->setLibrarianViewCurrentSlot(partValue(plug, kMultiPartPatch, part));
}

// The first zone is lit while the oscillator is off, as the third oscillator's zone is, so
// that the three say so alike; the second for its sine and samples (shapes 4 and above).
void showOscillator(ControlLayer* page, int shape, int zone) {
    page->showMultiLayers(zone);
    page->showMultiLayers(zone + 10);
    page->GrayOutCustomZone(shape != 0, zone);
    page->GrayOutCustomZone(shape <= 3, zone + 10);
}

// The zone of the synthesizer model (kQModel 0 Q, 1 Q+): qZone or the one after it.
void showModelZone(ParamChangePlugin* plug, ControlLayer* page, int qZone) {
    const double model = valueOf(plug, kQModel);
    if (model == 0.0) page->showMultiLayers(qZone);
    if (model == 1.0) page->showMultiLayers(qZone + 1);
}

void showOscillators(ParamChangePlugin* plug, ControlLayer* page, int part) {
    showOscillator(page, partValue(plug, kOscillator1Shape, part), 10);
    showOscillator(page, partValue(plug, kOscillator2Shape, part), 30);
    page->showMultiLayers(50);
    page->GrayOutCustomZone(partValue(plug, kOscillator3Shape, part) != 0, 50);
    showModelZone(plug, page, 61);
}

void showFiltersAndEnvelopes(ParamChangePlugin* plug, ControlLayer* page, int part) {
    for (const auto& envelope : kEnvelopeModes)
        page->showMultiLayers(partValue(plug, envelope[0], part) + envelope[1]);
    showModelZone(plug, page, 51);
    hideFilterPanels(plug);
    const int model = plug->model();
    if (model != 0 && model != 1) return;
    for (const FilterPanels& filter : kFilters) {
        const int type = partValue(plug, filter.typeParams[model], part);
        if (type <= 0) continue;
        const int panel = type < int(std::size(kPanelOfFilterType)) ? kPanelOfFilterType[type] : 0;
        hideNamedLayer(plug, filter.panels[panel], false);
    }
}

void showLfos(ParamChangePlugin* plug, ControlLayer* page, int part) {
    for (const auto& lfo : kLfoClocks) {
        page->showMultiLayers(lfo[1]);
        page->GrayOutCustomZone(partValue(plug, lfo[0], part) == 1, lfo[1]);
    }
}

// Parts 5 to 16 have no effects of their own: their panels are greyed and covered.
void showEffects(ParamChangePlugin* plug, ControlLayer* page, int part) {
    for (const EffectZones& fx : kEffectZones) {
        const int mode = partValue(plug, fx.modeParam, part);
        const int clocked = partValue(plug, fx.clockedParam, part);
        page->showMultiLayers(mode + fx.typeOffset);
        if (mode == kDelayMode) {
            showDelayClocking(page, fx, clocked == 1);
        } else {
            if (mode == 0) page->GrayOutCustomZone(true, fx.typeOffset);
            showClosingEntries(page, fx);
        }
        const bool covered = part >= 4;
        page->GrayOutCustomZone(covered, clocked + fx.delayBase);
        page->GrayOutCustomZone(covered, mode + fx.typeOffset);
        hideNamedLayer(plug, fx.overlayer, !covered);
        page->GrayOutCustomZone(covered || mode != kDelayMode || clocked != 1, fx.delayZone);
    }
}

// Brings the shown page of tab 1 to 6 into line with the part; partPage is the part's
// sub-layer of the page.
void refreshTab(ParamChangePlugin* plug, int tab, ControlLayer* partPage, int part, bool quick) {
    using PageRefresh = void (*)(ParamChangePlugin*, ControlLayer*, int);
    static constexpr PageRefresh kPartPages[] = {
        nullptr, nullptr, showOscillators, showFiltersAndEnvelopes, showLfos, showEffects};
    if (tab == kLibrarianTab) {
        if (quick)
            followPartProgramQuietly(plug, part);
        else
            showLibrarianPage(plug, part);
    } else if (tab == kPatternTab) {
        coverStepsPast(plug, partValue(plug, kPatternStepLength, part));
    } else if (partPage) {
        kPartPages[tab](plug, partPage, part);
    }
}

} // namespace

void TabSwitchFunctions::mainTabSwitch(ParamChangePlugin* plug, int, int tab, int, int part) {
    ControlLayer* root = plug->namedLayer("root");
    if (root) selectChild(root, tab);
    hideNamedLayer(plug, "miniMixer", tab == kMultiTab);
    hideBankMenus(plug);
    hideNamedLayer(plug, "BANKEDITMENU", true);
    hideFilterPanels(plug);
    for (int i = 1; i <= kParts; ++i)
        hideNamedLayer(plug, numbered("multiSettingsPart", i), true);
    coverStepsPast(plug, kLastStep);
    for (const char* name : kHiddenOnEveryTab)
        hideNamedLayer(plug, name, true);
    grayRandomize(plug, true);
    showBankAndProgram(plug, part);
    hideNamedLayer(plug, "viewPatternDataLayer", true);
    showNames(plug, part);
    if (tab == kMultiTab) {
        showMultiPage(plug);
        return;
    }
    if (tab < kLibrarianTab || tab > kPatternTab) return;
    grayRandomize(plug, false);
    ControlLayer* page = root ? selectedChild(root) : nullptr;
    if (page) selectChild(page, part);
    refreshTab(plug, tab, page ? selectedChild(page) : nullptr, part, false);
}

void TabSwitchFunctions::quickTabSwitch(ParamChangePlugin* plug, int paramId, int subPage, int,
                                        bool selectOnHardware) {
    const int part = TruncToInt(valueOf(plug, paramId));
    showBankAndProgram(plug, subPage);
    ControlLayer* root = plug->namedLayer("root");
    const int tab = root ? root->getSelectedId() : kMultiTab;
    if (tab <= kMultiTab) return;
    bool send = selectOnHardware;
    if (ControlLayer* page = selectedChild(root)) {
        // The librarian page holds no part pages: its sub-layers are the overlays that its
        // own refresh shows, among them the unsaved bank's buttons.
        if (tab != kLibrarianTab) selectChild(page, subPage);
        if (isPart(part)) plug->selectedPart() = part;
        if (tab <= kPatternTab) refreshTab(plug, tab, selectedChild(page), part, true);
        send = send || tab == kPatternTab;
        showNames(plug, subPage);
    }
    if (send) {
        plug->patternSendFlag() = true;
        plug->sendPatchAndPatternToDevice(subPage, true, false, false, true);
    } else {
        plug->partSelectFlag() = true;
    }
}

void TabSwitchFunctions::followPatternLength(ParamChangePlugin* plug, int part) {
    const ControlLayer* root = plug->namedLayer("root");
    if (root && root->getSelectedId() == kPatternTab && plug->selectedPart() == part)
        coverStepsPast(plug, partValue(plug, kPatternStepLength, part));
}
