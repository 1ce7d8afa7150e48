// The editor's panels as a person meets them: clicks through the view of a new plug-in
// instance with the committed layout. A panel opens on a click, stays open, closes by its own
// button, and while it is open takes every click inside its frame.

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IGraphics.h"
#include "platform/view/HeadlessView.h"
#include "src/core/Zoz.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/BankFileGenerator.h"
#include "tools/render-pages/EditorPages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool shown(Zoz& plug, const std::string& layer) {
    const ControlLayer* found = plug.namedLayer(layer);
    return found && found->isVisible();
}

// The first control of the layer's tree that takes, depth first.
template <typename Test> IControl* findIn(const ControlLayer& layer, const Test& takes) {
    for (int i = 0; i < layer.getControls().GetSize(); ++i)
        if (takes(layer.getControls().Get(i))) return layer.getControls().Get(i);
    for (int i = 0; i < layer.getChildren().GetSize(); ++i)
        if (IControl* found = findIn(*layer.getChildren().Get(i), takes)) return found;
    return nullptr;
}

// The parameter's control in a layer ("" for the top level).
IControl* control(Zoz& plug, const std::string& layer, int param) {
    if (!layer.empty())
        return findIn(*plug.namedLayer(layer), [&](IControl* c) { return c->ParamIdx() == param; });
    for (int i = 0; i < plug.GetGUI()->NControls(); ++i)
        if (plug.GetGUI()->GetControl(i)->ParamIdx() == param) return plug.GetGUI()->GetControl(i);
    return nullptr;
}

// A click on the middle of the control, at the normal size.
void click(EditorPages& pages, const IControl* target) {
    ASSERT_TRUE(target);
    const IRECT& r = target->GetRECT();
    pages.click((r.L + r.R) / 2, (r.T + r.B) / 2);
}

TEST(EditorPanels, EachOpensOnAClickStaysOpenAndClosesByItsButton) {
    testsupport::TempFolder data;
    EditorPages pages(ZOZ_BUILD_RESOURCES, data.path(), 0, 1, true);
    ASSERT_TRUE(pages.open());
    Zoz& plug = pages.plug();
    auto* view = static_cast<platform::HeadlessView*>(plug.GetGUI()->GetWindow());
    // The opener's layer ("": the top level) and parameter (-1: the plug-in shows the panel),
    // and the closer's.
    const struct {
        const char* panel;
        const char* openerLayer;
        int opener;
        const char* closerLayer;
        int closer;
    } panels[] = {
        {"firstRunNotification", "", -1, "firstRunNotification", kFirstRunExit},
        {"bankPatchConflictWindow", "", -1, "bankPatchConflictWindow", kFirstRunExit},
        {"midiFilterSettings", "", kViewMIDIFilterSettings, "midiFilterSettings",
         kViewMIDIFilterSettings},
        {"midiFilterSettings", "", kViewMIDIFilterSettings, "", kViewMIDIFilterSettings},
        {"aboutWindow", "", kDisplayAboutWindow, "aboutWindow", kExitAboutWindow},
        {"multiSettingsPart03", "multiModeSettingsPage1", kMultiPartSettings + 2,
         "multiModeSettingsPage1", kMultiPartSettings + 2},
        {"multiModeSettingsPage2", "multiModeSettingsPage1", kMultiSettings,
         "multiModeSettingsPage2", kMultiSettings},
    };
    EXPECT_TRUE(shown(plug, "firstRunNotification"));
    for (const auto& p : panels) {
        SCOPED_TRACE(p.panel);
        if (p.opener >= 0)
            click(pages, control(plug, p.openerLayer, p.opener));
        else if (!shown(plug, p.panel)) // as a refused program change shows it
            plug.namedLayer(p.panel)->Hide(false);
        for (int tick = 0; tick < 25; ++tick) // a second
            view->Tick();
        EXPECT_TRUE(shown(plug, p.panel));
        IControl* closer = control(plug, p.closerLayer, p.closer);
        if (p.closer == kMultiSettings) {
            EXPECT_EQ(closer->GetValue(), 1.0) << "the page's own switch reads On";
        }
        if (p.closerLayer == std::string("midiFilterSettings")) {
            IControl* checkbox = control(plug, p.panel, kMIDIFilterDAWPCPassThrough);
            click(pages, checkbox);
            EXPECT_EQ(plug.GetParam(kMIDIFilterDAWPCPassThrough)->Value(), 1.0);
        }
        click(pages, closer);
        EXPECT_FALSE(shown(plug, p.panel));
        if (p.opener >= 0) {
            EXPECT_EQ(control(plug, p.openerLayer, p.opener)->GetValue(), 0.0)
                << "the opener shows the panel closed";
        }
    }
    EXPECT_EQ(plug.settingsLines()[2], "yes");
}

// Every point of an open panel's frame reaches the panel, on the pages it opens over: on the
// librarian page a click in the About box on the bank menu's place behind it opens no menu.
// While the progress veil is up, a click on a tab changes nothing and its Cancel works.
TEST(EditorPanels, AnOpenPanelTakesEveryClickInsideItsFrame) {
    testsupport::TempFolder data;
    EditorPages pages(ZOZ_BUILD_RESOURCES, data.path(), 0, 1);
    ASSERT_TRUE(pages.open());
    Zoz& plug = pages.plug();
    IGraphics* graphics = plug.GetGUI();
    for (int tab : {0, 1})
        for (const char* name : {"aboutWindow", "firstRunNotification", "bankPatchConflictWindow",
                                 "midiFilterSettings", "patchRename", "multiSettingsPart01"}) {
            if (tab == 1 && name == std::string("multiSettingsPart01")) continue;
            pages.showTab(tab);
            ControlLayer* panel = plug.namedLayer(name);
            panel->Hide(false);
            const IRECT frame = panel->getControls().Get(0)->GetRECT();
            int astray = 0;
            for (int y = frame.T; y < frame.B; y += 4)
                for (int x = frame.L; x < frame.R; x += 4) {
                    const IControl* hit = graphics->GetMouseControlIdx(x, y);
                    astray += !findIn(*panel, [hit](IControl* c) { return c == hit; });
                }
            EXPECT_EQ(astray, 0) << name << " on tab " << tab;
            panel->Hide(true);
        }
    auto* view = static_cast<platform::HeadlessView*>(graphics->GetWindow());
    pages.showTab(1);
    click(pages, control(plug, "", kDisplayAboutWindow));
    pages.click(600, 470);
    EXPECT_TRUE(shown(plug, "aboutWindow"));
    EXPECT_FALSE(view->Shown(1)) << "a menu opened behind the About box";

    pages.showTab(0);
    plug.DisplayProcessingIndicator(true);
    pages.showTab(2);
    EXPECT_EQ(plug.GetParam(kMainTab)->Value(), 0.0);
    const ControlLayer& progress = *graphics->GetLayer(graphics->NLayers() - 1);
    click(pages, findIn(progress, [](IControl* c) {
              return c->ParamIdx() == kCancelDataRequest && !c->IsHidden();
          }));
    EXPECT_TRUE(plug.requestCancelFlag());
}

} // namespace
