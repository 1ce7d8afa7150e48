#pragma once

#include "kit/effect/IBitmap.h"
#include "kit/effect/IEffectStructs.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ControlMapLevels.h"
#include "src/uiconfig/ImageInfo.h"
#include "src/uiconfig/NRPNControlContainer.h"
#include "src/uiconfig/SysExContainer.h"
#include "src/uiconfig/SysExControlContainer.h"

#include "src/uiconfig/ConfigReadAhead.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

class ControlLayer;
class IContactControl;
class IParam;
class IParamTexts;
class PatchLibrarian;
class UIConfigGraphics;
class UIConfigPlugin;
namespace tinyxml2 {
class XMLDocument;
class XMLElement;
class XMLNode;
} // namespace tinyxml2

// Builds the editor from the enciphered configuration: the SysEx templates, the images of
// the colour scheme, the parameter-name dictionary, the value lists and the layout.
// Everything is filled once, on the constructing thread, and only read afterwards; the
// control maps are then read without a lock from the MIDI input and host threads.
class UIConfigManager {
public:
    UIConfigManager() = default;
    // Takes back the ControlAction records it hung on the plug-in's parameters, which must
    // still exist.
    ~UIConfigManager();
    UIConfigManager(const UIConfigManager&) = delete;
    UIConfigManager& operator=(const UIConfigManager&) = delete;

    static constexpr int kUIConfigResourceId = 100;
    static constexpr int kSysExResourceId = 101;
    static constexpr const char* kUIConfigResource = "resources/uiconfig.tea";
    static constexpr const char* kSysExResource = "resources/sysex.tea";

    // The one entry of start-up: stores its arguments, then reads the SysEx resource,
    // preloads the images, fills the name dictionary, and reads the value lists and the
    // layout of the layout resource, in that order. A missing or broken resource leaves its
    // tables empty and is logged.
    void readUIConfig(UIConfigGraphics* graphics, UIConfigPlugin* plugin, PatchLibrarian* librarian,
                      int style, double scale);
    // The SysEx and layout resources read and parsed ahead, from now on, through load (which
    // must give what the graphics' LoadFile gives); readUIConfig takes them from ahead
    // (useReadAhead) instead of reading them itself.
    static std::unique_ptr<ConfigReadAhead> readAheadResources(ConfigLoader load);
    void useReadAhead(std::unique_ptr<ConfigReadAhead> ahead) { readAhead = std::move(ahead); }

    // Appends the plaintext of size bytes of a configuration resource to out.
    static void decrypt(const char* data, int size, std::string& out);

    // SysEx templates and value lists.
    void readSysexValues();
    void readReasources(tinyxml2::XMLDocument* document);
    // The ints of the first text of entry id; empty for an unknown entry or a missing text.
    std::vector<int> getSysExValueListByID(int id) const;
    const std::vector<SysExContainer>& getSysExContainers() const { return sysExContainers; }
    // The named value list; empty when there is none of that name.
    const std::vector<std::string>& getValueList(std::string_view name) const;

    // Parameter names.
    void initParams();
    void mapParamToString(const std::string& name, int id);
    // The first id of the named run, or -1 (logged) for a name the dictionary does not hold.
    int getParamByName(std::string_view name) const;

    // Images.
    void initImages(UIConfigGraphics* graphics);
    void preloadImage(UIConfigGraphics* graphics, int id, const char* name, const char* file,
                      int frames, bool horizontal);
    // Gives back the cache references this instance's preloads took; reads no file.
    void ClearImageCache();
    // The cached bitmap of an image name; the empty bitmap (logged) for an unknown name.
    IBitmap getImageByName(UIConfigGraphics* graphics, std::string_view name) const;

    // The layout walk: creates the layers and controls of node, its following siblings and
    // their subtrees, in document order, into layer (the editor's top level without one) for
    // the multilayer copy part (-1 outside the copies). An element it cannot build is logged
    // and skipped; the rest is read.
    void processXMLElement(tinyxml2::XMLNode* node, ControlLayer* layer, int part);
    // The layer the layout last named so, or null.
    ControlLayer* getLayer(const std::string& name) const;
    // The librarian's slot grids, made by the plug-in for the layout's "patchBrowser"; null
    // without one. Owned by the editor.
    IControl* getLibrarianView() const { return librarianView; }

