#include "src/uiconfig/UIConfigManager.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IBitmapControl.h"
#include "kit/effect/IEffectBase.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigGraphics.h"
#include "src/uiconfig/UIConfigPlugin.h"

#include <tinyxml2.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

using tinyxml2::XMLElement;

namespace {

// A multilayer copies its children once per part of the synthesizer.
constexpr int kPartCopies = 16;
// Menus of the control elements draw their text at this size, in editor pixels.
constexpr int kMenuTextSize = 13;

// The attributes the layout's elements may have. An element's attribute list is read once,
// into a slot per name, rather than searched once per name.
enum Attribute {
    kParamIdAttr, kImageIdAttr, kParamGroupAttr, kChannelAttr, kNameAttr, kTypeAttr,
    kBoundsAttr, kPositionAttr, kValueBoundsAttr, kButtonsAttr, kLengthAttr, kChangingByteAttr,
    kValueDisplayAttr, kValueListAttr, kCcNumberAttr, kSysexIndexAttr, kMsgZeroValAttr,
    kColorAttr, kWhiteAttr, kBiDirectLinkAttr, kInputDevAttr, kNameLenAttr, kVisibleAttr,
    kCreateAttr, kIdAttr, kOverlayAttr, kAttributeCount
};

const char* const kAttributeNames[kAttributeCount] = {
    "paramId", "imageId", "paramGroup", "channel", "name", "type", "bounds", "position",
    "valueBounds", "buttons", "length", "changingByte", "valueDisplay", "valueList", "ccNumber",
    "sysexIndex", "msgZeroVal", "color", "white", "biDirectLink", "inputDev", "nameLen",
    "visible", "create", "id", "overlay"};

// The slot of an attribute name, or -1: a table by length and first letter, made once, finds
// the few names to compare.
int attributeSlot(const char* name) {
    constexpr size_t kLongest = 16;
    static const auto byStart = [] {
        std::array<std::array<std::vector<int>, 128>, kLongest + 1> table;
        for (int a = 0; a < kAttributeCount; ++a)
            table[strlen(kAttributeNames[a])][size_t(kAttributeNames[a][0])].push_back(a);
        return table;
    }();
    const size_t length = strlen(name);
    const auto first = static_cast<unsigned char>(name[0]);
    if (length > kLongest || first >= 128) return -1;
    for (int a : byStart[length][first])
        if (memcmp(name, kAttributeNames[a], length) == 0) return a;
    return -1;
}

// The value of every known attribute of an element, null where it has none; a name given
// twice keeps its first value, as a search by name finds it.
struct Attributes {
    explicit Attributes(const XMLElement& xml) {
        for (const tinyxml2::XMLAttribute* a = xml.FirstAttribute(); a; a = a->Next()) {
            const int slot = attributeSlot(a->Name());
            if (slot >= 0 && !values[slot]) values[slot] = a->Value();
        }
    }
    // Those of an element inside part copies, read at its first copy: the copies walk the
    // same elements sixteen times.
    Attributes(const XMLElement& xml, std::vector<const char*>& kept) {
        if (kept.empty()) {
            const Attributes read(xml);
            kept.assign(read.values, read.values + kAttributeCount);
        }
        std::copy(kept.begin(), kept.end(), values);
    }
    const char* values[kAttributeCount] = {};
};

} // namespace

// The handlers of the layout's elements. Each reads one element with what the walk passes
// down; nothing is kept from one element to the next.
class LayoutWalk {
public:
    // An element with the attributes every element shares, read before the dispatch.
    struct Element {
        XMLElement& xml;
        const Attributes& attributes;
        ControlLayer* layer; // null at the editor's top level
        int part;            // the multilayer copy, -1 outside
        int paramId;         // -1: none, or one the plug-in does not have
        std::string_view imageId, group; // in the element's attributes
        int channel; // from 1, outside the copies

