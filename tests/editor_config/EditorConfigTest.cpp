#include "kit/effect/IPanelControl.h"
#include "src/librarian/LibrarianInitData.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ImageTable.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/editor_config/EditorLayout.h"
#include "tests/support/TestEffect.h"
#include "tests/uiconfig/FakeConfigGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <set>
#include <sstream>

namespace {

const EditorLayout& layout() {
    static const EditorLayout editor(ZOZ_SOURCE_RESOURCES);
    return editor;
}

// "kA{01-16}B kC" -> kA01B .. kA16B, kC.
std::vector<std::string> names(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        const size_t open = word.find('{'), dash = word.find('-', open), close = word.find('}');
        if (open == std::string::npos) {
            out.push_back(word);
            continue;
        }
        const std::string first = word.substr(open + 1, dash - open - 1);
        const size_t width = first[0] == '0' ? first.size() : 1;
        for (int n = std::stoi(first); n <= std::stoi(word.substr(dash + 1)); ++n) {
            std::string number = std::to_string(n);
            number.insert(0, width - std::min(width, number.size()), '0');
            for (const std::string& name :
                 names(word.substr(0, open) + number + word.substr(close + 1)))
                out.push_back(name);
        }
    }
    return out;
}

// The controls bound to a parameter id, range-only copies aside.
std::vector<const LayoutControl*> binding(int id) {
    std::vector<const LayoutControl*> out;
    for (const auto& c : layout().controls)
        if (c.id == id && !EditorLayout::neverShown(c) && c.element != "autooff") out.push_back(&c);
    return out;
}

// The dump byte a control's message addresses: index + 7 (sound, multi), + 5 (global).
int addressedByte(const LayoutControl& c) {
    const auto& t = layout().templates.at(c.sysexIndex);
    const int at = t[3] == 0x20 ? 5 : 4;
    return t[at] * 128 + t[at + 1] + (t[3] == 0x24 ? 5 : 7);
}

// A sound byte that holds several parameters of a part, each with a control of its own:
// Unisono with Mono/Poly, an arpeggiator step's step, glide and accent, its length and timing.
bool packed(const LayoutControl& c) {
    const int byte = addressedByte(c);
    return layout().templates.at(c.sysexIndex)[3] == 0x20 &&
           (byte == 65 || (byte >= 335 && byte <= 366));
}

// The messages the SysEx factories build for the control, one per value.
std::vector<std::vector<int>> messages(const LayoutControl& c) {
    const bool button = c.element == "buttoncontrol";
    const int count = button ? 2 : c.max() - c.min() + 1;
    int v = button ? 0 : c.min() + (c.element == "slidercontrol" ? c.msgZeroVal : 0);
    std::vector<std::vector<int>> out;
    for (int i = 0; i < count; ++i, ++v) {
        std::vector<int> m = layout().templates.at(c.sysexIndex);
        if (c.part >= 0) m[4] = c.part;
        m[c.changingByte - 1] = v & 0x7F;
        out.push_back(m);
    }
    return out;
}

