#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

// The committed editor files read back the way the layout reader walks them, independently of
// the generator: every element of every part copy with its parameter id, rectangle and
// message template, the layers it sits in, the SysEx templates and the art's image sizes.
struct LayoutLayer {
    std::string name;
    int id = 0;
    bool overlay = false;
    bool copies = false; // a multilayer: its children are the part copies
    const LayoutLayer* parent = nullptr;
};

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool inside(const Rect& o) const {
        return o.x <= x && x + w <= o.x + o.w && o.y <= y && y + h <= o.y + o.h;
    }
    bool overlaps(const Rect& o) const {
        return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
    }
};

struct LayoutControl {
    std::string element, type, paramId, imageId, valueList, group;
    int id = -1;   // -1: no parameter
    int part = -1; // the copy's part, -1 outside the copies
    Rect rect;
    std::vector<int> bounds; // default, min, max (and a fourth for knobs)
    int sysexIndex = -1, changingByte = 0, msgZeroVal = 0;
    const LayoutLayer* layer = nullptr;

    bool sysex() const { return type.rfind("se", 0) == 0; }
    int min() const { return bounds.size() > 1 ? bounds[1] : 0; }
    int max() const { return bounds.size() > 2 ? bounds[2] : 1; }
    int defaultValue() const { return bounds.empty() ? 0 : bounds[0]; }
};

struct ArtImage {
    int frames = 1, w = 0, h = 0;
};

class EditorLayout {
public:
    // Reads uiconfig.xml, sysex.xml and editor-art.txt of the folder.
    explicit EditorLayout(const std::string& folder);

    std::vector<LayoutControl> controls;
    std::vector<std::unique_ptr<LayoutLayer>> layers;
    std::map<std::string, std::vector<std::string>> lists;
    std::vector<std::vector<int>> templates; // the first text of each SysEx entry
    std::map<std::string, ArtImage> images;
    std::multimap<std::string, Rect> frames; // section boxes by group, editor coordinates

    // The layers of the named one, or null.
    const LayoutLayer* layer(const std::string& name) const;
    // Whether the two controls can be on screen at the same time.
    static bool shownTogether(const LayoutControl& a, const LayoutControl& b);
    // Whether the control sits in a layer that nothing ever shows.
    static bool neverShown(const LayoutControl& c);

private:
    void walk(const tinyxml2::XMLElement* first, const LayoutLayer* layer, int part);
    void addControl(const tinyxml2::XMLElement* e, const LayoutLayer* layer, int part);
};

// The parameter id of a layout name ("kName" or "kName+offset"), -1 when unknown.
int parameterId(const std::string& reference);