    // Parameter records and links.
    // Reads the first count comma-separated decimal numbers of text into values; an entry
    // whose token is missing or not a number keeps the caller's value. Huge numbers are cut
    // to the int range.
    static void getCSValues(const char* text, int* values, int count);
    // The layout's "partner,switch[,extra]" link, the names moved to the copy's part (part
    // >= 0); fields of names the dictionary lacks, and a link of fewer than two names, are -1;
    // extra only with exactly three tokens.
    void getBiDirectLinkValues(const std::string& text, LinkInfo& link, int part) const;
    static void copyIntVector(const std::vector<int>& source, std::vector<int>& destination);
    // "Part <part + 1>:<group>" inside a part ("Part <part + 1>"
    // for an empty group), the group alone outside; valid until the next call.
    const std::string& getParamGroup(int part, std::string_view group);
    // Stores link in action and gives the partner's record (made when it has none) the back
    // link {paramId, switch, -1}. Nothing without a partner and a switch; one-way for a
    // partner outside the parameter list. part is the control's and adds nothing to the ids.
    void setControlLink(ControlAction* action, int paramId, LinkInfo link, int part);

    // One message per value from the hex template: count copies with the value byte
    // (changingByte, from 1) running from start, 7 bits wide, and position 4 set to part when
    // part >= 0. A start of -1 makes the template itself the first message and runs on from
    // its own value byte. Only out's messages change; bytes the template lacks are not written.
    static void calculateSysexWithChangingByte(const std::string& templ, int changingByte,
                                               int count, ControlActionSysExMessage* out, int start,
                                               int part);

    // ---- Controls whose parameter is sent as SysEx, CC or NRPN. Each initialises the
    // parameter (named "[part + 1] name" inside a part, grouped by getParamGroup), makes the
    // control with the layout's values times the UI scale, places it in layer (top level
    // without one), binds it to the parameter's record with the family's kind and registers
    // it in the family's map. An element a factory cannot build (unknown parameter, missing or
    // too short SysEx template, too many values) makes nothing and is logged. A menu whose
    // list neither has one text per entry nor a number range (first != second) gets its
    // parameter only. Values the layout gives but the factory does not use are not passed.

    // SysEx: one message per value from min (the fader from min + valueOffset), the first
    // text of SysEx entry sysexIndex as template, the value at changingByte.
    void createSysExKnobControl(const std::string& name, int paramId, int x, int y,
                                std::string_view image, double defaultValue, double min,
                                double max, int sysexIndex, int changingByte, int part,
                                LinkInfo link, ControlLayer* layer, std::string_view group);
    void createSysExSliderControl(const std::string& name, int paramId, int x, int y, int length,
                                  std::string_view image, double defaultValue, double min,
                                  double max, int valueOffset, int sysexIndex, int changingByte,
                                  int part, LinkInfo link, ControlLayer* layer,
                                  std::string_view group, EDirection direction);
    void createSysExBoolControl(const std::string& name, int paramId, int x, int y,
                                std::string_view image, double defaultValue, int sysexIndex,
                                int changingByte, int part, LinkInfo link, ControlLayer* layer,
                                std::string_view group);
    void createMultiSelectionSysExControl(const std::string& name, int paramId, int x, int y,
                                          int width, int height, int defaultValue, int min, int max,
                                          int firstDisplay, int secondDisplay,
                                          const std::vector<std::string>& values, int colourFlag,
                                          int sysexIndex, int changingByte, int part,
                                          ControlLayer* layer, std::string_view group,
                                          bool white);

