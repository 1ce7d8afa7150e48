#pragma once

#include "tests/core/SendRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IFaderControl.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/IKnobControl.h"
#include "platform/view/HeadlessView.h"

#include <vector>

namespace coretest {

// The recording plug-in with its editor open at the normal size, driven as a musician drives
// it: clicks, drags and menu choices through the editor's view.
struct EditorRig : SendRig {
    void SetUp() override {
        writeSettings("yellow\nnormal\n\n\n"); // no first-run notice over the page
        SendRig::SetUp();
        AEffect* effect = plug->GetAEffect();
        ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, nullptr, 0.0f), 1);
        view = static_cast<platform::HeadlessView*>(plug->GetGUI()->GetWindow());
    }
    void TearDown() override {
        AEffect* effect = plug->GetAEffect();
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        SendRig::TearDown();
    }

    // At an editor point of the normal size: the view moves a point 2 left and 3 up.
    void send(platform::ViewEventType type, int x, int y) {
        platform::ViewEvent e;
        e.type = type;
        e.x = e.rootX = x + 2;
        e.y = e.rootY = y + 3;
        e.button = 1;
        view->Send(e);
    }
    void click(int x, int y) {
        send(platform::ViewEventType::kButtonDown, x, y);
        send(platform::ViewEventType::kButtonUp, x, y);
    }
    void showTab(int tab) { click(190 + 100 * tab + 50, 20); }
    // The part buttons down the left side, part 0 at the top.
    void showPart(int part) { click(55, 118 + 40 * part); }
    // As a dump from the synthesizer sets it: nothing is sent, the page follows.
    void fromDump(int param, double value) {
        plug->SetParameterFromGUI2(param, this->param(param).GetNormalized(value));
        plug->OnParamChange2(kQuickTab);
        sent();
    }

    IControl* shownControl(int param) {
        IGraphics& g = *plug->GetGUI();
        std::vector<const ControlLayer*> layers;
        for (int i = 0; i < g.NLayers(); ++i)
            layers.push_back(g.GetLayer(i));
        while (!layers.empty()) {
            const ControlLayer* layer = layers.back();
            layers.pop_back();
            if (!layer->isVisible()) continue;
            for (int i = 0; i < layer->getControls().GetSize(); ++i) {
                IControl* c = layer->getControls().Get(i);
                if (c->ParamIdx() == param && !c->IsHidden()) return c;
            }
            for (int i = 0; i < layer->getChildren().GetSize(); ++i)
                layers.push_back(layer->getChildren().Get(i));
        }
        return nullptr;
    }

    // Moves param's control as a musician does: a knob is dragged away from the end its value
    // is near, a fader clicked near the other end, a menu's first entry chosen (its last when
    // the first is the value), anything else clicked. False when the value did not change.
    bool operate(IControl* c, int param) {
        const IRECT r = c->GetRECT();
        const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
        const double before = value(param);
        const bool high = this->param(param).GetNormalized() > 0.5;
        using platform::ViewEventType;
        if (dynamic_cast<IKnobControl*>(c)) {
            send(ViewEventType::kButtonDown, x, y);
            send(ViewEventType::kMotion, x, high ? y + 20 : y - 20);
            send(ViewEventType::kButtonUp, x, high ? y + 20 : y - 20);
        } else if (dynamic_cast<IFaderControl*>(c)) {
            click(high ? r.L + 2 : r.R - 2, y);
        } else if (dynamic_cast<ICaptionControl*>(c)) {
            for (platform::ViewKey key : {platform::ViewKey::kDown, platform::ViewKey::kUp}) {
                platform::ViewEvent k;
                k.type = ViewEventType::kKey;
                k.key = key;
                view->Queue(k);
                k.key = platform::ViewKey::kReturn;
                view->Queue(k);
                click(x, y);
                if (value(param) != before) break;
            }
        } else {
            click(x, y);
        }
        return value(param) != before;
    }

    platform::HeadlessView* view = nullptr;
};

} // namespace coretest