        // The attribute's value, null when the element has none.
        const char* value(Attribute a) const { return attributes.values[a]; }
        std::string text(Attribute a) const { return value(a) ? value(a) : ""; }
        std::string_view view(Attribute a) const { return value(a) ? value(a) : ""; }
        // The attribute as a decimal or "0x" number, as the parser reads one (its low 32
        // bits); 0 when it is missing or not a number.
        int integer(Attribute a) const {
            const char* text = value(a);
            int n = 0;
            if (!text) return n;
            const char* start = text + strspn(text, " \t\n\r\v\f");
            if (start[0] == '0' && (start[1] == 'x' || start[1] == 'X')) {
                tinyxml2::XMLUtil::ToInt(text, &n);
            } else {
                // The parser's scan, without its format interpreter.
                char* end = nullptr;
                const long long v = strtoll(text, &end, 10);
                if (end != text) n = int(v);
            }
            return n;
        }
        // The first N numbers of a comma list; 0 for those it lacks.
        template <size_t N> std::array<int, N> list(Attribute a) const {
            std::array<int, N> values{};
            UIConfigManager::getCSValues(value(a) ? value(a) : "", values.data(), int(N));
            return values;
        }
    };

    // The attributes of the four control elements, read whatever their type.
    struct Control {
        std::string name;
        std::array<int, 3> position; // x, y and a menu's width
        int length;
        std::array<int, 4> bounds; // default, minimum, maximum, fourth
        int changingByte;
        LinkInfo link;
        std::array<int, 2> display;
        const std::vector<std::string>& values;
        int ccNumber, sysexIndex, msgZeroVal, colour;
        bool white;
    };

    using Read = void (*)(UIConfigManager&, const Element&);
    struct Handler {
        const char* element;
        bool needsParameter; // skipped, logged, without a valid parameter
        Read read;
    };
    using Build = void (*)(UIConfigManager&, const Element&, const Control&);
    struct ControlType {
        const char* type;
        Build build;
    };

    static void readElement(UIConfigManager& m, XMLElement& xml, ControlLayer* layer, int part);
    // The parameter a reference names for the part, or -1 (logged); what copied holds, and is
    // given, spares the copies after the first the look-up.
    static int parameterOf(UIConfigManager& m, const char* reference, int part,
                           UIConfigManager::CopiedElement* copied);
    // named + part + offset, or -1 (logged) outside the parameter list.
    static int checkedId(UIConfigManager& m, const char* reference, int named, int part,
                         int offset);
    static bool placeLayer(UIConfigManager& m, ControlLayer* layer, ControlLayer* parent);
    // Two numbers separated by ":", or -1 and -1 unless there are exactly two pieces.
    static std::array<int, 2> valueDisplay(const char* text);

    static void librarianView(UIConfigManager& m, const Element& e);
    static void layer(UIConfigManager& m, const Element& e);
    static void copies(UIConfigManager& m, const Element& e);
    static void background(UIConfigManager& m, const Element& e);
    static void display(UIConfigManager& m, const Element& e);
    static void twoStateSwitch(UIConfigManager& m, const Element& e);
    static void momentaryButton(UIConfigManager& m, const Element& e);
    static void dropMenu(UIConfigManager& m, const Element& e);
    static void unboundControl(UIConfigManager& m, const Element& e);
    static void radio(UIConfigManager& m, const Element& e);
    static void boundControl(UIConfigManager& m, const Element& e);
};

