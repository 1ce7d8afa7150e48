#pragma once

#include "src/uiconfig/UIConfigPlugin.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

// A plug-in core whose debug log is a fresh file of its own (or off), over a framework base
// that the test may give.
class FakeConfigPlugin : public UIConfigPlugin {
public:
    explicit FakeConfigPlugin(bool logOn = true)
        : logOn(logOn), path(std::filesystem::temp_directory_path() /
                             ("zoz-uiconfig-log-" + std::to_string(getpid()) + "-" +
                              std::to_string(counter()++) + ".txt")) {
        std::ofstream(path).flush();
    }
    ~FakeConfigPlugin() override { std::filesystem::remove(path); }

    bool isDebugLogOn() const override { return logOn; }
    std::string debugLogPath() const override { return path.string(); }
    IEffectBase* effect() const override { return effectBase; }
    IControl* createLibrarianView(int x, int y, int paramIdx, const IBitmap& background, IRECT rect,
                                  PatchLibrarian*, double scale) override {
        return makeLibrarianView ? makeLibrarianView(x, y, paramIdx, background, rect, scale)
                                 : nullptr;
    }

    // The texts of the log lines, without their time stamps.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            const size_t tab = line.find("\t ");
            out.push_back(tab == std::string::npos ? line : line.substr(tab + 2));
        }
        return out;
    }

    bool logOn;
    IEffectBase* effectBase = nullptr;
    // Makes the librarian view; none without it.
    std::function<IControl*(int x, int y, int paramIdx, const IBitmap&, IRECT, double scale)>
        makeLibrarianView;

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path;
};
