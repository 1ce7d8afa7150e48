#include "src/params/TabSwitchFunctions.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/support/EditorLayerTree.h"
#include "tests/uiconfig/FakeConfigGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The page switches over the committed layout: every layer they name is there but the
// librarian menus, which the plug-in makes itself, and the switches find the parts' pages and
// zones where the layout puts them.
TEST(PagesOnLayout, TheSwitchesFindEveryPageAndZoneOfTheLayout) {
    setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILD_RESOURCES, 1);
    setenv("ZOZ_MIDI_API", "alsa", 1);
    testsupport::FakeParamChangePlugin fake(false);
    FakeConfigGraphics graphics;
    FakeConfigPlugin plugin(false);
    plugin.effectBase = &fake;
    UIConfigManager manager;
    manager.readUIConfig(&graphics, &plugin, nullptr, 0, 1.0);
    std::vector<std::string> names = testsupport::EditorLayerTree::namedLayers();
    names.insert(names.end(),
                 {"root", "oscillators", "filtersEnvelopes", "lfoModMatrix", "effectsArp"});
    for (const std::string& name : names) {
        fake.layers[name] = manager.getLayer(name);
        const bool menu = name.find("POPUPMENU") != std::string::npos ||
                          name.find("PopupMenu") != std::string::npos || name == "BANKEDITMENU";
        EXPECT_EQ(fake.layers[name] == nullptr, menu) << name;
    }

    fake.setValue(kEffect1Mode + 2, 4);
    fake.setValue(kFX1DelayClocked + 2, 1);
    fake.setValue(kFilter1TypeQ + 2, 9);
    fake.setValue(kPatternStepLength + 2, 30);
    const auto& pages = fake.layers["root"]->getChildren();
    for (int tab = 0; tab <= 6; ++tab) {
        TabSwitchFunctions::mainTabSwitch(&fake, kMainTab, tab, 0, 2);
        for (int i = 0; i < pages.GetSize(); ++i)
            EXPECT_EQ(pages.Get(i)->isVisible(), i == tab) << tab;
        const ControlLayer* part = pages.Get(tab)->getChildren().Get(2);
        EXPECT_TRUE(tab < 2 || (part->getId() == 2 && part->isVisible())) << tab;
        EXPECT_EQ(fake.layers["filter1CombMinus"]->isVisible(), tab == 3);
        if (tab == 6) {
            EXPECT_TRUE(fake.layers["step32overlayer"]->isVisible());
            EXPECT_FALSE(fake.layers["step31overlayer"]->isVisible());
        }
        if (tab != 5) continue;
        std::string shown;
        for (int i = 0; i < part->getChildren().GetSize(); ++i)
            if (part->getChildren().Get(i)->isVisible())
                shown += part->getChildren().Get(i)->getName() + " ";
        EXPECT_EQ(shown, "fx1TypeZone4 fx1DelayClockedZone fx1TempoZone fx2TypeZone0 "
                         "fx2NoDelayZone fx2NoTempoZone ");
    }
}
