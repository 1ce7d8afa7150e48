#pragma once

#include "fileencrypt/ConfigCipher.h"
#include "kit/effect/ControlLayer.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigGraphicsAdapter.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// An editor whose UI configuration was read (and logged, unless asked not to) from the given
// SysEx resource and an empty layout, or from both resources of a fixture, over a plug-in of
// every parameter with a real graphics object attached. A few images of the table have
// pictures: a four-frame knob strip of 40 × 160, a two-frame button of 30 × 40, a fader handle
// of 18 × 18, two-frame tab strips of 250 × 60 (frames stacked, and side by side) and a
// background of 400 × 230. The cache references it took are given back at the end.
class ConfigEditor {
public:
    // Both resources, enciphered.
    struct Resources {
        std::string sysex, layout;
    };
    static constexpr const char* kKnobImage = "IKNOBROTATERCONTROL_ID4";
    static constexpr const char* kButtonImage = "BUTTON_LIB_DATATYPE_ID";
    static constexpr const char* kHandleImage = "BTN_18x18_ID";
    static constexpr const char* kTabImage = "BUTTON_TAB_TOPBAR_ID";
    static constexpr const char* kSideTabImage = "BUTTON_TAB_SIDEBAR_ID";
    static constexpr const char* kBackgroundImage = "BG_ID_BROWSER";

    ConfigEditor(const std::string& sysex, int style = 0, double scale = 1.0, bool log = true)
        : ConfigEditor(
              Resources{ConfigCipher::encipher(sysex), ConfigCipher::encipher("<uiconfig/>")},
              style, scale, log) {}
    // setUp may change the plug-in and the pictures before the configuration is read.
    ConfigEditor(const Resources& resources, int style, double scale, bool log = true,
                 const std::function<void(ConfigEditor&)>& setUp = {})
        : ConfigEditor(resources, log) {
        if (setUp) setUp(*this);
        read(style, scale);
    }
    // Ready to read, with nothing read yet.
    ConfigEditor(const Resources& resources, bool log) {
        plugin.logOn = log;
        plugin.effectBase = &effect;
        effect.AttachGraphics(&graphics);
        graphics.files[UIConfigManager::kSysExResource] = resources.sysex;
        graphics.files[UIConfigManager::kUIConfigResource] = resources.layout;
        graphics.AddImage(127, 40, 160, 0xFF0000FFu);
        graphics.AddImage(119, 30, 40, 0xFF00FF00u);
        graphics.AddImage(303, 18, 18, 0xFFFF0000u);
        graphics.AddImage(132, 250, 60, 0xFF00FFFFu);
        graphics.AddImage(133, 250, 60, 0xFFFFFF00u);
        graphics.AddImage(103, 400, 230, 0x404040FFu);
    }
    void read(int style, double scale) {
        manager.readUIConfig(&adapter, &plugin, nullptr, style, scale);
    }
    ~ConfigEditor() { manager.ClearImageCache(); }

    ControlAction* record(int paramId) const {
        return effect.GetParam(paramId)->GetControlAction();
    }
    IControl* lastTopLevel() const { return graphics.GetControl(graphics.NControls() - 1); }
    bool logged(const std::string& line) const {
        for (const std::string& l : plugin.lines())
            if (l == line) return true;
        return false;
    }
    // The log lines that begin with prefix.
    std::vector<std::string> linesStarting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& l : plugin.lines())
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }

    class Graphics : public testsupport::TestGraphics {
    public:
        using TestGraphics::TestGraphics;
        bool OSLoadFile(int, const char* name, std::vector<char>& bytes) override {
            const auto it = files.find(name);
            if (it == files.end()) return false;
            bytes.assign(it->second.begin(), it->second.end());
            bytes.push_back(0);
            return true;
        }
        std::map<std::string, std::string> files;
    };

    // Destroyed in reverse: the manager takes its records back while the parameters exist.
    testsupport::TestEffect effect{kNumParams, kNumNonAutomatedParams};
    Graphics& graphics = *new Graphics(&effect, 1725, 871); // the plug-in's from the start
    FakeConfigPlugin plugin;
    UIConfigGraphicsAdapter adapter{&graphics};
    UIConfigManager manager;
};