// Sound dump bytes 8..366 and their parameters (effect slots aside).
const char* const kSoundBytes =
    "8 kOscillator1Octave kOscillator1Semitone kOscillator1Detune kOscillator1BendRange "
    "kOscillator1Keytrack kOscillator1FMSource kOscillator1FMAmount kOscillator1Shape "
    "kOscillator1Pulsewidth kOscillator1PWMSource kOscillator1PWMAmount kOscillator1FrqDivide "
    "kOscillator1SubLevel 24 kOscillator2Octave kOscillator2Semitone kOscillator2Detune "
    "kOscillator2BendRange kOscillator2Keytrack kOscillator2FMSource kOscillator2FMAmount "
    "kOscillator2Shape kOscillator2Pulsewidth kOscillator2PWMSource kOscillator2PWMAmount "
    "kOscillator2FrqDivide kOscillator2SubLevel 40 kOscillator3Octave kOscillator3Semitone "
    "kOscillator3Detune kOscillator3BendRange kOscillator3Keytrack kOscillator3FMSource "
    "kOscillator3FMAmount kOscillator3Shape kOscillator3Pulsewidth kOscillator3PWMSource "
    "kOscillator3PWMAmount 56 kOscillator2SyncToOsc3 kOscillatorPitchSource "
    "kOscillatorPitchAmount kTuneMode kOscillatorGlideOnOffSwitch 63 kOscillatorGlideMode "
    "kOscillatorGlideRate kOscillatorUnisono/kOscillatorMonoPolyMode kOscillatorUniDetune 68 "
    "kOscillator1Level kOscillator1Balance kOscillator2Level kOscillator2Balance "
    "kOscillator3Level kOscillator3Balance kNoiseLevel kNoiseBalance 78 kRingModulationLevel "
    "kRingModulationBalance 82 kNoiseExtFilter1Source kNoiseExtFilter2Source "
    "kFilter1TypeQ/kFilter1TypeQPlus kFilter1Cutoff 87 kFilter1Resonance kFilter1Drive 93 "
    "kFilter1Keytrack kFilter1EnvAmount kFilter1EnvVelocity kFilter1ModSource kFilter1ModAmount "
    "kFilter1FMSource kFilter1FMAmount kFilter1Panning kFilter1PanSource kFilter1PanAmount 104 "
    "kFilter2TypeQ/kFilter2TypeQPlus kFilter2Cutoff 107 kFilter2Resonance kFilter2Drive 113 "
    "kFilter2Keytrack kFilter2EnvAmount kFilter2EnvVelocity kFilter2ModSource kFilter2ModAmount "
    "kFilter2FMSource kFilter2FMAmount kFilter2Panning kFilter2PanSource kFilter2PanAmount 124 "
    "kFilterRoutingQ ~kFilterLinkValue 128 kAmpLevel kAmpLevelVelocity kAmpModSource "
    "kAmpModAmount kPartZaruvaMode kPartZaruvaBank kPartZaruvaPatch kEffect1Mode kEffect1Mix 151 "
    "kEffect2Mode kEffect2Mix 167 kLFO1Shape kLFO1Speed 170 kLFO1SyncOnOff kLFO1Clock "
    "kLFO1Startphase kLFO1Delay kLFO1Fade 177 kLFO1Keytrack 179 kLFO2Shape kLFO2Speed 182 "
    "kLFO2SyncOnOff kLFO2Clock kLFO2Startphase kLFO2Delay kLFO2Fade 189 kLFO2Keytrack 191 "
    "kLFO3Shape kLFO3Speed 194 kLFO3SyncOnOff kLFO3Clock kLFO3Startphase kLFO3Delay kLFO3Fade "
    "201 kLFO3Keytrack 203 !kFilterEnvTrigger/kFilterEnvMode 206 kFilterEnvAttack "
    "kFilterAttackLevel kFilterEnvDecay kFilterEnvSustain kFilterEnvDecay2 kFilterEnvSustain2 "
    "kFilterEnvRelease 215 !kAmpEnvTrigger/kAmpEnvMode 218 kAmpEnvAttack kAmpAttackLevel "
    "kAmpEnvDecay kAmpEnvSustain kAmpEnvDecay2 kAmpEnvSustain2 kAmpEnvRelease 227 "
    "!kEnv3Trigger/kEnvelope3Mode 230 kEnv3Attack kEnv3AttackLevel kEnv3Decay kEnv3Sustain "
    "kEnv3Decay2 kEnv3Sustain2 kEnv3Release 239 !kEnv4Trigger/kEnvelope4Mode 242 kEnv4Attack "
    "kEnv4AttackLevel kEnv4Decay kEnv4Sustain kEnv4Decay2 kEnv4Sustain2 kEnv4Release 253 "
    "kModifier1Source1 kModifier1Source2 kModifier1SourceType kModifier1SourceAmount "
    "kModifier2Source1 kModifier2Source2 kModifier2SourceType kModifier2SourceAmount "
    "kModifier3Source1 kModifier3Source2 kModifier3SourceType kModifier3SourceAmount "
    "kModifier4Source1 kModifier4Source2 kModifier4SourceType kModifier4SourceAmount "
    "kMod1FastSource kMod1FastDestination kMod1FastAmount kMod2FastSource kMod2FastDestination "
    "kMod2FastAmount kMod3FastSource kMod3FastDestination kMod3FastAmount kMod4FastSource "
    "kMod4FastDestination kMod4FastAmount kMod5FastSource kMod5FastDestination kMod5FastAmount "
    "kMod6FastSource kMod6FastDestination kMod6FastAmount kMod7FastSource kMod7FastDestination "
    "kMod7FastAmount kMod8FastSource kMod8FastDestination kMod8FastAmount kMod1StandardSource "
    "kMod1StandardDestination kMod1StandardAmount kMod2StandardSource kMod2StandardDestination "
    "kMod2StandardAmount kMod3StandardSource kMod3StandardDestination kMod3StandardAmount "
    "kMod4StandardSource kMod4StandardDestination kMod4StandardAmount kMod5StandardSource "
    "kMod5StandardDestination kMod5StandardAmount kMod6StandardSource kMod6StandardDestination "
    "kMod6StandardAmount kMod7StandardSource kMod7StandardDestination kMod7StandardAmount "
    "kMod8StandardSource kMod8StandardDestination kMod8StandardAmount 319 kArpMode kArpPattern "
    "kArpMaxNotes kArpClock kArpNoteLength kArpOctRange kArpDirection kArpSortOrder "
    "kArpVelocityMode kArpTimeFactor kArpSameNoteOverlap kArpPatternReset kArpPatternLength 335 "
    "kArpPattern{01-16}Step/kArpPattern{01-16}Glide/kArpPattern{01-16}Accent "
    "kArpPattern{01-16}StepLen/kArpPattern{01-16}Timing";
