#include "src/params/PageZones.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IEffectBase.h"
#include "kit/effect/ITextControl.h"
#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ParameterIds.h"

const EffectZones kEffectZones[2] = {
    {kEffect1Mode, kFX1DelayClocked, 10, 20, 40, {22, 42}, "effect1Overlayer"},
    {kEffect2Mode, kFX2DelayClocked, 300, 30, 50, {32, 52}, "effect2Overlayer"},
};

void hideNamedLayer(ParamChangePlugin* plug, const std::string& name, bool hidden) {
    if (ControlLayer* layer = plug->namedLayer(name)) layer->Hide(hidden);
}

void hideBankMenus(ParamChangePlugin* plug) {
    for (const char* name :
         {"UPPERPOPUPMENU", "LOWERPOPUPMENU", "RightPatchPopupMenu", "RightSearchPopupMenu",
          "LeftPerformancePopupMenu", "RightPerformancePopupMenu", "LeftPatternPopupMenu",
          "RightPatternPopupMenu"})
        hideNamedLayer(plug, name, true);
}

void grayLibrarianFilters(ParamChangePlugin* plug) {
    const bool sounds = !plug->isMultiMode() && !plug->isSequenceMode();
    // Each is set both ways: showing a layer leaves it grayed as it was.
    for (const char* name : {"categoryLimit", "searchField"})
        if (ControlLayer* layer = plug->namedLayer(name)) layer->GrayOut(!sounds);
    if (IControl* button = plug->searchButton()) button->GrayOut(!sounds || plug->isCategoryView());
}

void showLibrarianFilters(ParamChangePlugin* plug) {
    const bool search = plug->effect()->GetParam(kPatchSearch)->Value() == 1.0;
    hideNamedLayer(plug, "categoryLimit", search);
    hideNamedLayer(plug, "searchField", !search);
    grayLibrarianFilters(plug);
}

void showMessage(ParamChangePlugin* plug, const char* name, const char* value) {
    if (ITextControl* line = plug->displayNameLine()) line->SetTextFromPlug(name);
    if (ITextControl* line = plug->displayValueLine(); line && value) line->SetTextFromPlug(value);
}

ControlLayer* selectedChild(ControlLayer* layer) {
    return layer->getChildren().Get(layer->getSelectedId());
}

void selectChild(ControlLayer* layer, int id) {
    layer->setSelectedId(id);
    const auto& children = layer->getChildren();
    for (int i = 0; i < children.GetSize(); ++i)
        children.Get(i)->Hide(children.Get(i)->getId() != id);
}

ControlLayer* currentEffectsPage(ParamChangePlugin* plug) {
    ControlLayer* effects = plug->namedLayer("effectsArp");
    return effects ? selectedChild(effects) : nullptr;
}

void showDelayClocking(ControlLayer* page, const EffectZones& fx, bool clocked) {
    page->showMultiLayers(fx.delayZone);
    page->showMultiLayers(fx.delayBase + (clocked ? 1 : 0));
    page->GrayOutCustomZone(!clocked, fx.delayZone);
}

void showClosingEntries(ControlLayer* page, const EffectZones& fx) {
    for (int zone : fx.closing)
        page->showMultiLayers(zone);
}
