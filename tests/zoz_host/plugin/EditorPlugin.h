#pragma once

#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IGraphicsLinux.h"
#include "kit/effect/IKnobLineControl.h"
#include "kit/effect/ISwitchControl.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "tests/support/TestVSTEffect.h"

#include <cstdio>
#include <string>

namespace testsupport {

// The test module's plug-in: the editor's identity, 64 hidden parameters and a small editor on
// the Linux graphics object: a knob, a switch, a caption that offers its texts in a menu and a
// name field. It prints every change that reaches it, so that a host's test can see edits.
class EditorPlugin : public TestVSTEffect {
public:
    enum { kKnob, kSwitch, kMode, kName, kParams = 64 };
    static constexpr int kWidth = 300, kHeight = 100;
    static inline const IRECT kKnobRect{16, 26, 64, 74};
    static inline const IRECT kSwitchRect{90, 30, 130, 70};
    static inline const IRECT kModeRect{150, 20, 280, 44};
    static inline const IRECT kNameRect{150, 56, 280, 80};

    explicit EditorPlugin(audioMasterCallback host) : TestVSTEffect(host, options()) {
        GetParam(kKnob)->InitDouble("Knob", 0.5, 0.0, 1.0, 0.0);
        GetParam(kSwitch)->InitDouble("Switch", 0.0, 0.0, 1.0, 0.0);
        GetParam(kMode)->InitEnum("Mode", 0, 3);
        for (const char* text : {"Poly", "Mono", "Legato"})
            GetParam(kMode)->SetDisplayText(GetParam(kMode)->GetNDisplayTexts(), text);
        GetParam(kName)->InitText();
        GetParam(kName)->InitEnum("Name", 0, 1);
        GetParam(kName)->SetDisplayText(0, "Init");
        for (int i = kName + 1; i < NParams(); ++i) {
            GetParam(i)->InitDouble(("Value " + std::to_string(i)).c_str(), 0.0, 0.0, 1.0, 0.0);
            GetParam(i)->Set((i % 10) / 10.0);
        }
        AttachGraphics(makeEditor());
    }

    void OnParamChange(int idx) override {
        TestVSTEffect::OnParamChange(idx);
        const IParam* param = GetParam(idx);
        if (!param) return;
        char display[MAX_PARAM_DISPLAY_LEN];
        param->GetDisplayForHost(display, true);
        printf("plug-in: parameter %d = %g \"%s\"\n", idx, param->Value(), display);
    }

private:
    static Options options() {
        Options o;
        o.nParams = kParams;
        return o;
    }

    IGraphics* makeEditor() {
        auto* g = new IGraphicsLinux(this, kWidth, kHeight);
        const IColor panel(255, 40, 44, 52), light(255, 230, 230, 230);
        g->AttachPanelBackground(&panel);
        g->AttachControl(new IKnobLineControl(this, kKnobRect, kKnob, &light, 6.0, 0.0, -2.4, 2.4));
        const IBitmap switchStrip = switchFrames();
        g->AttachControl(
            new ISwitchControl(this, kSwitchRect.L, kSwitchRect.T, kSwitch, &switchStrip));
        IText style;
        style.mColor = light;
        style.mSize = 14;
        for (const auto& [rect, idx] :
             {std::pair{kModeRect, int(kMode)}, {kNameRect, int(kName)}}) {
            auto* caption = new ICaptionControl(this, rect, idx, &style, false);
            caption->SetPromptDisabled(false);
            g->AttachControl(caption);
        }
        return g;
    }

    // Two 40 × 40 frames, off and on, kept for the life of the module.
    static IBitmap switchFrames() {
        static RAST_MemBitmap* frames = [] {
            auto* b = new RAST_MemBitmap(40, 80);
            RAST_FillRect(b, 0, 0, 40, 80, RAST_MakePixel(90, 90, 90, 255), 1.0f, 0);
            RAST_FillRect(b, 6, 6, 28, 28, RAST_MakePixel(20, 20, 20, 255), 1.0f, 0);
            RAST_FillRect(b, 6, 46, 28, 28, RAST_MakePixel(250, 160, 40, 255), 1.0f, 0);
            return b;
        }();
        return IBitmap{frames, 40, 80, 2, false};
    }
};

} // namespace testsupport