// Global dump bytes 5..77.
const char* const kGlobalBytes =
    "5 kGlobalInitSound1 kGlobalInitSound2 kGlobalInitSound3 kGlobalInitSound4 "
    "kGlobalPedalOffset kGlobalPedalGain kGlobalPedalCurve kGlobalPedalController "
    "kGlobalPedal2Offset kGlobalPedal2Gain kGlobalPedal2Curve kGlobalPedal2Controller "
    "kGlobalTuning kGlobalTranspose kGlobalControlSend kGlobalReceive 26 kGlobalRxProgramChange "
    "28 kGlobalControlW kGlobalControlX kGlobalControlY kGlobalControlZ kGlobalArpSend 36 "
    "kGlobalClock kGlobalInstrSel kGlobalStartMode kGlobalMultiSound 41 kGlobalMidiChannel "
    "kGlobalSysExID kGlobalLocalControl kGlobalPopupTime kGlobalDisplayContrast "
    "kGlobalKeyVeloCurve kGlobalReleaseCurve kGlobalPressureCurve kGlobalInputGain 51 "
    "kGlobalTxProgramChange 53 kGlobalPatternInst1 kGlobalPatternInst2 KGlobalPatternInst3 "
    "kGlobalPatternInst4 69 kGlobalFootswitch1Mode kGlobalFootswitch1Controller "
    "kGlobalFootswitch2Mode kGlobalFootswitch2Controller kGlobalTuningHMTMode "
    "kGlobalTuningHMTDepth kGlobalTuningHMTMIDIExport kGlobalMixInputTo kGlobalInputMix";

// Reads "byte name name ..." tables: a number sets the byte of the next name; names joined by
// "/" share a byte; "!" marks a byte without a message of its own, "~" a range-only one; a
// name with a {01-16} range stands for that many bytes in a row.
struct DumpName {
    std::string name;
    int byte;
    char mark;
};
std::vector<DumpName> dumpNames(const char* table) {
    std::vector<DumpName> out;
    std::istringstream in(table);
    int byte = 0;
    for (std::string word; in >> word; ++byte) {
        if (std::isdigit(word[0])) {
            byte = std::stoi(word) - 1;
            continue;
        }
        const char mark = word[0] == '!' || word[0] == '~' ? word[0] : ' ';
        std::istringstream parts(word.substr(mark == ' ' ? 0 : 1));
        int bytes = 1;
        for (std::string group; std::getline(parts, group, '/');) {
            // A numbered group names one byte per number.
            const std::vector<std::string> numbered = names(group);
            bytes = int(numbered.size());
            for (size_t k = 0; k < numbered.size(); ++k)
                out.push_back({numbered[k], byte + int(k), mark});
        }
        byte += bytes - 1;
    }
    return out;
}

// The variant under which the SysEx factories file a control: the effect type of a knob's
// type-specific setting, 1 for a sound parameter's fader outside the parts, else 0.
int variant(const LayoutControl& c) {
    if (c.element == "slidercontrol")
        return c.part < 0 && layout().templates.at(c.sysexIndex)[3] == 0x20 ? 1 : 0;
    if (c.element != "knobcontrol" || c.paramId.rfind("kFX", 0) != 0) return 0;
    const std::string setting = c.paramId.substr(4); // after kFX1 or kFX2
    if (setting == "FiveFXSource" || setting == "VocoderAnalysisSignal") return 0;
    static const std::pair<const char*, int> types[] = {
        {"51DelayClocked", 11}, {"51Delay", 10}, {"Chorus", 1}, {"Flanger", 2}, {"Phaser", 3},
        {"Delay", 4}, {"Overdrive", 5}, {"FiveFX", 6}, {"Vocoder", 7}, {"Reverb", 8},
        {"TapDelay", 9}};
    for (const auto& [prefix, type] : types)
        if (setting.rfind(prefix, 0) == 0) return type;
    return 0;
}

// The controls drawn for part 0 (the other copies repeat them) that something can show.
std::vector<const LayoutControl*> shownControls() {
    std::vector<const LayoutControl*> out;
    for (const auto& c : layout().controls)
        if (c.part <= 0 && !EditorLayout::neverShown(c)) out.push_back(&c);
    return out;
}

// The parameters whose first control the plug-in remembers or whose actions it takes.
const char* const kKeptControls =
    "kRandomize kPatchSearch kControlProgBank kPatchSelectionListUpper "
    "kPatchSelectionListLower kDeviceOutSelection kDeviceInSelection kPatchRename "
    "kControlDisplayName kControlDisplayValue kControlDisplayCategory "
    "kControlDisplayPatch kControlDisplayCC kControlDisplayBuild "
    "kControlDisplayMIDIOutDelay kControlLibrary kKeepSelectedBank kQuickTab kMainTab "
    "kOverrideTempo kSendMIDIClockPointer kSendMIDIClockInfo "
    "kMIDIFilterDAWCCPassThrough kMIDIFilterHWSEPassThrough kMultiPartMIDICh+{0-15}";

// The committed resources read by the layout reader over a plug-in of every parameter; the
// librarian view is a panel.
struct ReadEditor {
    ReadEditor() {
        setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILD_RESOURCES, 1);
        setenv("ZOZ_MIDI_API", "alsa", 1); // the port menus ask no MIDI server to start
        plugin.effectBase = &effect;
        plugin.makeLibrarianView = [this](int, int, int paramIdx, const IBitmap&, IRECT rect,
                                          double) -> IControl* {
            viewParam = paramIdx;
            return new IPanelControl(&effect, rect, &COLOR_BLACK);
        };
        manager.readUIConfig(&graphics, &plugin, nullptr, 0, 1.0);
    }
    const ControlAction* record(int id) const { return effect.GetParam(id)->GetControlAction(); }
    testsupport::TestEffect effect{kNumParams, kNumNonAutomatedParams};
    FakeConfigGraphics graphics;
    FakeConfigPlugin plugin;
    UIConfigManager manager;
    int viewParam = -1;
};

