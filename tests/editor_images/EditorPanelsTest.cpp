// The editor's panels as a person meets them: clicks through the view of a new plug-in
// instance with the committed layout. While a panel is open it takes every click inside its
// frame.

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
