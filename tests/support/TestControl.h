#pragma once

#include "kit/effect/IControl.h"

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A control that records the input it gets (keeping the base behaviour) and appends its name
// to a drawing log when drawn, running the test's drawing if it has one.
class TestControl : public IControl {
public:
    struct Event {
        char kind; // 'd' down, 'u' up, 'g' drag, 'c' double click, 'w' wheel, 'o' over, 'x' out
        int x, y, dX, dY;
        IMouseMod mod;
    };

    TestControl(IEffectBase* plug, IRECT rect, int paramIdx = -1, std::string name = "",
                std::vector<std::string>* drawLog = nullptr)
        : IControl(plug, rect, paramIdx), name(std::move(name)), log(drawLog) {}

    bool Draw(IGraphics* g) override {
        if (log) log->push_back(name);
        if (onDraw) onDraw(g);
        return true;
    }
    void OnMouseDown(int x, int y, IMouseMod* mod) override {
        record('d', x, y, 0, 0, mod);
        IControl::OnMouseDown(x, y, mod);
    }
    void OnMouseUp(int x, int y, IMouseMod* mod) override { record('u', x, y, 0, 0, mod); }
    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override {
        record('g', x, y, dX, dY, mod);
    }
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override {
        record('c', x, y, 0, 0, mod);
        IControl::OnMouseDblClick(x, y, mod);
    }
    void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override {
        record('w', x, y, d, 0, mod);
        IControl::OnMouseWheel(x, y, mod, d);
    }
    void OnMouseOver(int x, int y, IMouseMod* mod) override { record('o', x, y, 0, 0, mod); }
    void OnMouseOut() override { record('x', 0, 0, 0, 0, nullptr); }
    bool OnKeyDown(int, int, int key) override {
        keys.push_back(key);
        return takesKeys;
    }

    std::string name;
    std::vector<std::string>* log;
    std::function<void(IGraphics*)> onDraw;
    std::vector<Event> events;
    std::vector<int> keys;
    bool takesKeys = true;

private:
    void record(char kind, int x, int y, int dX, int dY, IMouseMod* mod) {
        events.push_back({kind, x, y, dX, dY, mod ? *mod : IMouseMod()});
    }
};

} // namespace testsupport
