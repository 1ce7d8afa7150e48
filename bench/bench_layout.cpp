// Reading the editor's layout: the time readUIConfig takes on the constructing thread, which
// the host waits for, and the heap the configuration then holds (controls, layers, records,
// messages and maps). On a generated layout of the editor's size (16 part copies of 375 SysEx
// knobs of 128 values, 1,000 other controls) and on the authored layout. The few images come
// from memory: decoding the PNG files is not measured here. Run with ZOZ_MIDI_API=alsa where
// no MIDI server runs, so that the port menus start none.
#include "bench/SoundTemplates.h"
#include "src/uiconfig/ParameterNames.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

constexpr int kParts = 16;
constexpr int kKnobsPerPart = 375;
constexpr int kOtherControls = 1000;

std::string reference(int id) {
    return std::string(kParameterNameRuns[0].name) + "+" + std::to_string(id);
}

ConfigEditor::Resources generated() {
    std::string layout = "<uiconfig><valueLists><list name='eight'>";
    for (int v = 0; v < 8; ++v)
        layout += "<value>Entry " + std::to_string(v) + "</value>";
    layout += "</list></valueLists><layer name='sound'><multilayer name='part' create='16'>";
    // Per-part ids: the copy adds its part to 16 k.
    for (int k = 0; k < kKnobsPerPart; ++k)
        layout += "<knobcontrol type='seKnob' name='Knob' paramId='" + reference(kParts * k) +
                  "' position='10,10' imageId='" + ConfigEditor::kKnobImage +
                  "' valueBounds='0,0,127' sysexIndex='" + std::to_string(k) +
                  "' changingByte='8'/>";
    layout += "</multilayer></layer><layer name='other'>";
    const char* const others[] = {
        "<switch name='S' position='5,5' valueBounds='1' imageId='BUTTON_LIB_DATATYPE_ID'",
        "<knobcontrol type='ccKnob' name='K' ccNumber='7' channel='1' position='5,5'"
        " valueBounds='0,0,127,1' imageId='IKNOBROTATERCONTROL_ID4'",
        "<dropMenu type='dropSelection' name='M' bounds='5,5,60,13' valueBounds='0,0,8'"
        " valueList='eight'",
        "<multiFx type='Knob' name='F' position='5,5' valueBounds='0,0,127,1'"
        " imageId='IKNOBROTATERCONTROL_ID4'",
    };
    for (int i = 0; i < kOtherControls; ++i)
        layout += std::string(others[i % 4]) + " paramId='" +
                  reference(kParts * kKnobsPerPart + i) + "'/>";
    layout += "</layer></uiconfig>";
    return {ConfigCipher::encipher(soundTemplates(kKnobsPerPart)), ConfigCipher::encipher(layout)};
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ConfigEditor::Resources authored() {
    return {readFile(ZOZ_BUILD_RESOURCES "sysex.tea"),
            readFile(ZOZ_BUILD_RESOURCES "uiconfig.tea")};
}

int count(const ControlLayer* layer) {
    int n = layer->getControls().GetSize();
    for (int i = 0; i < layer->getChildren().GetSize(); ++i)
        n += count(layer->getChildren().Get(i));
    return n;
}

void readLayout(benchmark::State& state, const ConfigEditor::Resources& resources) {
    size_t held = 0;
    int controls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<ConfigEditor>(resources, false);
        const size_t before = mallinfo2().uordblks;
        state.ResumeTiming();
        editor->read(0, 1.0);
        state.PauseTiming();
        held = mallinfo2().uordblks - before;
        controls = editor->graphics.NControls();
        for (int i = 0; i < editor->graphics.NLayers(); ++i)
            controls += count(editor->graphics.GetLayer(i));
        editor.reset();
        state.ResumeTiming();
    }
    state.counters["MB_held"] = double(held) / (1 << 20);
    state.counters["controls"] = controls;
}

void BM_ReadGeneratedLayout(benchmark::State& state) {
    readLayout(state, generated());
}
BENCHMARK(BM_ReadGeneratedLayout)->Unit(benchmark::kMillisecond);

void BM_ReadAuthoredLayout(benchmark::State& state) {
    readLayout(state, authored());
}
BENCHMARK(BM_ReadAuthoredLayout)->Unit(benchmark::kMillisecond);

} // namespace
