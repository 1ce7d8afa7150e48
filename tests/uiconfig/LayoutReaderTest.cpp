#include "kit/effect/IBitmapControl.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IContactControl.h"
#include "kit/effect/IFaderControl.h"
#include "kit/effect/IKnobMultiControl.h"
#include "kit/effect/IPanelControl.h"
#include "kit/effect/ISwitchControl.h"
#include "src/uiconfig/ICustomRadioButtonsControl.h"
#include "tests/support/GoldenImage.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <typeinfo>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The fixtures' SysEx resource with a fixture layout as the build enciphered it, or with a
// layout given as text.
ConfigEditor::Resources resources(const std::string& layout) {
    auto read = [](const std::string& name) {
        std::ifstream in(ZOZ_TEST_LAYOUTS + name + ".tea", std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    };
    return {read("sysex"), layout[0] == '<' ? ConfigCipher::encipher(layout) : read(layout)};
}

int viewParam = -1; // the parameter the last librarian view was made for

// The librarian view is a panel over the rectangle it was given.
void panelView(ConfigEditor& e) {
    e.plugin.makeLibrarianView = [&e](int, int, int paramIdx, const IBitmap&, IRECT rect,
                                      double) -> IControl* {
        viewParam = paramIdx;
        return new IPanelControl(&e.effect, rect, &COLOR_RED);
    };
}

// Opaque buttons whose on frame is lighter, and an opaque fader handle.
void visibleButtons(ConfigEditor& e) {
    panelView(e);
    RAST_IBitmap* button = e.graphics.AddImage(119, 30, 40, 0x006000FFu);
    for (int y = 20; y < 40; ++y)
        for (int x = 0; x < 30; ++x)
            button->getBits()[y * button->getRowSpan() + x] = 0x00FF00FFu;
    e.graphics.AddImage(303, 18, 18, 0x0080FFFFu);
}

// A layer as "name#id", "*" when it ignores hidden state, its controls' parameters in
// brackets and its children in braces.
std::string tree(const ControlLayer* layer) {
    std::string out = layer->getName() + "#" + std::to_string(layer->getId()) +
                      (layer->getIgnoreHidden() ? "*" : "");
    const auto& controls = layer->getControls();
    for (int i = 0; i < controls.GetSize(); ++i)
        out += (i ? "," : "[") + std::to_string(controls.Get(i)->ParamIdx()) +
               (i + 1 == controls.GetSize() ? "]" : "");
    for (int i = 0; i < layer->getChildren().GetSize(); ++i)
        out += "{" + tree(layer->getChildren().Get(i)) + "}";
    return out;
}

// "CONFIG READER:" lines but the stage and image lines.
std::vector<std::string> complaints(const ConfigEditor& e) {
    std::vector<std::string> out;
    for (const std::string& line : e.linesStarting("CONFIG READER: "))
        if (line.find("Image") == std::string::npos && line.find("Started") == std::string::npos &&
            line.find("Completed") == std::string::npos)
            out.push_back(line);
    return out;
}

TEST(LayoutWalk, DocumentOrderCopiesOverlaysAndTheFinalStep) {
    ConfigEditor e(resources("walk"), 0, 1.0);
    EXPECT_THAT(complaints(e), IsEmpty());
    auto id = [](int paramId) { return std::to_string(paramId); };
    std::vector<std::string> layers;
    for (int i = 0; i < e.graphics.NLayers(); ++i)
        layers.push_back(tree(e.graphics.GetLayer(i)));
    // The unknown element's layer is never read; the copies are placed after their
    // children; only an exact "true" makes an overlay, set down the subtree after it.
    auto copy = [&](int i) {
        return "part" + id(i) + "#" + id(i) + "[" + id(kFilter1Cutoff + i) + "," +
               id(kFilter1Cutoff + 16 + i) + "]";
    };
    EXPECT_THAT(layers, ElementsAre("page#3[" + id(kMIDILed) + "," + id(kMIDILed + 1) + "]{twin#1}",
                                    "twin#2", "True#0", "One#0",
                                    "over#0*{under#0*[" + id(kMIDILed + 2) + "]}", copy(0), copy(1),
                                    copy(2)));
    EXPECT_EQ(e.manager.getLayer("twin")->getId(), 2); // the later one
    EXPECT_TRUE(e.manager.getLayer("under")->getControls().Get(0)->GetIgnoreHidden());
    for (const char* absent : {"unread", "none0", "noneChild", "negative0", "negativeChild"})
        EXPECT_EQ(e.manager.getLayer(absent), nullptr) << absent;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(e.record(kFilter1Cutoff + i)->partIndex, i); // whatever "channel" says
    // The unknown element's final step ran too, with its channel, after its sibling's.
    EXPECT_EQ(e.record(kMIDILed)->partIndex, 6);
    EXPECT_EQ(e.record(kMIDILed + 3)->partIndex, 4);
    EXPECT_EQ(e.record(kMIDILed + 4)->partIndex, -1);
}

// The control of the parameter in the layer, else at the top level.
IControl* controlOf(const ConfigEditor& e, const ControlLayer* layer, int paramId) {
    for (int i = 0; layer && i < layer->getControls().GetSize(); ++i)
        if (layer->getControls().Get(i)->ParamIdx() == paramId) return layer->getControls().Get(i);
    for (int i = 0; i < e.graphics.NControls(); ++i)
        if (e.graphics.GetControl(i)->ParamIdx() == paramId) return e.graphics.GetControl(i);
    return nullptr;
}

TEST(LayoutElements, EveryElementAndTypeEndToEnd) {
    ConfigEditor e(resources("elements"), 0, 1.0, true, panelView);
    const ControlLayer* layer = e.manager.getLayer("elements");
    ASSERT_NE(layer, nullptr);
    // The control bound to the parameter, its record's kind (-1: none) and part, the
    // parameter's name and maximum (0: not checked).
    struct Row {
        int id;
        const std::type_info& cls;
        IRECT rect;
        int kind, partIndex;
        const char* name;
        double max;
    };
    const Row rows[] = {
        {kControlDisplayName, typeid(ITextControl), {10, 10, 130, 26}, kActionNone, -1, "", 0},
        {kMIDILed, typeid(ISwitchControl), {10, 40, 40, 60}, kActionNone, -1, "Led", 1},
        {kRandomize, typeid(IContactControl), {50, 40, 80, 60}, kActionNone, -1, "Go", 1},
        {kMainTab, typeid(ICustomRadioButtonsControl), {10, 190, 260, 220}, 0, -1, "Tabs", 2},
        {kArpMode, typeid(ICaptionControl), {140, 10, 200, 23}, kActionNone, -1, "Text", 0},
        {kPatchName, typeid(ICaptionControl), {140, 30, 240, 43}, kActionNone, -1, "Name", 0},
        {kLFO1Shape, typeid(ICaptionControl), {250, 30, 310, 43}, kActionNone, -1, "Shape", 2},
        {kFX1ChorusSpeed, typeid(IKnobMultiControl), {330, 40, 370, 80}, -1, 0, "Mix", 127},
        {kEffect1Mode, typeid(ICaptionControl), {300, 100, 360, 113}, -1, 0, "Fx", 2},
        {kFilter1Cutoff, typeid(IKnobMultiControl), {10, 70, 50, 110}, 6, -1, "Cutoff", 127},
        {kAmpLevel, typeid(IFaderControl), {60, 70, 78, 150}, kActionSysEx, -1, "Vol", 127},
        {kMultiMasterVolume, typeid(IFaderControl), {90, 70, 190, 88}, 6, -1, "Master", 127},
        {kOscillatorGlideOnOffSwitch,
         typeid(ISwitchControl),
         {200, 70, 230, 90},
         kActionSysExSwitch,
         -1,
         "Glide",
         1},
        {kMultiPartPanning, typeid(IFaderControl), {240, 70, 258, 150}, kActionCC, 2, "Pan", 127},
        {kAmpLevelVelocity, typeid(IFaderControl), {90, 100, 190, 118}, kActionCC, 2, "Velo", 127},
        {kFilter1Resonance, typeid(IKnobMultiControl), {270, 70, 310, 110}, 1, 4, "Reso", 127},
        {kOscillator1Octave,
         typeid(ISwitchControl),
         {200, 100, 230, 120},
         kActionCCSwitch,
         1,
         "Hold",
         1},
        {kFilter1TypeQ, typeid(ICaptionControl), {10, 160, 70, 173}, kActionSysEx, -1, "Type", 2},
        {kOscillator1Shape, typeid(ICaptionControl), {80, 160, 140, 173}, kActionCC, 0, "Mode", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ControlAction* record = e.record(row.id);
        const IControl* control = record ? record->controls.back() : controlOf(e, layer, row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(typeid(*control), row.cls);
        EXPECT_EQ(control->GetRECT(), row.rect);
        EXPECT_EQ(record ? record->actionType : -1, row.kind);
        EXPECT_EQ(record ? record->partIndex : 0, row.partIndex);
        const IParam* param = e.effect.GetParam(row.id);
        EXPECT_STREQ(*row.name ? param->GetNameForHost() : "", row.name);
        EXPECT_EQ(row.max ? param->GetMax() : 0, row.max);
    }
    EXPECT_EQ(layer->getControls().GetSize(), int(std::size(rows)));
    // Defaults from "valueBounds"; a lower-case "knob" and a CC menu whose "valueDisplay" is
    // not two numbers make nothing; the menus take their texts from their list or display.
    for (int id : {kMIDILed, kOscillatorGlideOnOffSwitch})
        EXPECT_EQ(e.effect.GetParam(id)->Value(), 1.0);
    EXPECT_EQ(e.effect.GetParam(kFX1ChorusSpeed)->Value(), 5.0);
    EXPECT_EQ(controlOf(e, layer, kEffect1Mode + 1), nullptr);
    EXPECT_EQ(e.record(kOscillator1Shape + 1), nullptr);
    EXPECT_STREQ(e.effect.GetParam(kFilter1TypeQ)->GetDisplayText(2), "Pulse");
    EXPECT_STREQ(e.effect.GetParam(kOscillator1Shape)->GetDisplayText(3), "5");

    // At the top level the background, then the librarian view, bound to its own parameter
    // whatever the element names.
    ASSERT_EQ(e.graphics.NControls(), 2);
    EXPECT_EQ(typeid(*e.graphics.GetControl(0)), typeid(IBitmapControl));
    EXPECT_EQ(e.graphics.GetControl(0)->GetRECT(), IRECT(0, 0, 400, 230));
    EXPECT_EQ(e.graphics.GetControl(0)->ParamIdx(), -1);
    EXPECT_EQ(e.manager.getLibrarianView(), e.graphics.GetControl(1));
    EXPECT_EQ(e.graphics.GetControl(1)->GetRECT(), IRECT(300, 150, 390, 210));
    EXPECT_EQ(viewParam, kLibrarianArea);

    // The slider's changing byte 264 is byte 8, counting from "msgZeroVal".
    const SysExMessageList& volume = e.record(kAmpLevel)->sysexMessage.messages;
    EXPECT_THAT(volume.message(0), ElementsAre(0x3E, 0x0F, 0x10, 0x20, 0, 1, 0x11, 64));
    EXPECT_EQ(volume.message(64)[7], 0);
    const SysExControlContainer& sysex = e.manager.getSysExControlMap();
    EXPECT_EQ(sysex.findControl(0, 0x21, 1, 2, 0), controlOf(e, layer, kMultiMasterVolume));
    EXPECT_EQ(e.manager.getCCControls(5, 71, 1), controlOf(e, layer, kFilter1Resonance));
    const LinkInfo reso = e.record(kFilter1Resonance)->link;
    EXPECT_THAT((std::vector<int>{reso.partnerId, reso.switchId, reso.extra}),
                ElementsAre(kFilter1Cutoff, kMIDILed, 5));
    EXPECT_EQ(e.record(kFilter1Cutoff)->link.partnerId, kFilter1Resonance);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const ControlAction* detune = e.record(kOscillator1Detune + i);
        EXPECT_STREQ(e.effect.GetParam(kOscillator1Detune + i)->GetNameForHost(),
                     ("[" + std::to_string(i + 1) + "] Detune").c_str());
        EXPECT_THAT(detune->sysexMessage.messages.message(5),
                    ElementsAre(0x3E, 0x0F, 0x10, 0x20, i, 1, 0x20, 5));
        EXPECT_EQ(sysex.findControl(0x20, i, 1, 0x20, 0), detune->controls[0]);
        EXPECT_EQ(detune->partIndex, i);
        // The back link made before the partner's own control, which keeps it.
        const ControlAction* cut = e.record(kFilter2Cutoff + i);
        EXPECT_EQ(cut->actionType, kActionCC);
        EXPECT_EQ(cut->partIndex, i);
        EXPECT_EQ(cut->link.partnerId, kOscillator1Detune + i);
        EXPECT_EQ(cut->link.switchId, kMIDILed + i);
        EXPECT_EQ(e.manager.getCCControls(i + 1, 74, 0), cut->controls[0]);
    }
}

TEST(LayoutElements, DrawnAsTheEditorShowsThem) {
    ConfigEditor e(resources("elements"), 0, 1.0, false, visibleButtons);
    e.manager.getLayer("elements")->Hide(false);
    e.manager.getLayer("copy0")->Hide(false);
    e.graphics.PrepDraw();
    IRECT all(0, 0, 400, 230);
    e.graphics.Draw(&all);
    EXPECT_TRUE(testsupport::MatchesGolden("tests/uiconfig/golden/elements.png",
                                           e.graphics.GetBits(), 400, 230,
                                           e.graphics.GetDrawBitmap()->getRowSpan(), 16, 400 * 2));
}

TEST(LayoutGeometry, EachValueScaledAndTruncatedAlone) {
    const char* layout = "<uiconfig><patchBrowser bounds='1,1,1,1'/>"
                         "<patchBrowser bounds='100,200,300,10'/></uiconfig>";
    const std::pair<double, IRECT> cases[] = {{0.85, {85, 170, 85 + 255, 170 + 8}},
                                              {1.15, {114, 229, 114 + 345, 229 + 11}}};
    for (const auto& [scale, rect] : cases) {
        ConfigEditor e(resources(layout), 0, scale, true, panelView);
        ASSERT_NE(e.manager.getLibrarianView(), nullptr);
        EXPECT_EQ(e.manager.getLibrarianView()->GetRECT(), rect) << scale; // the last one
        EXPECT_EQ(e.graphics.NControls(), 2);
    }
    ConfigEditor none(resources(layout), 0, 1.0);
    EXPECT_EQ(none.manager.getLibrarianView(), nullptr);
    EXPECT_EQ(none.graphics.NControls(), 0);
    EXPECT_TRUE(none.logged("CONFIG READER: patchBrowser: the plug-in has no librarian view!"));
}

TEST(LayoutRoutines, CommaListsAndLinks) {
    int three[3] = {0, 0, 7};
    UIConfigManager::getCSValues("10, 20,x,40", three, 3);
    EXPECT_THAT(three, ElementsAre(10, 20, 7));
    int five[5] = {-1, -1, -1, -1, -1};
    UIConfigManager::getCSValues("10, 20,x,40", five, 5);
    EXPECT_THAT(five, ElementsAre(10, 20, -1, 40, -1));

    ConfigEditor e("<sysexlist/>");
    const int a = kFilter1Cutoff, b = kMIDILed;
    const struct {
        const char* text;
        int part;
        std::vector<int> link;
    } cases[] = {
        {"kFilter1Cutoff", -1, {-1, -1, -1}},
        {"kFilter1Cutoff,kMIDILed", 2, {a + 2, b + 2, -1}},
        {"kFilter1Cutoff,kMIDILed", -1, {a, b, -1}},
        {"kFilter1Cutoff,kMIDILed,5", -1, {a, b, 5}},
        {"kFilter1Cutoff,kMIDILed,5,6", -1, {a, b, -1}},
        {"kNoSuchName,kMIDILed", 3, {-1, b + 3, -1}},
        {"kFilter1Cutoff,kNoSuchName", 3, {a + 3, -1, -1}},
    };
    for (const auto& c : cases) {
        LinkInfo link;
        e.manager.getBiDirectLinkValues(c.text, link, c.part);
        EXPECT_EQ(std::vector<int>({link.partnerId, link.switchId, link.extra}), c.link) << c.text;
        ControlAction action;
        e.manager.setControlLink(&action, kArpMode, link, c.part);
        EXPECT_EQ(action.link.partnerId, std::min(c.link[0], c.link[1]) < 0 ? -1 : c.link[0]);
    }
    EXPECT_EQ(e.record(a + 3), nullptr); // a link with an unknown name is made on neither side
}

TEST(LayoutHostile, LoggedSkippedAndTheRestRead) {
    ConfigEditor e(resources("hostile"), 0, 1.0);
    EXPECT_THAT(
        complaints(e),
        ElementsAre("CONFIG READER: layer without a name skipped with its contents!",
                    "CONFIG READER: parameter kNoSuchParam NOT FOUND!",
                    "CONFIG READER: parameter kDebugParts+1 NOT FOUND!",
                    "CONFIG READER: parameter kMIDILed+99999999999 NOT FOUND!",
                    "CONFIG READER: parameter kOscillator1Octave+-1 NOT FOUND!",
                    "CONFIG READER: parameter + NOT FOUND!",
                    "CONFIG READER: switch None has no parameter!",
                    "CONFIG READER: control Far: SysEx template \"3E 0F 10 20 00 01 10 00\" too "
                    "short for changing byte 44!",
                    "CONFIG READER: control Minus: SysEx template \"3E 0F 10 20 00 01 10 00\" too "
                    "short for changing byte 255!",
                    "CONFIG READER: control NoTemplate: SysEx entry -1215752191 MISSING!",
                    "CONFIG READER: control Missing has 0 texts for 3 entries!",
                    "CONFIG READER: control Rows has -5 buttons!",
                    "CONFIG READER: multilayer huge asks for 1000000 copies; made 16!",
                    "CONFIG READER: multilayer inner inside part copy 0 skipped!",
                    "CONFIG READER: multilayer inner inside part copy 1 skipped!"));
    EXPECT_EQ(e.record(kQuickTab), nullptr); // the nameless layer's control
    EXPECT_NE(e.manager.getLayer("huge15"), nullptr);
    EXPECT_EQ(e.manager.getLayer("huge16"), nullptr);
    EXPECT_EQ(e.manager.getLayer("outer1")->getChildren().GetSize(), 0);
    EXPECT_EQ(tree(e.manager.getLayer("after")), "after#0[" + std::to_string(kRandomize) + "]");
    // Coordinates far outside the editor are kept where sums of them stay ints.
    const IRECT far = e.record(kFilter1Cutoff)->controls[0]->GetRECT();
    EXPECT_EQ(std::make_pair(far.L, far.T), std::make_pair(1 << 20, -(1 << 20)));
}

TEST(LayoutHostile, ManySiblingsAndDeepNesting) {
    std::string layout = "<uiconfig>";
    for (int i = 0; i < 5000; ++i)
        layout += "<switch paramId='kMIDILed+" + std::to_string(i % 16) + "'/>";
    for (int depth = 0; depth < 95; ++depth)
        layout += "<layer name='d" + std::to_string(depth) + "'>";
    layout += "<switch paramId='kRandomize'/>";
    for (int depth = 0; depth < 95; ++depth)
        layout += "</layer>";
    ConfigEditor e(resources(layout + "</uiconfig>"), 0, 1.0);
    EXPECT_EQ(e.graphics.NControls(), 5000);
    EXPECT_EQ(tree(e.manager.getLayer("d94")), "d94#0[" + std::to_string(kRandomize) + "]");
}

TEST(LayoutLifetime, TwoEditorsOfOneLayoutGoInEitherOrder) {
    for (bool firstGoesFirst : {true, false}) {
        auto first =
            std::make_unique<ConfigEditor>(resources("elements"), 0, 1.0, false, panelView);
        auto second =
            std::make_unique<ConfigEditor>(resources("elements"), 0, 1.0, false, panelView);
        (firstGoesFirst ? first : second).reset();
        ConfigEditor& left = firstGoesFirst ? *second : *first;
        EXPECT_EQ(left.record(kFilter1Cutoff)->sysexMessage.messages.size(), 128);
        left.manager.getLayer("elements")->Hide(false);
        left.graphics.PrepDraw();
        IRECT all(0, 0, 400, 230);
        EXPECT_TRUE(left.graphics.Draw(&all));
    }
}

} // namespace