const ReadEditor& editor() {
    static const ReadEditor read;
    return read;
}

bool onPage(const LayoutControl& c) {
    for (const LayoutLayer* l = c.layer; l; l = l->parent)
        if (l->parent && l->parent->name == "root") return true;
    return false;
}

} // namespace

TEST(EditorConfigLoader, ReadsTheResourcesWithStageLinesOnly) {
    setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILD_RESOURCES, 1);
    FakeConfigGraphics graphics;
    FakeConfigPlugin plugin;
    UIConfigManager manager;
    manager.readUIConfig(&graphics, &plugin, nullptr, 0, 1.0);
    for (const std::string& line : plugin.lines())
        if (line.rfind("CONFIG READER: ", 0) == 0) {
            EXPECT_TRUE(line.find("Started") != std::string::npos ||
                        line.find("Completed") != std::string::npos)
                << line;
        }
    for (const auto& [name, texts] : layout().lists)
        EXPECT_EQ(manager.getValueList(name), texts) << name;
    ASSERT_EQ(manager.getSysExContainers().size(), layout().templates.size());
    for (size_t i = 0; i < layout().templates.size(); ++i)
        EXPECT_EQ(manager.getSysExValueListByID(int(i)), layout().templates[i]) << i;
    std::set<std::string> references;
    for (const auto& c : layout().controls)
        references.insert(c.paramId.substr(0, c.paramId.find('+')));
    for (const std::string& name : references)
        EXPECT_GE(manager.getParamByName(name), 0) << name;
}

TEST(EditorConfigWalk, ReadsWithoutComplaintsEveryLayerViewAndKeptControl) {
    for (const std::string& line : editor().plugin.lines())
        if (line.rfind("CONFIG READER: ", 0) == 0) {
            EXPECT_TRUE(line.find("Started") != std::string::npos ||
                        line.find("Completed") != std::string::npos)
                << line;
        }
    for (const auto& l : layout().layers) {
        if (l->copies) continue;
        const ControlLayer* layer = editor().manager.getLayer(l->name);
        ASSERT_NE(layer, nullptr) << l->name;
        EXPECT_EQ(layer->getId(), l->id) << l->name;
    }
    ASSERT_NE(editor().manager.getLibrarianView(), nullptr);
    EXPECT_EQ(editor().manager.getLibrarianView()->GetRECT(), IRECT(196, 212, 1099, 716));
    EXPECT_EQ(editor().viewParam, kLibrarianArea);
    for (const std::string& name : names(kKeptControls)) {
        const ControlAction* record = editor().record(parameterId(name));
        ASSERT_NE(record, nullptr) << name;
        EXPECT_FALSE(record->controls.empty()) << name;
    }
}

TEST(EditorConfigWalk, SysExControlsSendTheirMessagesAndAreFoundAtTheirAddress) {
    const SysExControlContainer& map = editor().manager.getSysExControlMap();
    int found = 0;
    for (const auto& c : layout().controls) {
        if (!c.sysex() || EditorLayout::neverShown(c)) continue;
        const ControlAction* record = editor().record(c.id);
        ASSERT_NE(record, nullptr) << c.paramId << " part " << c.part;
        EXPECT_EQ(record->partIndex, c.part) << c.paramId;
        const SysExMessageList& sent = record->sysexMessage.messages;
        const auto expected = messages(c);
        ASSERT_EQ(sent.size(), int(expected.size())) << c.paramId;
        for (size_t k = 0; k < expected.size(); ++k)
            ASSERT_EQ(sent.message(int(k)), expected[k]) << c.paramId << " value " << k;
        unsigned char a[4];
        ASSERT_TRUE(SysExControlContainer::sysexAddress(sent.message(0), c.changingByte, a));
        const IControl* control = map.findControl(a[0], a[1], a[2], a[3], variant(c));
        ASSERT_NE(control, nullptr) << c.paramId;
        // The two models' filter types share their byte, and so do a packed byte's
        // parameters; the later one is found.
        if (control->ParamIdx() == c.id) {
            ++found;
        } else if (!packed(c)) {
            EXPECT_EQ(control->ParamIdx(), parameterId(c.paramId + "Plus") + std::max(c.part, 0));
        }
    }
    EXPECT_GT(found, 5000);
}

// A global setting whose dump byte carries its value plus an offset sends the same bytes from
// its menu: value 0 is the offset, the last value the offset plus the range.
TEST(EditorConfigWalk, OffsetMenusSendTheDumpsBytes) {
    for (const auto& [name, first, last] :
         {std::tuple{"kGlobalTuning", 54, 74}, {"kGlobalTranspose", 52, 76}}) {
        const auto controls = binding(parameterId(name));
        ASSERT_EQ(controls.size(), 1u) << name;
        EXPECT_EQ(controls[0]->element, "menucontrol") << name;
        const ControlAction* record = editor().record(parameterId(name));
        ASSERT_NE(record, nullptr) << name;
        const SysExMessageList& sent = record->sysexMessage.messages;
        const int at = controls[0]->changingByte - 1;
        EXPECT_EQ(sent.message(0)[at], first) << name;
        EXPECT_EQ(sent.message(last - first)[at], last) << name;
    }
}

