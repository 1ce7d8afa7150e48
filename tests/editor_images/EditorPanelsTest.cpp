// The editor's panels as a person meets them, by clicks through the view of a new plug-in
// instance with the committed layout.

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IGraphics.h"
#include "platform/view/HeadlessView.h"
#include "src/core/Zoz.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/BankFileGenerator.h"
#include "tools/render-pages/EditorPages.h"

#include <gtest/gtest.h>

namespace {

// The first control of the layer's tree that takes.
template <typename Test> IControl* findIn(const ControlLayer& layer, const Test& takes) {
    for (int i = 0; i < layer.getControls().GetSize(); ++i)
        if (takes(layer.getControls().Get(i))) return layer.getControls().Get(i);
    for (int i = 0; i < layer.getChildren().GetSize(); ++i)
        if (IControl* found = findIn(*layer.getChildren().Get(i), takes)) return found;
    return nullptr;
}

// Clicks a shown control of the parameter: the panel's own when it has one, else the first.
IControl* clickControl(EditorPages& pages, const ControlLayer* panel, int param) {
    IGraphics& graphics = *pages.plug().GetGUI();
    const auto takes = [&](IControl* c) { return c->ParamIdx() == param && !c->IsHidden(); };
    IControl* c = panel ? findIn(*panel, takes) : nullptr;
    for (int i = 0; !c && i < graphics.NControls(); ++i)
        if (takes(graphics.GetControl(i))) c = graphics.GetControl(i);
    for (int i = 0; !c && i < graphics.NLayers(); ++i)
        c = findIn(*graphics.GetLayer(i), takes);
    if (!c) {
        ADD_FAILURE() << "no control of parameter " << param << " is shown";
        return nullptr;
    }
    pages.click((c->GetRECT().L + c->GetRECT().R) / 2, (c->GetRECT().T + c->GetRECT().B) / 2);
    return c;
}

// Each panel opens on a click (or as the plug-in opens it), is still open a second later,
// takes the clicks on its controls, closes by its button and its opener then shows it closed.
// Every point of an open panel's frame reaches the panel, also over the librarian's menus
// that the plug-in attaches after it.
TEST(EditorPanels, OpenOnAClickStayOpenCloseByTheirButtonAndTakeTheirFrame) {
    testsupport::TempFolder data;
    EditorPages pages(ZOZ_BUILD_RESOURCES, data.path(), 0, 1, true);
    ASSERT_TRUE(pages.open());
    Zoz& plug = pages.plug();
    IGraphics& graphics = *plug.GetGUI();
    auto* view = static_cast<platform::HeadlessView*>(graphics.GetWindow());
    const auto click = [&](const ControlLayer* panel, int param) {
        return clickControl(pages, panel, param);
    };
    const struct {
        int tab; // the page it opens over
        const char* panel;
        int opener, closer; // no opener: the plug-in opens it
        bool closerInPanel;
    } panels[] = {
        {0, "firstRunNotification", -1, kFirstRunExit, true},
        {1, "bankPatchConflictWindow", -1, kFirstRunExit, true},
        {1, "midiFilterSettings", kViewMIDIFilterSettings, kViewMIDIFilterSettings, true},
        {0, "midiFilterSettings", kViewMIDIFilterSettings, kViewMIDIFilterSettings, false},
        {1, "aboutWindow", kDisplayAboutWindow, kExitAboutWindow, true},
        {0, "multiSettingsPart03", kMultiPartSettings + 2, kMultiPartSettings + 2, false},
        {0, "multiModeSettingsPage2", kMultiSettings, kMultiSettings, true},
    };
    for (const auto& p : panels) {
        SCOPED_TRACE(p.panel);
        pages.showTab(p.tab);
        ControlLayer& panel = *plug.namedLayer(p.panel);
        IControl* opener = p.opener < 0 ? nullptr : click(nullptr, p.opener);
        if (!opener) panel.Hide(false); // as at the start and on a refused program change
        for (int tick = 0; tick < 25; ++tick)
            view->Tick();
        EXPECT_TRUE(panel.isVisible());
        const IRECT frame = panel.getControls().Get(0)->GetRECT();
        for (int y = frame.T; y < frame.B; y += 4)
            for (int x = frame.L; x < frame.R; x += 4) {
                const IControl* hit = graphics.GetMouseControlIdx(x, y);
                ASSERT_TRUE(findIn(panel, [&](IControl* c) { return c == hit; })) << x << "," << y;
            }
        const double filter = plug.GetParam(kMIDIFilterDAWPCPassThrough)->Value();
        if (p.opener == kViewMIDIFilterSettings) {
            click(&panel, kMIDIFilterDAWPCPassThrough);
            EXPECT_NE(plug.GetParam(kMIDIFilterDAWPCPassThrough)->Value(), filter);
            plug.RedrawParamControls(); // as a project's recall shows every parameter again
            const IControl* close = findIn(panel, [](IControl* c) {
                return c->ParamIdx() == kViewMIDIFilterSettings;
            });
            EXPECT_EQ(close->GetValue(), 0.0) << "its Close is lit as if pressed";
        }
        click(p.closerInPanel ? &panel : nullptr, p.closer);
        EXPECT_FALSE(panel.isVisible());
        EXPECT_TRUE(!opener || opener->GetValue() == 0.0) << "the opener shows it open";
    }
    EXPECT_EQ(plug.settingsLines()[2], "yes");
}

// While the first-run notice or the About box is open, a click beside it on a tab, on the
// Settings Page switch or on the Filters gear leaves the page as it was.
TEST(EditorPanels, AnOpenNoticeTakesEveryClickOfTheEditor) {
    testsupport::TempFolder data;
    EditorPages pages(ZOZ_BUILD_RESOURCES, data.path(), 0, 1, true);
    ASSERT_TRUE(pages.open());
    Zoz& plug = pages.plug();
    const struct {
        const char* notice;
        int opener, closer; // no opener: shown at the start
    } notices[] = {{"firstRunNotification", -1, kFirstRunExit},
                   {"aboutWindow", kDisplayAboutWindow, kExitAboutWindow}};
    for (const auto& [notice, opener, closer] : notices) {
        SCOPED_TRACE(notice);
        const ControlLayer& panel = *plug.namedLayer(notice);
        if (opener >= 0) clickControl(pages, nullptr, opener);
        ASSERT_TRUE(panel.isVisible());
        for (int param : {int(kMainTab), int(kMultiSettings), int(kViewMIDIFilterSettings)}) {
            const double before = plug.GetParam(param)->Value();
            clickControl(pages, nullptr, param);
            EXPECT_EQ(plug.GetParam(param)->Value(), before) << param;
        }
        EXPECT_EQ(plug.namedLayer("root")->getSelectedId(), 0);
        EXPECT_FALSE(plug.namedLayer("midiFilterSettings")->isVisible());
        clickControl(pages, &panel, closer);
        EXPECT_FALSE(panel.isVisible());
    }
}

} // namespace