namespace {

// Compared in this order, names exactly.
const LayoutWalk::Handler kHandlers[] = {
    {"patchBrowser", false, LayoutWalk::librarianView},
    {"layer", false, LayoutWalk::layer},
    {"fxlayer", false, LayoutWalk::layer},
    {"multifxlayer", false, LayoutWalk::layer},
    {"envelopelayer", false, LayoutWalk::layer},
    {"oscillator1layer", false, LayoutWalk::layer},
    {"oscillator2layer", false, LayoutWalk::layer},
    {"modlayer", false, LayoutWalk::layer},
    {"banklayer", false, LayoutWalk::layer},
    {"multilayer", false, LayoutWalk::copies},
    {"background", false, LayoutWalk::background},
    {"display", true, LayoutWalk::display},
    {"switch", true, LayoutWalk::twoStateSwitch},
    {"autooff", true, LayoutWalk::momentaryButton},
    {"dropMenu", true, LayoutWalk::dropMenu},
    {"multiFx", true, LayoutWalk::unboundControl},
    {"radio", true, LayoutWalk::radio},
    {"knobcontrol", true, LayoutWalk::boundControl},
    {"buttoncontrol", true, LayoutWalk::boundControl},
    {"menucontrol", true, LayoutWalk::boundControl},
    {"slidercontrol", true, LayoutWalk::boundControl},
};

using Element = LayoutWalk::Element;
using Control = LayoutWalk::Control;

// The types of the control elements with the factory and argument order of each.
// clang-format off
const LayoutWalk::ControlType kControlTypes[] = {
    {"seKnob", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createSysExKnobControl(c.name, e.paramId, c.position[0], c.position[1], e.imageId,
                                 c.bounds[0], c.bounds[1], c.bounds[2], c.sysexIndex,
                                 c.changingByte, e.part, c.link, e.layer, e.group);
    }},
    {"seSliderVer", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createSysExSliderControl(c.name, e.paramId, c.position[0], c.position[1], c.length,
                                   e.imageId, c.bounds[0], c.bounds[1], c.bounds[2],
                                   c.msgZeroVal, c.sysexIndex, c.changingByte, e.part, c.link,
                                   e.layer, e.group, kVertical);
    }},
    {"seSliderHor", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createSysExSliderControl(c.name, e.paramId, c.position[0], c.position[1], c.length,
                                   e.imageId, c.bounds[0], c.bounds[1], c.bounds[2],
                                   c.msgZeroVal, c.sysexIndex, c.changingByte, e.part, c.link,
                                   e.layer, e.group, kHorizontal);
    }},
    {"seButton", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createSysExBoolControl(c.name, e.paramId, c.position[0], c.position[1], e.imageId,
                                 c.bounds[0], c.sysexIndex, c.changingByte, e.part, c.link,
                                 e.layer, e.group);
    }},
    {"ccSliderVer", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createCCSliderControl(c.ccNumber, e.channel, c.name, e.paramId, c.position[0],
                                c.position[1], c.length, e.imageId, c.bounds[0], c.bounds[1],
                                c.bounds[2], c.link, e.part, e.layer, e.group, kVertical);
    }},
    {"ccSliderHor", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createCCSliderControl(c.ccNumber, e.channel, c.name, e.paramId, c.position[0],
                                c.position[1], c.length, e.imageId, c.bounds[0], c.bounds[1],
                                c.bounds[2], c.link, e.part, e.layer, e.group, kHorizontal);
    }},
    {"ccKnob", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createCCKnobControl(c.ccNumber, e.channel, c.name, e.paramId, c.position[0],
                              c.position[1], e.imageId, c.bounds[0], c.bounds[1], c.bounds[2],
                              c.bounds[3], c.link, e.part, e.layer, e.group);
    }},
    {"ccButton", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createCCBoolControl(c.ccNumber, e.channel, c.name, e.paramId, c.position[0],
                              c.position[1], e.imageId, c.bounds[0], c.bounds[1], c.bounds[2],
                              e.part, e.layer, e.group);
    }},
    {"seMenu", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createMultiSelectionSysExControl(c.name, e.paramId, c.position[0], c.position[1],
                                           c.position[2], kMenuTextSize, c.bounds[0],
                                           c.bounds[1], c.bounds[2], c.display[0], c.display[1],
                                           c.values, c.colour, c.sysexIndex, c.changingByte,
                                           e.part, e.layer, e.group, c.white);
    }},
    {"ccMenu", [](UIConfigManager& m, const Element& e, const Control& c) {
        m.createMultiSelectionCCControl(c.ccNumber, e.channel, c.name, e.paramId, c.position[0],
                                        c.position[1], c.position[2], kMenuTextSize, c.bounds[0],
                                        c.bounds[1], c.bounds[2], c.display[0], c.display[1],
                                        c.values, e.part, e.layer, e.group, c.white);
    }},
};
// clang-format on

} // namespace