TEST(EditorConfigLayers, EveryNamedLayerOnceAndPartCopiesOnTheirPages) {
    const auto named = names(
        "root oscillators filtersEnvelopes lfoModMatrix effectsArp miniMixer "
        "multiModeSettingsPage1 multiModeSettingsPage2 effect1Overlayer effect2Overlayer "
        "filter1LP filter1BP filter1HP filter1Notch filter1CombMinus filter1CombPlus filter2LP "
        "filter2BP filter2HP filter2Notch filter2CombMinus filter2CombPlus bankAndProgram{01-16} "
        "bankAndProgramMulti multiSettingsPart{01-16} saveChangesLayer discardChangesLayerRight "
        "keepBankOpenLayer viewPatternDataLayer aboutWindow firstRunNotification "
        "bankPatchConflictWindow midiFilterSettings step{02-32}overlayer patchRename "
        "categoryLimit searchField");
    ASSERT_EQ(named.size(), 97u);
    for (const std::string& name : named) {
        int count = 0;
        for (const auto& l : layout().layers)
            count += l->name == name;
        EXPECT_EQ(count, 1) << name;
    }
    const LayoutLayer* root = layout().layer("root");
    std::map<int, const LayoutLayer*> pages;
    for (const auto& l : layout().layers)
        if (l->parent == root) pages[l->id] = l.get();
    ASSERT_EQ(pages.size(), 7u);
    const std::map<int, std::set<int>> zones = {
        {2, {10, 30, 50, 61, 62}},
        {3, {10, 11, 12, 13, 14, 20, 21, 22, 23, 24, 30, 31, 32, 33, 34, 40, 41, 42, 43, 44, 51, 52}},
        {4, {}},
        {5, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 40, 42, 300, 301, 302, 303, 304,
             305, 306, 307, 308, 309, 310, 311, 30, 31, 32, 50, 52}},
        {6, {}}};
    for (const auto& [tab, ids] : zones) {
        std::vector<const LayoutLayer*> copies;
        for (const auto& l : layout().layers)
            if (l->parent && l->parent->copies && l->parent->parent == pages[tab])
                copies.push_back(l.get());
        ASSERT_EQ(copies.size(), 16u) << tab;
        std::set<int> found;
        for (const auto& l : layout().layers)
            if (l->parent == copies[0]) found.insert(l->id);
        EXPECT_EQ(found, ids) << tab;
    }
    for (const auto& [name, page] : std::map<std::string, std::string>{
             {"filter1LP", "filtersEnvelopes"}, {"filter2CombPlus", "filtersEnvelopes"},
             {"effect2Overlayer", "effectsArp"}, {"step32overlayer", pages[6]->name}})
        EXPECT_EQ(layout().layer(name)->parent->name, page) << name;
}

TEST(EditorConfigLayers, ControlsThePlugInKeepsExist) {
    int browsers = 0;
    for (const auto& c : layout().controls)
        browsers += c.element == "patchBrowser" && c.id == parameterId("kLibrarianArea");
    EXPECT_EQ(browsers, 1);
    // Every first control the plug-in remembers, and the actions it takes, are real controls.
    for (const std::string& name : names(kKeptControls)) {
        bool found = false;
        for (const auto& c : layout().controls)
            found |= c.paramId == name && c.element != "multiFx";
        EXPECT_TRUE(found) << name;
    }
}

TEST(EditorConfigCoverage, EveryDumpParameterHasOneBindingControl) {
    auto check = [](const std::string& name, int id, char mark, int byte) {
        const auto controls = binding(id);
        if (mark == '~') {
            EXPECT_TRUE(controls.empty()) << name;
            return;
        }
        ASSERT_EQ(controls.size(), 1u) << name << " " << id;
        const bool message = mark == ' ';
        EXPECT_EQ(controls[0]->sysex(), message) << name;
        if (message) {
            EXPECT_EQ(addressedByte(*controls[0]), byte) << name;
        }
    };
    for (const auto& d : dumpNames(kSoundBytes))
        for (int part = 0; part < 16; ++part)
            check(d.name, parameterId(d.name) + part, d.mark, d.byte);
    for (const auto& d : dumpNames(kGlobalBytes))
        check(d.name, parameterId(d.name), ' ', d.byte);
    const std::vector<DumpName> block = {
        {"kMultiPartBank", 0, ' '}, {"kMultiPartPatch", 1, ' '}, {"kMultiPartMIDICh", 2, ' '},
        {"kMultiPartLevel", 3, ' '}, {"kMultiPartTranspose", 4, ' '}, {"kMultiPartDetune", 5, ' '},
        {"kMultiPartOutput", 6, ' '}, {"kMIDIRX", 7, '!'}, {"kMIDITX", 7, '!'},
        {"kEngine", 7, '!'}, {"kMultiPartPanning", 8, ' '}, {"kPartPattern", 11, ' '},
        {"kMultiPartVeloLow", 12, ' '}, {"kMultiPartVeloHigh", 13, ' '},
        {"kMultiPartKeyLow", 14, ' '}, {"kMultiPartKeyHigh", 15, ' '},
        {"kPartPitchBend", 16, '!'}, {"kPartModWheel", 16, '!'}, {"kPartAfterTouch", 16, '!'},
        {"kPartSustain", 16, '!'}, {"kPartButtons", 16, '!'}, {"kPartProgramChange", 16, '!'}};
    for (const auto& d : block)
        for (int part = 0; part < 16; ++part)
            check(d.name, parameterId(d.name) + part, d.mark, 39 + 22 * part + d.byte);
    for (const auto& d : dumpNames("7 kMultiMasterVolume kMultiControlW kMultiControlX "
                                   "kMultiControlY kMultiControlZ kMultiTempo"))
        check(d.name, parameterId(d.name), ' ', d.byte);
    for (const std::string& name :
         names("kPatternStepLength kPatternTransposeMode kPatternTransposeKey "
               "kPatternTransposeQuantize kOptionLinePar kPatternStep{01-32}Cutoff "
               "kPatternStep{01-32}Note{1-8} kPatternStep{01-32}HoldPause")) {
        for (int part = 0; part < 16; ++part)
            check(name, parameterId(name) + part, '!', 0);
    }
    // Type-specific effect settings travel on their effect's slots.
    for (const auto& c : layout().controls) {
        if (!c.sysex() || c.paramId.rfind("kFX", 0) != 0) continue;
        const bool second = c.paramId.rfind("kFX1", 0) != 0;
        const int byte = addressedByte(c);
        EXPECT_TRUE(second ? byte >= 153 && byte <= 166 : byte >= 137 && byte <= 150) << c.paramId;
    }
}

