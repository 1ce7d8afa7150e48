#include "tests/editor_config/EditorLayout.h"

#include "src/uiconfig/ParameterNames.h"

#include <tinyxml2.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::vector<int> ints(const char* text, char separator = ',') {
    std::vector<int> out;
    std::stringstream in(text ? text : "");
    for (std::string token; std::getline(in, token, separator);)
        out.push_back(std::stoi(token));
    return out;
}

std::string attr(const tinyxml2::XMLElement* e, const char* name) {
    const char* value = e->Attribute(name);
    return value ? value : "";
}

void load(tinyxml2::XMLDocument& doc, const std::string& path) {
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS)
        throw std::runtime_error("cannot read " + path);
}

} // namespace

int parameterId(const std::string& reference) {
    const size_t plus = reference.find('+');
    const std::string name = reference.substr(0, plus);
    for (int i = 0; i < kParameterNameRunCount; ++i)
        if (name == kParameterNameRuns[i].name)
            return kParameterNameRuns[i].firstId +
                   (plus == std::string::npos ? 0 : std::stoi(reference.substr(plus + 1)));
    return -1;
}

EditorLayout::EditorLayout(const std::string& folder) {
    std::ifstream art(folder + "editor-art.txt");
    for (std::string line; std::getline(art, line);) {
        std::istringstream in(line);
        std::string word, name;
        in >> word >> name;
        if (word == "image") {
            ArtImage image;
            char times;
            in >> image.frames >> image.w >> times >> image.h;
            images[name] = image;
        } else if (word == "background") {
            Rect at;
            in >> at.x >> at.y;
            for (std::streampos mark = art.tellg(); std::getline(art, line); mark = art.tellg()) {
                std::istringstream item(line);
                item >> word;
                if (word == "background") {
                    art.seekg(mark);
                    break;
                }
                Rect box;
                std::string group;
                if ((word != "frame" && word != "area") ||
                    !(item >> box.x >> box.y >> box.w >> box.h >> group))
                    continue;
                frames.emplace(group, Rect{at.x + box.x, at.y + box.y, box.w, box.h});
            }
        }
    }

    tinyxml2::XMLDocument sysex;
    load(sysex, folder + "sysex.xml");
    for (auto* e = sysex.RootElement()->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const char* text = e->FirstChildElement("values")->FirstChildElement("value")->GetText();
        std::vector<int> bytes;
        std::istringstream in(text ? text : "");
        for (int b; in >> std::hex >> b;)
            bytes.push_back(b);
        templates.push_back(bytes);
    }

    tinyxml2::XMLDocument ui;
    load(ui, folder + "uiconfig.xml");
    const auto* root = ui.RootElement();
    for (auto* l = root->FirstChildElement("valueLists")->FirstChildElement("list"); l;
         l = l->NextSiblingElement("list")) {
        auto& texts = lists[attr(l, "name")];
        for (auto* v = l->FirstChildElement("value"); v; v = v->NextSiblingElement("value"))
            texts.push_back(v->GetText() ? v->GetText() : "");
    }
    walk(root->FirstChildElement(), nullptr, -1);
}

const LayoutLayer* EditorLayout::layer(const std::string& name) const {
    for (const auto& l : layers)
        if (l->name == name) return l.get();
    return nullptr;
}

void EditorLayout::walk(const tinyxml2::XMLElement* e, const LayoutLayer* parent, int part) {
    for (; e; e = e->NextSiblingElement()) {
        const std::string element = e->Name();
        if (element == "layer") {
            layers.push_back(std::make_unique<LayoutLayer>(
                LayoutLayer{attr(e, "name"), e->IntAttribute("id"), attr(e, "overlay") == "true",
                            false, parent}));
            walk(e->FirstChildElement(), layers.back().get(), part);
        } else if (element == "multilayer") {
            layers.push_back(std::make_unique<LayoutLayer>(
                LayoutLayer{attr(e, "name"), 0, false, true, parent}));
            const LayoutLayer* copies = layers.back().get();
            for (int p = 0; p < e->IntAttribute("create"); ++p) {
                layers.push_back(std::make_unique<LayoutLayer>(
                    LayoutLayer{attr(e, "name") + std::to_string(p), p, false, false, copies}));
                walk(e->FirstChildElement(), layers.back().get(), p);
            }
        } else if (element != "valueLists" && element != "background") {
            addControl(e, parent, part);
        }
    }
}