void UIConfigManager::processXMLElement(tinyxml2::XMLNode* node, ControlLayer* layer, int part) {
    if (!node || !plugin || !plugin->effect()) return;
    // Siblings in a loop: only a layer's subtree takes a level of the stack, and the parser
    // bounds the nesting.
    for (XMLElement* e = node->ToElement() ? node->ToElement() : node->NextSiblingElement(); e;
         e = e->NextSiblingElement())
        LayoutWalk::readElement(*this, *e, layer, part);
}

ControlLayer* UIConfigManager::getLayer(const std::string& name) const {
    const auto it = layerMap.find(name);
    return it == layerMap.end() ? nullptr : it->second;
}

void LayoutWalk::readElement(UIConfigManager& m, XMLElement& xml, ControlLayer* layer, int part) {
    UIConfigManager::CopiedElement* copied = part >= 0 ? &m.copyAttributes[&xml] : nullptr;
    const Attributes attributes = copied ? Attributes(xml, copied->attributes) : Attributes(xml);
    const char* reference = attributes.values[kParamIdAttr];
    const int paramId = parameterOf(m, reference ? reference : "", part, copied);
    Element e{xml, attributes, layer, part, paramId, "", "", 0};
    e.imageId = e.view(kImageIdAttr);
    e.group = e.view(kParamGroupAttr);
    e.channel = e.integer(kChannelAttr);
    const char* name = xml.Name();
    for (const Handler& handler : kHandlers) {
        if (strcmp(name, handler.element) != 0) continue;
        if (handler.needsParameter && e.paramId < 0) {
            // A reference the walk could not resolve has been logged already.
            if (!reference)
                m.log("CONFIG READER: ", name, " ", e.text(kNameAttr), " has no parameter!");
        } else {
            handler.read(m, e);
        }
        break;
    }
    if (e.paramId < 0) return;
    // The part whose MIDI channel the record's CC messages use.
    if (ControlAction* action = m.plugin->effect()->GetParam(e.paramId)->GetControlAction())
        action->partIndex = part >= 0 ? part : (e.channel == INT_MIN ? INT_MIN : e.channel - 1);
}

int LayoutWalk::parameterOf(UIConfigManager& m, const char* reference, int part,
                            UIConfigManager::CopiedElement* copied) {
    if (!*reference) return -1;
    if (!copied || copied->named < 0) {
        // "name" or "name+offset"; a run of "+" separates as one.
        const char* name = reference + strspn(reference, "+");
        const size_t nameLength = strcspn(name, "+");
        if (nameLength == 0) {
            m.log("CONFIG READER: parameter ", reference, " NOT FOUND!");
            return -1;
        }
        const int named = m.getParamByName(std::string_view(name, nameLength));
        if (named < 0) return -1;
        const char* offsetText = name + nameLength + strspn(name + nameLength, "+");
        int offset = 0;
        if (*offsetText) UIConfigManager::readInt(offsetText, offset);
        if (!copied) return checkedId(m, reference, named, part, offset);
        copied->named = named;
        copied->offset = offset;
    }
    return checkedId(m, reference, copied->named, part, copied->offset);
}

int LayoutWalk::checkedId(UIConfigManager& m, const char* reference, int named, int part,
                          int offset) {
    const long long id = (long long)named + std::max(part, 0) + offset;
    if (id >= m.plugin->effect()->NParams() || id < 0) {
        m.log("CONFIG READER: parameter ", reference, " NOT FOUND!");
        return -1;
    }
    return int(id);
}

bool LayoutWalk::placeLayer(UIConfigManager& m, ControlLayer* layer, ControlLayer* parent) {
    const bool placed =
        parent ? parent->addChild(layer) : m.graphics && m.graphics->AttachLayer(layer) >= 0;
    if (!parent && !m.graphics) delete layer;
    return placed;
}