    // CC: keyed by part + 1 inside a part, else by channel.
    void createCCKnobControl(int ccNumber, int channel, const std::string& name, int paramId, int x,
                             int y, std::string_view image, double defaultValue, double min,
                             double max, double step, LinkInfo link, int part, ControlLayer* layer,
                             std::string_view group);
    void createCCSliderControl(int ccNumber, int channel, const std::string& name, int paramId,
                               int x, int y, int length, std::string_view image,
                               double defaultValue, double min, double max, LinkInfo link, int part,
                               ControlLayer* layer, std::string_view group, EDirection direction);
    // Sends (int)min when off and (int)max when on; takes no link.
    void createCCBoolControl(int ccNumber, int channel, const std::string& name, int paramId, int x,
                             int y, std::string_view image, double defaultValue, double min,
                             double max, int part, ControlLayer* layer, std::string_view group);
    void createMultiSelectionCCControl(int ccNumber, int channel, const std::string& name,
                                       int paramId, int x, int y, int width, int height,
                                       int defaultValue, int min, int max, int firstDisplay,
                                       int secondDisplay, const std::vector<std::string>& values,
                                       int part, ControlLayer* layer, std::string_view group,
                                       bool white);

    // NRPN: keyed by channel on the mixer and settings pages (by layer name), else by
    // part + 1 (0 outside a part). No layout element makes these; nothing is sent for them.
    void createMsbLsbKnobControl(int ccNumber, int key1, int key2, int key3, int channel,
                                 const std::string& name, int paramId, int x, int y,
                                 std::string_view image, double defaultValue, double min,
                                 double max, LinkInfo link, int part, ControlLayer* layer,
                                 std::string_view group);
    void createMsbLsbBoolControl(int ccNumber, int key1, int key2, int key3, int channel,
                                 const std::string& name, int paramId, int x, int y,
                                 std::string_view image, double defaultValue, double min,
                                 double max, LinkInfo link, int part, ControlLayer* layer,
                                 std::string_view group);
    void createMsbLsbSelectionCCControl(int ccNumber, int key1, int key2, int key3, int channel,
                                        const std::string& name, int paramId, int x, int y,
                                        int width, int height, int defaultValue, int min, int max,
                                        int firstDisplay, int secondDisplay,
                                        const std::vector<std::string>& values, int part,
                                        ControlLayer* layer, std::string_view group);

    // ---- Controls that send no MIDI of their own: they initialise the parameter (named by
    // the element's name alone, grouped by getParamGroup), make the control with the layout's
    // values times the UI scale and place it in layer (top level without one). All but
    // createNoValDropDown and createNoValKnobControl bind the control to the parameter's record
    // as kActionNone, so a MIDI-bound factory run later for the parameter sets its kind
    // again. An unknown parameter makes nothing and is logged. Captions are "NK57 Monospace"
    // at the scaled height; bitmap controls take the image's size. Values the layout gives but
    // the factory does not use are not passed: the port menu's name, part, layer and group,
    // the display's part, group, size and white flag, the radio row's horizontal flag (the
    // image's frames decide) and the effect knob's fourth value.