void EditorLayout::addControl(const tinyxml2::XMLElement* e, const LayoutLayer* layer, int part) {
    LayoutControl c;
    c.element = e->Name();
    c.type = attr(e, "type");
    c.paramId = attr(e, "paramId");
    c.imageId = attr(e, "imageId");
    c.valueList = attr(e, "valueList");
    c.group = attr(e, "paramGroup");
    c.layer = layer;
    c.part = part;
    c.bounds = ints(e->Attribute("valueBounds"));
    c.sysexIndex = e->IntAttribute("sysexIndex", -1);
    c.changingByte = e->IntAttribute("changingByte");
    c.msgZeroVal = e->IntAttribute("msgZeroVal");
    if (c.element == "patchBrowser") c.paramId = "kLibrarianArea";
    c.id = parameterId(c.paramId);
    if (c.id >= 0 && part >= 0) c.id += part;

    const ArtImage image = images.count(c.imageId) ? images.at(c.imageId) : ArtImage{};
    std::vector<int> at = ints(e->Attribute(e->Attribute("bounds") ? "bounds" : "position"));
    at.resize(4, 0);
    c.rect = {at[0], at[1], image.w, image.h};
    if (c.element == "slidercontrol") {
        const bool vertical = c.type.find("Ver") != std::string::npos;
        (vertical ? c.rect.h : c.rect.w) = e->IntAttribute("length");
    } else if (c.element == "radio") {
        (e->BoolAttribute("horizontal") ? c.rect.w : c.rect.h) *= e->IntAttribute("buttons");
        c.bounds = {0, 0, e->IntAttribute("buttons") - 1};
    } else if (c.element == "menucontrol") {
        c.rect.w = at[2];
        c.rect.h = 13;
    } else if (e->Attribute("bounds") || (c.element == "multiFx" && c.type == "Menu")) {
        c.rect.w = at[2];
        c.rect.h = at[3];
    }
    controls.push_back(c);
}

bool EditorLayout::neverShown(const LayoutControl& c) {
    for (const LayoutLayer* l = c.layer; l; l = l->parent)
        if (l->name.rfind("rangeOnly", 0) == 0) return true;
    return false;
}

namespace {

std::vector<const LayoutLayer*> path(const LayoutLayer* layer) {
    std::vector<const LayoutLayer*> out;
    for (; layer; layer = layer->parent)
        out.insert(out.begin(), layer);
    return out;
}

// Ids of sibling zones that page switching shows one at a time: one decade each below 120,
// and every id from 300 on.
int zoneGroup(int id) { return id >= 300 ? 300 : id / 10; }

// Whether a is a delay's length or tempo zone and b the panel of another effect in the same
// slot: the page shows those zones with the delay's panel alone (type zones 10-19 and 300-311,
// delay zones 20, 21, 40 of the first effect and 30, 31, 50 of the second).
bool delayZoneBesideOtherEffect(const LayoutLayer* a, const LayoutLayer* b) {
    const int slot = a->id == 20 || a->id == 21 || a->id == 40   ? 1
                     : a->id == 30 || a->id == 31 || a->id == 50 ? 2
                                                                 : 0;
    const int type = slot == 1 && b->id >= 10 && b->id < 20     ? b->id - 10
                     : slot == 2 && b->id >= 300 && b->id < 312 ? b->id - 300
                                                                : -1;
    return type >= 0 && type != 4;
}

// Whether two different children of parent are never shown together.
bool exclusive(const LayoutLayer* parent, const LayoutLayer* a, const LayoutLayer* b) {
    if (!parent)
        return a->name.rfind("bankAndProgram", 0) == 0 && b->name.rfind("bankAndProgram", 0) == 0;
    if (parent->name == "root" || parent->copies) return true;
    if (parent->name == "multiPage")
        return a->name.rfind("multiModeSettingsPage", 0) == 0 &&
               b->name.rfind("multiModeSettingsPage", 0) == 0;
    // The category filter, or in the search view the search text.
    if (parent->name == "librarianPage")
        return (a->name == "categoryLimit" && b->name == "searchField") ||
               (a->name == "searchField" && b->name == "categoryLimit");
    const bool partCopy = parent->parent && parent->parent->copies;
    return partCopy && (zoneGroup(a->id) == zoneGroup(b->id) ||
                        delayZoneBesideOtherEffect(a, b) || delayZoneBesideOtherEffect(b, a));
}

} // namespace

bool EditorLayout::shownTogether(const LayoutControl& a, const LayoutControl& b) {
    const auto pa = path(a.layer), pb = path(b.layer);
    for (const auto* p : {&pa, &pb})
        for (const LayoutLayer* l : *p)
            if (l->overlay) return false;
    size_t i = 0;
    while (i < pa.size() && i < pb.size() && pa[i] == pb[i])
        ++i;
    if (i == pa.size() || i == pb.size()) return true;
    return !exclusive(i ? pa[i - 1] : nullptr, pa[i], pb[i]);
}