std::array<int, 2> LayoutWalk::valueDisplay(const char* text) {
    std::array<int, 2> values{-1, -1};
    if (!text) return values;
    const char* first = text + strspn(text, ":");
    const char* second = first + strcspn(first, ":");
    second += strspn(second, ":");
    const char* third = second + strcspn(second, ":");
    if (*first && *second && !*(third + strspn(third, ":"))) {
        UIConfigManager::readInt(first, values[0]);
        UIConfigManager::readInt(second, values[1]);
    }
    return values;
}

void LayoutWalk::librarianView(UIConfigManager& m, const Element& e) {
    const std::array<int, 4> bounds = e.list<4>(kBoundsAttr);
    const IBitmap image = m.getImageByName(m.graphics, e.imageId);
    const IRECT rect = m.scaledRect(bounds[0], bounds[1], bounds[2], bounds[3]);
    IControl* view = m.plugin->createLibrarianView(rect.L, rect.T, kLibrarianArea, image, rect,
                                                   m.librarian, m.scale);
    if (!view) {
        m.log("CONFIG READER: patchBrowser: the plug-in has no librarian view!");
        return;
    }
    if (m.place(view, e.layer, "patchBrowser")) m.librarianView = view;
}

void LayoutWalk::layer(UIConfigManager& m, const Element& e) {
    const char* name = e.value(kNameAttr);
    if (!name) {
        m.log("CONFIG READER: ", e.xml.Name(), " without a name skipped with its contents!");
        return;
    }
    auto* layer = new ControlLayer(e.integer(kIdAttr), name);
    if (!placeLayer(m, layer, e.layer)) {
        m.log("CONFIG READER: layer ", name, " could not be placed!");
        return;
    }
    m.layerMap[name] = layer;
    m.processXMLElement(e.xml.FirstChild(), layer, e.part);
    // After the subtree, so that every layer and first control below gets the flag too.
    const char* overlay = e.value(kOverlayAttr);
    layer->setIgnoreHiddenWhenUpdatingScreen(overlay && strcmp(overlay, "true") == 0);
}

void LayoutWalk::copies(UIConfigManager& m, const Element& e) {
    const std::string name = e.text(kNameAttr);
    // A copy inside a copy would give its controls two parts.
    if (e.part >= 0) {
        m.log("CONFIG READER: multilayer ", name, " inside part copy ", std::to_string(e.part),
              " skipped!");
        return;
    }
    const int requested = e.integer(kCreateAttr);
    if (requested > kPartCopies)
        m.log("CONFIG READER: multilayer ", name, " asks for ", std::to_string(requested),
              " copies; made ", std::to_string(kPartCopies), "!");
    for (int i = 0; i < std::min(requested, kPartCopies); ++i) {
        auto* copy = new ControlLayer(i, name + std::to_string(i));
        m.processXMLElement(e.xml.FirstChild(), copy, i);
        if (placeLayer(m, copy, e.layer))
            m.layerMap[copy->getName()] = copy;
        else
            m.log("CONFIG READER: layer ", copy->getName(), " could not be placed!");
    }
    m.copyAttributes.clear();
}

void LayoutWalk::background(UIConfigManager& m, const Element& e) {
    const std::array<int, 2> position = e.list<2>(kPositionAttr);
    // The image is at the UI scale already; only its place is scaled.
    const IBitmap image = m.getImageByName(m.graphics, e.imageId);
    m.place(new IBitmapControl(m.plugin->effect(), m.scaled(position[0]), m.scaled(position[1]), -1,
                               &image),
            e.layer, "background " + std::string(e.imageId));
}

void LayoutWalk::display(UIConfigManager& m, const Element& e) {
    const std::array<int, 4> bounds = e.list<4>(kBoundsAttr);
    m.createControlDisplay("Display", e.paramId, bounds[0], bounds[1], bounds[2], bounds[3],
                           e.layer);
}

void LayoutWalk::twoStateSwitch(UIConfigManager& m, const Element& e) {
    const std::array<int, 2> position = e.list<2>(kPositionAttr);
    m.createBoolControl(e.text(kNameAttr), e.paramId, e.list<1>(kValueBoundsAttr)[0], position[0],
                        position[1], e.imageId, e.part, e.layer, e.group);
}