    // A caption that shows "----" and offers nothing on a click.
    void createDropDownMenu(const std::string& name, int paramId, int x, int y, int width,
                            int height, int part, ControlLayer* layer, std::string_view group);
    // An enum of last - first entries from 0, with the items as texts; parameter only when the
    // items are not one per entry. A click offers the texts.
    void createDropDownMenu2(const std::string& name, int paramId, int x, int y, int width,
                             int height, int defaultValue, int first, int last,
                             const std::vector<std::string>& items, int part, ControlLayer* layer,
                             std::string_view group);
    // "Select MIDI Device" and the MIDI input ports (inputFlag 1) or output ports, as the
    // parameter "Device Selection" without label or group; always at top level. The ports are
    // read while the layout is: the parameter takes them when the layout is read to its end.
    void createMIDIDeviceSelectionControl(int paramId, int x, int y, int width, int height,
                                          int inputFlag);
    // As createDropDownMenu2, unbound; without one item per entry the texts are the numbers
    // from labelStart on (three digits at least for the parts' patch numbers), and nothing is
    // made when labelStart equals labelEnd. Unless visible is 1 the caption is fully
    // transparent, yet a click still offers the texts.
    void createNoValDropDown(const std::string& name, int paramId, int x, int y, int width,
                             int height, int defaultValue, int first, int last, int labelStart,
                             int labelEnd, int visible, const std::vector<std::string>& items,
                             int part, ControlLayer* layer, std::string_view group, bool white);
    // An empty text control for texts the plug-in writes; the parameter is left as it is.
    void createControlDisplay(const std::string& name, int paramId, int x, int y, int width,
                              int height, ControlLayer* layer);
    // A text parameter whose first text depends on the parameter ("INIT" for most); a click
    // opens a text entry of at most nameLength characters.
    void createNameDisplay(const std::string& name, int paramId, int x, int y, int width,
                           int height, int nameLength, int part, ControlLayer* layer,
                           std::string_view group);
    // buttonCount buttons from the image's two frames, in a row for stacked frames and in a
    // column for frames side by side; nothing for a count outside 1 to the control limit.
    void createRadioControl(const std::string& name, int paramId, int x, int y,
                            std::string_view image, int buttonCount, int part,
                            ControlLayer* layer, std::string_view group);
    // A switch stepping through the image's frames.
    void createBoolControl(const std::string& name, int paramId, int defaultValue, int x, int y,
                           std::string_view image, int part, ControlLayer* layer,
                           std::string_view group);
    // A button that springs back to 0 when released.
    void createSwitchControl(const std::string& name, int paramId, int defaultValue, int x, int y,
                             std::string_view image, int part, ControlLayer* layer,
                             std::string_view group);
    // createSwitchControl off by default, for the plug-in's own buttons; the new button, or
    // null when none was made.
    IContactControl* createAutoOffSwitchControl(const std::string& name, int paramId, int x, int y,
                                                std::string_view image, int part,
                                                ControlLayer* layer, std::string_view group);
    // A knob in steps of 1, unbound.
    void createNoValKnobControl(const std::string& name, int paramId, int x, int y,
                                std::string_view image, double defaultValue, double min,
                                double max, int part, ControlLayer* layer,
                                std::string_view group);

    // The control maps, for the incoming MIDI handling. Look-ups create nothing.
    IControl* getCCControls(int channelOrPart, int ccNumber, int mapVariant) const {
        return findControlIn(ccControlTable, channelOrPart, ccNumber, mapVariant);
    }
    const SysExControlContainer& getSysExControlMap() const { return sysExControlMap; }
    const NRPNControlContainer& getNRPNControlMap() const { return nrpnControlMap; }
    // Program values by part: an int under three keys, 0 for keys never set. Setting creates
    // the levels it needs; reading creates nothing.
    int getProgramValueByParts(int key1, int key2, int key3) const;
    void setProgramValueByParts(int key1, int key2, int key3, int value) {
        programValuesByParts[key1][key2][key3] = value;
    }

    // Appends every maximal run of characters that are not delimiters.
    static void Tokenize(const std::string& text, std::vector<std::string>& tokens,
                         const std::string& delimiters);
    // Blank-separated hexadecimal tokens as ints; a token that cannot be read gives 0.
    static std::vector<int> convertStringSysextoVector(const std::string& text);

private:
    friend class LayoutWalk;

    // A decimal number after optional white space, cut to the int range; false (value
    // untouched) when the text does not begin with one.
    static bool readInt(const char* text, int& value);
    bool debugLogOn() const;
    // Writes the parts as one debug-log line, composed only while the log is on.
    template <typename... Parts> void log(const Parts&... parts) const {
        if (debugLogOn()) writeLog((std::string() + ... + parts));
    }
    void writeLog(const std::string& text) const;
    // The parsed resource, read ahead or now; null, logged, when it is missing or broken.
    std::unique_ptr<tinyxml2::XMLDocument> loadDocument(int id, const char* name);

    // The parameter of id, or null (logged, naming the control) outside the list.
    IParam* paramFor(int paramId, const std::string& control) const;
    // The parameter's record; one with the defaults is made, owned and hung on it when it
    // has none.
    ControlAction* controlActionOf(IParam* param);
    // Binds control to the parameter's record with the factory's kind.
    ControlAction* bindControl(IParam* param, int actionType, IControl* control);

