#pragma once

#include "kit/effect/ControlLayer.h"
#include "tests/support/FakeParamChangePlugin.h"
#include "tests/support/TestControl.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// The editor's layers as the page switches see them, built in code and registered with the
// fake: "root" with the seven main-tab pages (ids 0 to 6), each holding 16 part sub-layers
// (ids 0 to 15) with the numbered zones the switches address, and every other named layer on
// its own. Every layer starts hidden; each zone holds one control, so its grey state shows.
// Header-only so that benchmarks can use it.
class EditorLayerTree {
public:
    explicit EditorLayerTree(FakeParamChangePlugin& fake) : fake(fake) {
        const char* pages[] = {"multiPage",    "librarianPage", "oscillators", "filtersEnvelopes",
                               "lfoModMatrix", "effectsArp",    "patternPage"};
        root = add(new ControlLayer(0, "root"));
        for (int tab = 0; tab < 7; ++tab) {
            auto* page = new ControlLayer(tab, pages[tab]);
            root->addChild(page);
            fake.layers[pages[tab]] = page;
            for (int part = 0; part < 16; ++part) {
                auto* partPage = new ControlLayer(part, "part");
                page->addChild(partPage);
                for (int zone : zoneIds()) {
                    auto* layer = new ControlLayer(zone, "zone");
                    layer->addControl(new TestControl(&fake, IRECT()));
                    partPage->addChild(layer);
                }
            }
        }
        for (const std::string& name : namedLayers())
            add(new ControlLayer(0, name));
    }

    // The zones of every part sub-layer: the types of both effects, envelope modes, LFOs,
    // oscillators, delays and models.
    static std::vector<int> zoneIds() {
        std::vector<int> ids;
        for (int first : {10, 20, 30, 40})
            for (int id = first; id < first + (first == 10 ? 10 : 5); ++id)
                ids.push_back(id);
        for (int id : {50, 51, 52, 61, 62})
            ids.push_back(id);
        for (int id = 300; id < 312; ++id)
            ids.push_back(id);
        return ids;
    }
    // The free-standing named layers, in the order they are made.
    static std::vector<std::string> namedLayers() {
        std::vector<std::string> names = {"miniMixer",
                                          "multiModeSettingsPage1",
                                          "multiModeSettingsPage2",
                                          "bankAndProgramMulti",
                                          "effect1Overlayer",
                                          "effect2Overlayer",
                                          "categoryLimit",
                                          "searchField",
                                          "discardChangesLayerRight",
                                          "keepBankOpenLayer",
                                          "saveChangesLayer",
                                          "viewPatternDataLayer",
                                          "UPPERPOPUPMENU",
                                          "LOWERPOPUPMENU",
                                          "RightPatchPopupMenu",
                                          "RightSearchPopupMenu",
                                          "LeftPerformancePopupMenu",
                                          "RightPerformancePopupMenu",
                                          "LeftPatternPopupMenu",
                                          "RightPatternPopupMenu",
                                          "BANKEDITMENU",
                                          "patchRename",
                                          "midiFilterSettings",
                                          "aboutWindow"};
        for (const char* filter : {"filter1", "filter2"})
            for (const char* type : {"LP", "BP", "HP", "Notch", "CombMinus", "CombPlus"})
                names.push_back(std::string(filter) + type);
        char name[40];
        for (int i = 1; i <= 16; ++i) {
            std::snprintf(name, sizeof name, "multiSettingsPart%02d", i);
            names.push_back(name);
            std::snprintf(name, sizeof name, "bankAndProgram%02d", i);
            names.push_back(name);
        }
        for (int step = 2; step <= 32; ++step) {
            std::snprintf(name, sizeof name, "step%02doverlayer", step);
            names.push_back(name);
        }
        return names;
    }

    ControlLayer* partPage(int tab, int part) const {
        return root->getChildren().Get(tab)->getChildren().Get(part);
    }
    // The visible free-standing named layers and pages, in the order they are made.
    std::string visibleNamed() const {
        std::string shown;
        for (int tab = 0; tab < 7; ++tab)
            if (root->getChildren().Get(tab)->isVisible())
                shown += root->getChildren().Get(tab)->getName() + " ";
        for (const auto& layer : owned)
            if (layer->isVisible()) shown += layer->getName() + " ";
        return shown;
    }
    // A part sub-layer's visible zones, then "/" and its greyed zones.
    std::string zones(int tab, int part) const {
        std::string shown, greyed;
        const auto& children = partPage(tab, part)->getChildren();
        for (int i = 0; i < children.GetSize(); ++i) {
            const ControlLayer* zone = children.Get(i);
            const std::string id = std::to_string(zone->getId()) + " ";
            if (zone->isVisible()) shown += id;
            if (zone->getControls().Get(0)->IsGrayed()) greyed += id;
        }
        return shown + "/ " + greyed;
    }

    FakeParamChangePlugin& fake;
    ControlLayer* root;

private:
    ControlLayer* add(ControlLayer* layer) {
        owned.emplace_back(layer);
        fake.layers[layer->getName()] = layer;
        return layer;
    }

    std::vector<std::unique_ptr<ControlLayer>> owned;
};

} // namespace testsupport