void LayoutWalk::momentaryButton(UIConfigManager& m, const Element& e) {
    const std::array<int, 2> position = e.list<2>(kPositionAttr);
    m.createSwitchControl(e.text(kNameAttr), e.paramId, 0, position[0], position[1], e.imageId, e.part,
                          e.layer, e.group);
}

void LayoutWalk::radio(UIConfigManager& m, const Element& e) {
    const std::array<int, 2> position = e.list<2>(kPositionAttr);
    m.createRadioControl(e.text(kNameAttr), e.paramId, position[0], position[1], e.imageId,
                         e.integer(kButtonsAttr), e.part, e.layer, e.group);
}

void LayoutWalk::dropMenu(UIConfigManager& m, const Element& e) {
    const std::string name = e.text(kNameAttr), type = e.text(kTypeAttr);
    const std::array<int, 4> b = e.list<4>(kBoundsAttr);
    if (type == "textSelection") {
        m.createDropDownMenu(name, e.paramId, b[0], b[1], b[2], b[3], e.part, e.layer, e.group);
    } else if (type == "deviceSelection") {
        m.createMIDIDeviceSelectionControl(e.paramId, b[0], b[1], b[2], b[3],
                                           e.list<1>(kInputDevAttr)[0]);
    } else if (type == "nameSelection") {
        m.createNameDisplay(name, e.paramId, b[0], b[1], b[2], b[3], e.integer(kNameLenAttr), e.part,
                            e.layer, e.group);
    } else if (type == "dropSelection") {
        const std::array<int, 3> v = e.list<3>(kValueBoundsAttr);
        m.createDropDownMenu2(name, e.paramId, b[0], b[1], b[2], b[3], v[0], v[1], v[2],
                              m.getValueList(e.view(kValueListAttr)), e.part, e.layer, e.group);
    }
}

void LayoutWalk::unboundControl(UIConfigManager& m, const Element& e) {
    const std::string name = e.text(kNameAttr), type = e.text(kTypeAttr);
    const std::vector<std::string>& values = m.getValueList(e.view(kValueListAttr));
    if (type == "Knob") {
        const std::array<int, 2> p = e.list<2>(kPositionAttr);
        const std::array<int, 3> v = e.list<3>(kValueBoundsAttr);
        m.createNoValKnobControl(name, e.paramId, p[0], p[1], e.imageId, v[0], v[1], v[2], e.part,
                                 e.layer, e.group);
    } else if (type == "Menu") {
        const std::array<int, 4> p = e.list<4>(kPositionAttr);
        const std::array<int, 3> v = e.list<3>(kValueBoundsAttr);
        const std::array<int, 2> shown = valueDisplay(e.value(kValueDisplayAttr));
        m.createNoValDropDown(name, e.paramId, p[0], p[1], p[2], p[3], v[0], v[1], v[2], shown[0],
                              shown[1], e.list<1>(kVisibleAttr)[0], values, e.part, e.layer, e.group,
                              e.integer(kWhiteAttr) != 0);
    }
}

void LayoutWalk::boundControl(UIConfigManager& m, const Element& e) {
    Control c{e.text(kNameAttr),
              e.list<3>(kPositionAttr),
              e.integer(kLengthAttr),
              e.list<4>(kValueBoundsAttr),
              e.integer(kChangingByteAttr) & 0xFF,
              LinkInfo(),
              valueDisplay(e.value(kValueDisplayAttr)),
              m.getValueList(e.view(kValueListAttr)),
              e.integer(kCcNumberAttr),
              e.integer(kSysexIndexAttr),
              e.integer(kMsgZeroValAttr),
              e.integer(kColorAttr),
              e.integer(kWhiteAttr) != 0};
    m.getBiDirectLinkValues(e.text(kBiDirectLinkAttr), c.link, e.part);
    const std::string type = e.text(kTypeAttr);
    for (const ControlType& t : kControlTypes)
        if (type == t.type) return t.build(m, e, c);
}