    // ---- Building blocks of the factories.
    // Most values (messages or menu entries) a control may have; the synthesizer's values
    // are 7 bits, and a layout asking for more would only fill memory.
    static constexpr int kMaxControlValues = 16384;
    // A layout coordinate or size in editor pixels, truncated alone and kept in a range
    // where sums of them stay ints.
    int scaled(int value) const;
    static std::string hostName(const std::string& name, int part);
    // The entry of a table by colour scheme; an unknown scheme takes scheme 0's.
    static IColor schemeColour(const IColor* table, int style);
    // A SysEx menu's text in the scheme; colour flag 1 asks for the highlight in scheme 0.
    IColor sysExMenuColour(int colourFlag) const;
    // Puts control into layer, or onto the editor at top level; false when it could not be
    // placed (it is then gone).
    bool place(IControl* control, ControlLayer* layer, const std::string& name);
    // Checks the parameter, initialises it, makes and places its control (make), binds the
    // control to its record with the kind and links it when link is given. Null when the
    // parameter is unknown or the control was not made; the bound control is the record's last.
    template <class Make>
    ControlAction* addControl(const std::string& name, int paramId, int actionType,
                              const LinkInfo* link, int part, Make&& make) {
        IParam* param = paramFor(paramId, name);
        IControl* control = param ? make(param) : nullptr;
        return control ? bindLinked(param, paramId, actionType, control, link, part) : nullptr;
    }
    // bindControl, then setControlLink when link is given.
    ControlAction* bindLinked(IParam* param, int paramId, int actionType, IControl* control,
                              const LinkInfo* link, int part);
    // Each initialises the parameter under paramName (MIDI-bound controls prefix their part:
    // hostName), makes its control and places it; null (nothing placed) when that is not
    // possible.
    IControl* makeKnob(IParam* param, int paramId, const std::string& paramName, int x, int y,
                       std::string_view image, double defaultValue, double min, double max,
                       double step, int part, ControlLayer* layer, std::string_view group);
    IControl* makeFader(IParam* param, int paramId, const std::string& paramName, int x, int y,
                        int length, std::string_view image, double defaultValue, double min,
                        double max, int part, ControlLayer* layer, std::string_view group,
                        EDirection direction);
    // A switch, or with springsBack a contact button.
    IControl* makeSwitch(IParam* param, int paramId, const std::string& paramName, int x, int y,
                         std::string_view image, double defaultValue, int part,
                         ControlLayer* layer, std::string_view group, bool springsBack = false);
    // An enum of max - min entries with display texts (the values, or numbers from
    // firstDisplay on, at least digits wide), shown by a caption of textSize in colour that
    // prompts with its texts. Null, the parameter initialised, when the texts fail.
    IControl* makeMenu(IParam* param, int paramId, const std::string& paramName, int x, int y,
                       int width, int height, int textSize, int defaultValue, int min, int max,
                       int firstDisplay, int secondDisplay, const std::vector<std::string>& values,
                       int part, ControlLayer* layer, std::string_view group, IColor colour,
                       int digits = 1);
    // The process's list of these texts; found at once for a list of the layout.
    std::shared_ptr<const IParamTexts> sharedTexts(const std::vector<std::string>& texts) const;
    // The texts first, first + 1, ... of count numbers, at least digits wide; one list per
    // kind for the whole layout.
    std::shared_ptr<const IParamTexts> numberTexts(int first, int count, int digits);
    // Binds a new switch (a contact button with springsBack) as kActionNone; null when none
    // was made.
    IControl* addSwitch(const std::string& name, int paramId, int defaultValue, int x, int y,
                        std::string_view image, int part, ControlLayer* layer,
                        std::string_view group, bool springsBack);
    // The scaled rectangle of a text control.
    IRECT scaledRect(int x, int y, int width, int height) const;
    // The caption style: "NK57 Monospace" of size in colour, the framework's other defaults.
    static IText captionText(int size, IColor colour);
    // captionText held once for every caption of that size and colour.
    std::shared_ptr<IText> captionStyle(int size, IColor colour);
    // Hands each device menu's parameter to the framework, which lists the ports in it.
    void fillDeviceMenus();
    // A caption of the parameter's display text and label over the scaled rectangle, cut to
    // fit it; a click prompts for the value only with prompt. Placed; null when it could not be.
    IControl* makeCaption(int paramId, const std::string& name, int x, int y, int width, int height,
                          int textSize, IColor colour, bool prompt, ControlLayer* layer);
    // The messages of a SysEx control and the map address of their first; false (logged)
    // when the template is missing or too short or count is outside 1 to the limit.
    bool buildSysExMessages(const std::string& name, int sysexIndex, int changingByte,
                            long long count, int start, int part, ControlActionSysExMessage& out,
                            unsigned char address[4]) const;
    // Each stores its family's keys in the record of a newly bound control and registers the
    // control under them in its map.
    void registerSysEx(ControlAction* action, ControlActionSysExMessage& messages,
                       const unsigned char* address, int fxVariant);
    void registerCC(ControlAction* action, int ccNumber, int channelOrPart, int mapVariant);
    void registerNRPN(ControlAction* action, int ccNumber, int key1, int key2, int key3,
                      int channelOrPart, int mapVariant);