TEST(EditorConfigBytes, DefaultMessageCarriesTheInitDumpByte) {
    for (const auto& c : layout().controls) {
        if (!c.sysex() || EditorLayout::neverShown(c)) continue;
        const int id = layout().templates.at(c.sysexIndex)[3];
        if (id == 0x24) continue; // the global settings have no init dump
        const int byte = addressedByte(c);
        const int init = id == 0x20 ? initPatchData[byte] : initMultiData[byte];
        // With the effects bypassed the init sound's slots need not suit every effect type.
        if (c.paramId.rfind("kFX", 0) == 0 && (init < c.min() || init > c.max())) continue;
        if (packed(c)) {
            // Each parameter of a packed byte starts with its own part of the byte.
            const auto row = std::find_if(SoundDump::layout().begin(), SoundDump::layout().end(),
                                          [&](const SoundDump::Byte& r) { return r.offset == byte; });
            ASSERT_NE(row, SoundDump::layout().end()) << c.paramId;
            SoundDump::Setting settings[3];
            const int count = SoundDump::decode(*row, uint8_t(init), settings);
            const int part0 = c.id - std::max(c.part, 0);
            const auto own = std::find_if(settings, settings + count,
                                          [&](const SoundDump::Setting& t) { return t.param == part0; });
            ASSERT_NE(own, settings + count) << c.paramId;
            EXPECT_EQ(c.defaultValue(), own->value) << c.paramId;
            continue;
        }
        const auto all = messages(c);
        const int index = c.element == "buttoncontrol" ? c.defaultValue() : c.defaultValue() - c.min();
        ASSERT_LT(size_t(index), all.size()) << c.paramId;
        EXPECT_EQ(all[index][c.changingByte - 1], init) << c.paramId << " part " << c.part;
    }
    // Patterns start as the init pattern.
    const auto& pattern = initPatternData();
    std::map<std::string, int> bytes = {{"kPatternStepLength", 8}, {"kPatternTransposeMode", 9},
                                        {"kPatternTransposeKey", 10},
                                        {"kPatternTransposeQuantize", 11}, {"kOptionLinePar", 12}};
    const char* const fields[] = {"Cutoff", "Velocity", "CV1", "CV2", "StepLength", "NoteLength",
                                  "HoldPause", "Note1", "Note2", "Note3", "Note4", "Note5",
                                  "Note6", "Note7", "Note8"};
    for (int step = 1; step <= 32; ++step)
        for (int f = 0; f < 15; ++f)
            bytes[names("kPatternStep{01-32}")[step - 1] + fields[f]] =
                31 + 16 * (step - 1) + f + (f >= 7 ? 1 : 0);
    for (const auto& [name, byte] : bytes) {
        const auto controls = binding(parameterId(name) + 5);
        ASSERT_EQ(controls.size(), 1u) << name;
        EXPECT_EQ(controls[0]->defaultValue(), pattern[byte] - (byte == 12 ? 16 : 0)) << name;
    }
}

TEST(EditorConfigBytes, OneControlPerAddressAndVariant) {
    std::map<std::vector<int>, const LayoutControl*> seen;
    for (const auto& c : layout().controls) {
        if (!c.sysex() || EditorLayout::neverShown(c)) continue;
        const std::vector<int> first = messages(c).front();
        const int from = c.changingByte == 7 ? 2 : 3;
        std::vector<int> key(first.begin() + from, first.begin() + from + 4);
        if (c.changingByte == 7) { // device id keyed as 0
            EXPECT_EQ(key[0], 0) << c.paramId;
        }
        key.push_back(variant(c));
        const auto [at, fresh] = seen.emplace(key, &c);
        if (fresh || packed(c)) continue;
        // The two models' filter types share their byte.
        EXPECT_EQ(at->second->paramId + "Plus", c.paramId);
    }
    EXPECT_GT(seen.size(), 5000u);
}

