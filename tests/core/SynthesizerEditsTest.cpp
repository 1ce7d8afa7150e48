// What the synthesizer sends when a parameter changes on it reaches that parameter: every
// SysEx-bound control of the product layout, each part's sound controls, the multi and the
// global ones, through the plug-in's SysEx input.

#include "tests/core/CoreRig.h"
#include "tests/core/LayoutParameters.h"

#include "kit/effect/IGraphics.h"
#include "kit/effect/ISysEx.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"

using namespace coretest;
using SynthesizerEdits = CoreRig;

// For each parameter with SysEx messages: the message of a value other than its current one,
// from a synthesizer whose device id is not the layout's, moves that parameter there and no
// other (but a linked partner and the part indicators). An effect setting is sent while the
// part's effect has the type it belongs to. A pattern other than 0 asks the synthesizer for
// it, so pattern controls go back to 0. The Q's filter types share their byte with the Q+'s,
// whose menus the layout makes later: the Q+ twin takes the value. A byte that holds several
// parameters of the part comes with the others' values as they are, and Effect 2's 5.1
// delays with their offset.
TEST_F(SynthesizerEdits, EveryControlOfTheLayoutFollowsTheSynthesizer) {
    resources = ZOZ_BUILT_RESOURCES;
    auto plug = start();
    plug->GetParam(kControlProgBank)->Set(0.0); // program changes send and request nothing
    const auto inBlock = [](int id, int first) { return id >= first && id < first + 16; };
    int followed = 0, twins = 0;
    std::vector<double> before(size_t(plug->NParams()));
    for (int id = 0; id < plug->NParams(); ++id) {
        const ControlAction* action = plug->GetParam(id)->GetControlAction();
        if (!action || action->sysexMessage.messages.empty()) continue;
        const std::string name = runOf(id)->name;
        SCOPED_TRACE(name + " at " + std::to_string(id));
        IParam* param = plug->GetParam(id);
        const int min = TruncToInt(param->GetMin()), max = TruncToInt(param->GetMax());
        int value = (min + max + 1) / 2;
        if (inBlock(id, kPartPattern)) {
            plug->GetGUI()->SetParameterFromPlug(id, max, false);
            value = 0;
        }
        if (value == TruncToInt(param->Value())) value = min;

        // Held: 3E 0F dev id (part) hi lo value.
        std::vector<int> held = action->sysexMessage.messages.message(value - min);
        ASSERT_GE(held.size(), 7u);
        held[2] = 0x11;
        if (held[3] == 0x20) {
            const int part = held[4];
            if (const SoundDump::Byte* row = encodedRow(id - part))
                held[7] = SoundDump::encode(
                    *row,
                    [&](int p) {
                        return p + part == id ? value
                                              : TruncToInt(plug->GetParam(p + part)->Value());
                    },
                    0);
        }
        if (held[3] == 0x20 && held[5] == 1 && held[6] < 32)
            plug->GetParam((held[6] < 16 ? kEffect1Mode : kEffect2Mode) + held[4])
                ->Set(effectTypeOf(name));
        std::vector<uint8_t> wire{0xF0};
        wire.insert(wire.end(), held.begin(), held.end());
        wire.push_back(0xF7);
        for (int i = 0; i < plug->NParams(); ++i)
            before[size_t(i)] = plug->GetParam(i)->Value();
        ISysEx sysex(0, wire.data(), int(wire.size()));
        plug->ProcessSysEx(&sysex, true);

        const bool qFilter = inBlock(id, kFilter1TypeQ) || inBlock(id, kFilter2TypeQ);
        const int took = qFilter ? id + kFilter1TypeQPlus - kFilter1TypeQ : id;
        EXPECT_NEAR(plug->GetParam(took)->Value(), value, 1e-9);
        for (int i = 0; i < plug->NParams(); ++i) {
            if (i != took && i != action->link.partnerId && !inBlock(i, kMIDILed)) {
                ASSERT_EQ(plug->GetParam(i)->Value(), before[size_t(i)]) << "moved " << i;
            }
        }
        ++(qFilter ? twins : followed);
    }
    EXPECT_GT(followed, 6000);
    EXPECT_EQ(twins, 32);
    // Nothing was asked of the synthesizer on the way.
    EXPECT_FALSE(plug->getMessageManager()->isRunning(MIDIMessageManager::kJobThread));
}