    // The effect type of the effect whose own parameter paramId is, else 0: the variant
    // under which a SysEx knob registers.
    static int effectVariant(int paramId);

    struct OwnedAction {
        IParam* param;
        ControlAction action;
    };

    UIConfigGraphics* graphics = nullptr;
    UIConfigPlugin* plugin = nullptr;
    PatchLibrarian* librarian = nullptr;
    int style = 0;
    double scale = 1.0;
    IControl* librarianView = nullptr;

    // Declared in the reverse of their release: the control maps go first, the image
    // dictionary last. The layers, controls and parameters the entries point to are not owned.
    // In blocks that never move a record, fewer allocations than one a record.
    std::deque<OwnedAction> controlActions;
    std::unique_ptr<ConfigReadAhead> readAhead;
    std::map<std::string, ImageInfo, std::less<>> imageDictionary;
    // One id per preloaded row that holds a cache reference, for ClearImageCache.
    std::vector<int> preloadedImageIds;
    // Names by view, the views into paramNames, which never moves a name.
    std::unordered_map<std::string_view, int> paramDictionary;
    std::deque<std::string> paramNames;
    std::map<std::string, ControlLayer*> layerMap;
    std::map<std::string, std::vector<std::string>, std::less<>> valueLists;
    // The texts of each value list, by the list (which lives as long as the manager).
    std::map<const std::vector<std::string>*, std::shared_ptr<const IParamTexts>> valueListTexts;
    std::map<std::tuple<int, int, int>, std::shared_ptr<const IParamTexts>> numberLists;
    std::map<std::tuple<int, int, int, int, int>, std::shared_ptr<IText>> captionStyles;
    // The device menus' parameters and their directions (true: input), until the framework
    // takes them.
    std::vector<std::pair<int, bool>> deviceMenus;
    // What the first of the part copies being read found of each of their elements: its
    // attribute values, and the parameter its reference names before the part is added
    // (named stays -1 until a reference is found).
    struct CopiedElement {
        std::vector<const char*> attributes;
        int named = -1;
        int offset = 0;
    };
    std::unordered_map<const tinyxml2::XMLElement*, CopiedElement> copyAttributes;
    std::vector<SysExContainer> sysExContainers;
    std::vector<std::vector<unsigned char>> sysExTemplates; // the bytes of each entry's first text
    std::string paramGroup; // getParamGroup's result, for the part and group after it
    int paramGroupPart = -2;
    std::string paramGroupName;
    std::map<int, controlID3> ccControlTable; // channel or part, CC number, variant
    NRPNControlContainer nrpnControlMap;
    SysExControlContainer sysExControlMap;
    std::map<int, std::map<int, std::map<int, int>>> programValuesByParts;
};