TEST(EditorConfigBytes, PackedMultiEntriesAddressTheirPartsBlocks) {
    for (int part = 0; part < 16; ++part)
        for (const auto& [entry, index] : {std::pair{47, 39}, std::pair{446, 48}}) {
            const int at = index + 22 * part;
            EXPECT_EQ(layout().templates.at(entry + part),
                      (std::vector<int>{0x3E, 0x0F, 0x00, 0x21, at >> 7, at & 0x7F, 0x00}))
                << entry + part;
        }
}

TEST(EditorConfigGeometry, ControlsLieInsideTheEditorTheirPageAndSection) {
    const Rect editor{0, 0, 1500, 757}, page{186, 92, 1310, 660};
    for (const LayoutControl* c : shownControls()) {
        EXPECT_TRUE(c->rect.inside(editor)) << c->paramId;
        if (onPage(*c)) {
            EXPECT_TRUE(c->rect.inside(page)) << c->paramId;
        }
        const auto [first, last] = layout().frames.equal_range(c->group);
        bool inSection = first == last;
        for (auto f = first; f != last; ++f)
            inSection |= c->rect.inside(f->second);
        EXPECT_TRUE(inSection) << c->paramId << " outside " << c->group;
    }
}

TEST(EditorConfigGeometry, ControlsShownTogetherNeverOverlap) {
    const auto controls = shownControls();
    int overlaps = 0;
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const LayoutControl& a = *controls[i];
            const LayoutControl& b = *controls[j];
            if (!a.rect.overlaps(b.rect) || !EditorLayout::shownTogether(a, b)) continue;
            if (++overlaps <= 5) ADD_FAILURE() << a.paramId << " overlaps " << b.paramId;
        }
    EXPECT_EQ(overlaps, 0);
    EXPECT_GT(controls.size(), 1500u);
}

TEST(EditorConfigGeometry, ImagesAreTheTablesAndKnobStripsHaveAFramePerValue) {
    std::map<std::string, int> table;
    for (const auto& row : kCommonImages)
        table[row.name] = row.frames;
    for (const auto& row : kSchemeImages)
        table[row.name] = row.frames;
    ASSERT_EQ(layout().images.size(), table.size());
    for (const auto& [name, frames] : table) {
        ASSERT_TRUE(layout().images.count(name)) << name;
        EXPECT_EQ(layout().images.at(name).frames, frames) << name;
    }
    for (const auto& c : layout().controls) {
        if (!c.imageId.empty()) {
            EXPECT_TRUE(table.count(c.imageId)) << c.imageId;
        }
        const bool knob = c.element == "knobcontrol" || (c.element == "multiFx" && c.type == "Knob");
        if (!knob) continue;
        const int frames = table[c.imageId];
        EXPECT_TRUE(frames == 128 || frames == c.max() - c.min() + 1) << c.paramId;
    }
}

