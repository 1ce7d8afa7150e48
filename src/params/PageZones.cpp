#include "src/params/PageZones.h"

#include "kit/effect/ControlLayer.h"
#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ParameterIds.h"

const EffectZones kEffectZones[2] = {
    {kEffect1Mode, kFX1DelayClocked, 10, 20, 40, {22, 42}, "effect1Overlayer"},
    {kEffect2Mode, kFX2DelayClocked, 300, 30, 50, {32, 52}, "effect2Overlayer"},
};

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
