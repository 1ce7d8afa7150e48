#pragma once

#include "kit/effect/IBitmap.h"
#include "src/uiconfig/ImageInfo.h"
#include "src/uiconfig/SysExContainer.h"

#include <map>
#include <string>
#include <vector>

class ControlLayer;
class PatchLibrarian;
class UIConfigGraphics;
class UIConfigPlugin;
namespace tinyxml2 {
class XMLDocument;
class XMLNode;
} // namespace tinyxml2

// Builds the editor from the enciphered configuration: the SysEx templates, the images of
// the colour scheme, the parameter-name dictionary, the value lists and the layout.
// Everything is filled once, on the constructing thread, and only read afterwards.
class UIConfigManager {
public:
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

    // Appends the plaintext of size bytes of a configuration resource to out.
    static void decrypt(const char* data, int size, std::string& out);

    // SysEx templates and value lists.
    void readSysexValues();
    void readReasources(tinyxml2::XMLDocument* document);
    // The ints of the first text of entry id; empty for an unknown entry or a missing text.
    std::vector<int> getSysExValueListByID(int id) const;
    const std::vector<SysExContainer>& getSysExContainers() const { return sysExContainers; }
    // The named value list; empty when there is none of that name.
    const std::vector<std::string>& getValueList(const std::string& name) const;

    // Parameter names.
    void initParams();
    void mapParamToString(const std::string& name, int id);
    // The first id of the named run, or -1 (logged) for a name the dictionary does not hold.
    int getParamByName(const std::string& name) const;

    // Images.
    void initImages(UIConfigGraphics* graphics);
    void preloadImage(UIConfigGraphics* graphics, int id, const char* name, const char* file,
                      int frames, bool horizontal);
    // Gives back the cache references this instance's preloads took; reads no file.
    void ClearImageCache();
    // The cached bitmap of an image name; the empty bitmap (logged) for an unknown name.
    IBitmap getImageByName(UIConfigGraphics* graphics, const std::string& name) const;

    // The layout walk, which creates the layers and controls of node and its following
    // siblings. It comes with the control factories; until then it creates nothing.
    void processXMLElement(tinyxml2::XMLNode* node, ControlLayer* layer, int part);

    // Appends every maximal run of characters that are not delimiters.
    static void Tokenize(const std::string& text, std::vector<std::string>& tokens,
                         const std::string& delimiters);
    // Blank-separated hexadecimal tokens as ints; a token that cannot be read gives 0.
    static std::vector<int> convertStringSysextoVector(const std::string& text);

private:
    bool debugLogOn() const;
    // Writes the parts as one debug-log line, composed only while the log is on.
    template <typename... Parts> void log(const Parts&... parts) const {
        if (debugLogOn()) writeLog((std::string() + ... + parts));
    }
    void writeLog(const std::string& text) const;
    // Loads, deciphers and parses one resource; false (logged) when it is missing or does
    // not parse.
    bool loadDocument(int id, const char* name, tinyxml2::XMLDocument& document);

    UIConfigGraphics* graphics = nullptr;
    UIConfigPlugin* plugin = nullptr;
    PatchLibrarian* librarian = nullptr;
    int style = 0;
    double scale = 1.0;

    std::vector<SysExContainer> sysExContainers;
    std::map<std::string, std::vector<std::string>> valueLists;
    std::map<std::string, int> paramDictionary;
    std::map<std::string, ImageInfo> imageDictionary;
    // One id per preloaded row that holds a cache reference, for ClearImageCache.
    std::vector<int> preloadedImageIds;
};
