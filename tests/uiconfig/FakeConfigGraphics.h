#pragma once

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "platform/ResourceFile.h"
#include "src/uiconfig/UIConfigGraphics.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// A graphics object with a counted bitmap cache that reads no image: it records every call
// so tests can check what was loaded, in which order, and what references are held.
class FakeConfigGraphics : public UIConfigGraphics {
public:
    struct Load {
        int id;
        std::string name;
        double scale;
        int frames;
        bool horizontal;
    };

    // Resource files served from memory; names not here come from the resources folder.
    std::map<std::string, std::vector<char>> files;
    std::set<std::string> missingImages;
    std::vector<std::string> fileLoads;
    std::vector<Load> bitmapLoads;
    std::map<int, int> references; // id -> count, shared by every user of this object
    int releases = 0;

    bool LoadFile(int, const char* name, std::vector<char>& bytes) override {
        fileLoads.push_back(name);
        const auto it = files.find(name);
        if (it == files.end()) return platform::ReadResourceFile(name, bytes);
        bytes = it->second;
        bytes.push_back(0);
        return true;
    }

    IBitmap LoadIBitmap(int id, const char* name, double scale, int frames,
                        bool horizontal) override {
        bitmapLoads.push_back({id, name, scale, frames, horizontal});
        if (missingImages.count(name)) return IBitmap();
        ++references[id];
        return getImageById(id, frames, horizontal);
    }

    IBitmap getImageById(int id, int frames, bool horizontal) override {
        const auto it = references.find(id);
        if (it == references.end() || it->second == 0) return IBitmap();
        IBitmap b;
        b.mData = reinterpret_cast<RAST_IBitmap*>(0x1000 + id); // never dereferenced
        b.W = 30;
        b.H = 20 * frames;
        b.N = frames;
        b.mFramesAreHorizontal = horizontal;
        return b;
    }

    void ReleaseBitmapById(int id) override {
        ++releases;
        const auto it = references.find(id);
        if (it != references.end() && it->second > 0 && --it->second == 0) references.erase(it);
    }

    int AttachControl(IControl* control) override {
        controls.emplace_back(control);
        return int(controls.size()) - 1;
    }
    int AttachLayer(ControlLayer* layer) override {
        layers.emplace_back(layer);
        return int(layers.size()) - 1;
    }
    std::vector<std::unique_ptr<IControl>> controls;
    std::vector<std::unique_ptr<ControlLayer>> layers;
};