TEST(EditorConfigLists, MenusListTheirEntriesAndReadersAValuePerValue) {
    for (const auto& c : layout().controls) {
        const bool menu = c.element == "menucontrol" || c.type == "dropSelection" ||
                          (c.element == "multiFx" && c.type == "Menu");
        if (!menu) continue;
        ASSERT_TRUE(layout().lists.count(c.valueList)) << c.paramId;
        EXPECT_EQ(int(layout().lists.at(c.valueList).size()), c.max() - c.min()) << c.paramId;
    }
    // The value display's lists, indexed by a parameter's value.
    const std::map<std::string, std::string> readers = {
        {"oscillator12shape", "kOscillator1Shape kOscillator2Shape"},
        {"oscillator3shape", "kOscillator3Shape"},
        {"fxInputList", "kFX{1-2}FiveFXSource kFX{1-2}VocoderAnalysisSignal"},
        {"preDelay", "kFX{1-2}ReverbPredelay"}, {"reverbSize", "kFX{1-2}ReverbSize"},
        {"delayFreeValues", "kFX{1-2}DelayLength kFX251DelayDelay"},
        {"delayClockedValues", "kFX{1-2}DelayLengthClocked kFX251DelayClockedDelay"},
        {"sampleRate", "kFX{1-2}FiveFXSampleHold"},
        {"analysisFrequency", "kFX{1-2}VocoderAnalysisLoFrq kFX{1-2}VocoderAnalysisHiFrq "
                              "kFX251DelayLFELP kFX251DelayInputHP kFX251DelayClockedLFELP "
                              "kFX251DelayClockedInputHP"},
        {"delayPercentage", "kFX251DelayDelayML kFX251DelayDelayMR kFX251DelayDelayS2L "
                            "kFX251DelayS1L kFX251DelayS1R kFX251DelayClockedDelayML "
                            "kFX251DelayClockedDelayMR kFX251DelayClockedDelayS2L "
                            "kFX251DelayClockedDelayS1L kFX251DelayClockedDelayS1R"},
        {"oscillatorPWMSource", "kMod{1-8}FastSource kOscillator{1-3}PWMSource "
                                "kOscillatorPitchSource kAmpModSource"},
        {"fastModMatrixDestinations", "kMod{1-8}FastDestination"},
        {"standardMatrixSources", "kMod{1-8}StandardSource kModifier{1-4}Source1"},
        {"standardMatrixDestinations", "kMod{1-8}StandardDestination"},
        {"modifierMatrixSources", "kModifier{1-4}Source2"},
        {"modifierOperators", "kModifier{1-4}SourceType"},
        {"oscillatorFMSource", "kOscillator{1-3}FMSource"},
        {"clockedValues", "kLFO{1-3}Speed"},
        {"tempoValues", "kFX{1-2}DelayTempo kMultiTempo"},
        {"tapDelayDelay", "kFX{1-2}TapDelayDelay"},
        {"fx1Mode", "kEffect1Mode"}, {"fx2Mode", "kEffect2Mode"},
        {"enableDisable", "kPartPitchBend kPartModWheel kPartAfterTouch kPartSustain "
                          "kPartButtons kPartProgramChange"},
        {"zaruvaMode", "kPartZaruvaMode"}, {"zaruvaBank", "kPartZaruvaBank"},
        {"keyVeloOnCurve", "kGlobalKeyVeloCurve"}, {"keyVeloOffCurve", "kGlobalReleaseCurve"},
        {"keyPressureCurve", "kGlobalPressureCurve"},
        {"pedalCvController", "kGlobalPedalController kGlobalPedal2Controller"},
        {"globalChannel", "kGlobalMidiChannel"}, {"globalClock", "kGlobalClock"},
        {"controllerSend", "kGlobalControlSend"}, {"controllerReceive", "kGlobalReceive"},
        {"controlList", "kMultiControlW kMultiControlX kMultiControlY "
                        "kMultiControlZ kGlobalControlW kGlobalControlX kGlobalControlY "
                        "kGlobalControlZ"},
        {"programChange", "kGlobalRxProgramChange kGlobalTxProgramChange"},
        {"globalTuning", "kGlobalTuning"}, {"globalInputGain", "kGlobalInputGain"},
        {"globalMixInTo", "kGlobalMixInputTo"}, {"globalPopupTime", "kGlobalPopupTime"},
        {"footswitchMode", "kGlobalFootswitch{1-2}Mode"},
        {"footswitchController", "kGlobalFootswitch{1-2}Controller"},
        {"htmMode", "kGlobalTuningHMTMode"}, {"offOn", "kGlobalTuningHMTMIDIExport"},
        {"midiRXStatus", "kMIDIRX"}, {"midiTXStatus", "kMIDITX"}, {"engineStatus", "kEngine"},
        {"noiseFeedSource", "kNoiseExtFilter{1-2}Source"}, {"tuneMode", "kTuneMode"},
        {"filter1TypeQ", "kFilter{1-2}TypeQ"}, {"filter1TypeQPlus", "kFilter{1-2}TypeQPlus"},
        {"lfoShape", "kLFO{1-3}Shape"},
        {"keyList", "kMultiPartKeyLow kMultiPartKeyHigh kPatternTransposeKey"},
        {"outputList", "kMultiPartOutput"},
        {"tapLevel", "kFX{1-2}TapDelayTap{1-16}Volume"}, {"tapPan", "kFX{1-2}TapDelayTap{1-16}Pan"},
        {"tapDucking", "kFX{1-2}TapDelayFeedbackDucking"},
        {"envelopeMode", "kFilterEnvMode kAmpEnvMode kEnvelope3Mode kEnvelope4Mode"},
        {"envelopeTrigger", "kFilterEnvTrigger kAmpEnvTrigger kEnv3Trigger kEnv4Trigger"},
        {"startPhase", "kLFO{1-3}Startphase"},
        {"arpMode", "kArpMode"}, {"arpNoteLength", "kArpNoteLength"}, {"arpPattern", "kArpPattern"},
        {"arpClock", "kArpClock"}, {"arpDirection", "kArpDirection"},
        {"arpSortOrder", "kArpSortOrder"}, {"arpVeloMode", "kArpVelocityMode"},
        {"arpStep", "kArpPattern{01-16}Step"},
        {"arpTiming", "kArpPattern{01-16}Timing kArpPattern{01-16}StepLen"},
        {"seqTransposeMode", "kPatternTransposeMode"},
        {"seqTransposeQuantize", "kPatternTransposeQuantize"}, {"seqOptionLinePar", "kOptionLinePar"},
        {"seqStepLen", "kPatternStep{01-32}StepLength kPatternStep{01-32}NoteLength"},
        {"seqHoldPause", "kPatternStep{01-32}HoldPause"}, {"seqKeyList", "kPatternStep{01-32}Note{1-8}"},
        {"dataType", "kDatatype"}, {"qModel", "kQModel"}};
    EXPECT_GE(readers.size(), 76u);
    for (const auto& [list, readerNames] : readers) {
        ASSERT_TRUE(layout().lists.count(list)) << list;
        const int entries = int(layout().lists.at(list).size());
        for (const std::string& name : names(readerNames)) {
            const auto controls = binding(parameterId(name));
            ASSERT_FALSE(controls.empty()) << name;
            const LayoutControl& c = *controls.front();
            const bool menu = c.element == "menucontrol" || c.element == "dropMenu";
            // A menu's values count from 0 to max - min - 1, whatever byte its messages start at.
            const int highest = menu ? c.max() - c.min() - 1 : c.max();
            EXPECT_GT(entries, highest) << list << " for " << name;
        }
    }
}
