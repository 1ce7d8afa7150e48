#include "src/uiconfig/UIConfigManager.h"

#include "fileencrypt/ConfigCipher.h"
#include "kit/effect/IParamTexts.h"
#include "src/debugger/DebuggerOutput.h"
#include "src/uiconfig/ImageTable.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/ParameterNames.h"
#include "src/uiconfig/UIConfigGraphics.h"
#include "src/uiconfig/UIConfigPlugin.h"

#include <tinyxml2.h>

#include <cstdlib>

using tinyxml2::XMLElement;
using tinyxml2::XMLNode;

namespace {

// Older builds cut resources at this size; one that reaches it is worth a look.
constexpr size_t kResourceSizeWarning = 4096000;

const char* const kImageFolder = "resources/img/";

// Texts of the elements of one level: the first one named first, then every following
// sibling element whatever its name. A missing text gives missingText; an empty text is
// kept only with keepEmpty.
Values collectTexts(const XMLElement& parent, const char* first, const char* missingText,
                    bool keepEmpty) {
    Values values;
    for (const XMLElement* e = parent.FirstChildElement(first); e; e = e->NextSiblingElement()) {
        const char* text = e->GetText();
        if (!text) text = missingText;
        if (*text || keepEmpty) values.items.push_back(text);
    }
    return values;
}

SysExContainer readSysExEntry(const XMLElement& entry) {
    SysExContainer container;
    for (const XMLElement* section = entry.FirstChildElement("values"); section;
         section = section->NextSiblingElement()) {
        if (section->FirstChildElement("value")) {
            container.values.push_back(collectTexts(*section, "value", " ", false));
            continue;
        }
        std::vector<Values> items;
        for (const XMLElement* item = section->FirstChildElement("multivalue"); item;
             item = item->NextSiblingElement())
            items.push_back(collectTexts(*item, "value", "", true));
        container.multiValues.push_back(std::move(items));
        container.hasMultiValues = true;
    }
    return container;
}

} // namespace

void UIConfigManager::readUIConfig(UIConfigGraphics* graphics_, UIConfigPlugin* plugin_,
                                   PatchLibrarian* librarian_, int style_, double scale_) {
    graphics = graphics_;
    plugin = plugin_;
    librarian = librarian_;
    style = style_;
    scale = scale_;

    readSysexValues();
    initImages(graphics);
    initParams();

    const std::unique_ptr<tinyxml2::XMLDocument> document =
        loadDocument(kUIConfigResourceId, kUIConfigResource);
    readAhead.reset(); // everything it read has been taken
    if (!document) return;
    readReasources(document.get());
    XMLElement* root = document->FirstChildElement("uiconfig");
    if (!root) {
        log("CONFIG READER: ", kUIConfigResource, " has no uiconfig element!");
        return;
    }
    processXMLElement(root->FirstChild(), nullptr, -1);
    fillDeviceMenus();
}

void UIConfigManager::decrypt(const char* data, int size, std::string& out) {
    ConfigCipher::decipher(reinterpret_cast<const unsigned char*>(data), size, out);
}

std::unique_ptr<tinyxml2::XMLDocument> UIConfigManager::loadDocument(int id, const char* name) {
    ConfigResource resource;
    if (!readAhead || !readAhead->Take(name, resource)) {
        resource = ReadConfigResource(
            [this](int at, const char* called, std::vector<char>& bytes) {
                return graphics && graphics->LoadFile(at, called, bytes);
            },
            id, name);
    }
    if (!resource.found) {
        log("CONFIG READER: ", name, " NOT FOUND!");
        return nullptr;
    }
    if (resource.size >= kResourceSizeWarning)
        log("CONFIG READER: ", name, " holds ", std::to_string(resource.size),
            " bytes, at or over the 4096000-byte limit!");
    if (!resource.parsed) {
        log("CONFIG READER: ", name, " does not parse: ", resource.document->ErrorStr());
        return nullptr;
    }
    return std::move(resource.document);
}

std::unique_ptr<ConfigReadAhead> UIConfigManager::readAheadResources(ConfigLoader load) {
    return std::make_unique<ConfigReadAhead>(
        std::move(load), std::vector<std::pair<int, const char*>>{
                             {kSysExResourceId, kSysExResource},
                             {kUIConfigResourceId, kUIConfigResource}});
}

void UIConfigManager::readSysexValues() {
    log("CONFIG READER: Started to read SysEx Data...");
    if (const std::unique_ptr<tinyxml2::XMLDocument> document =
            loadDocument(kSysExResourceId, kSysExResource)) {
        const XMLElement* root = document->FirstChildElement("sysexlist");
        if (!root) log("CONFIG READER: ", kSysExResource, " has no sysexlist element!");
        for (const XMLElement* entry = root ? root->FirstChildElement("sysex") : nullptr; entry;
             entry = entry->NextSiblingElement())
            sysExContainers.push_back(readSysExEntry(*entry));
    }
    // Each control's messages come from its entry's template, read once here.
    for (size_t id = 0; id < sysExContainers.size(); ++id) {
        const std::vector<int> ints = getSysExValueListByID(int(id));
        sysExTemplates.emplace_back(ints.begin(), ints.end());
    }
    log("CONFIG READER: Completed reading SysEx data!");
}

void UIConfigManager::readReasources(tinyxml2::XMLDocument* document) {
    const XMLElement* root = document ? document->FirstChildElement("uiconfig") : nullptr;
    const XMLElement* lists = root ? root->FirstChildElement("valueLists") : nullptr;
    if (!lists) return;
    for (const XMLElement* list = lists->FirstChildElement("list"); list;
         list = list->NextSiblingElement("list")) {
        const char* name = list->Attribute("name");
        if (!name) {
            log("CONFIG READER: value list without a name skipped!");
            continue;
        }
        std::vector<std::string> items;
        for (const XMLElement* v = list->FirstChildElement("value"); v;
             v = v->NextSiblingElement("value"))
            items.push_back(v->GetText() ? v->GetText() : "");
        valueLists[name] = std::move(items);
    }
    for (const auto& [name, items] : valueLists)
        valueListTexts[&items] = IParamTexts::Shared(items);
}

std::shared_ptr<const IParamTexts>
UIConfigManager::sharedTexts(const std::vector<std::string>& texts) const {
    const auto it = valueListTexts.find(&texts);
    return it != valueListTexts.end() ? it->second : IParamTexts::Shared(texts);
}

std::vector<int> UIConfigManager::getSysExValueListByID(int id) const {
    if (id < 0 || size_t(id) >= sysExContainers.size()) return {};
    const std::vector<Values>& values = sysExContainers[size_t(id)].values;
    if (values.empty() || values[0].items.empty()) return {};
    return convertStringSysextoVector(values[0].items[0]);
}

const std::vector<std::string>& UIConfigManager::getValueList(std::string_view name) const {
    static const std::vector<std::string> kNone;
    const auto it = valueLists.find(name);
    return it == valueLists.end() ? kNone : it->second;
}

int UIConfigManager::getProgramValueByParts(int key1, int key2, int key3) const {
    const auto level1 = programValuesByParts.find(key1);
    if (level1 == programValuesByParts.end()) return 0;
    const auto level2 = level1->second.find(key2);
    if (level2 == level1->second.end()) return 0;
    const auto value = level2->second.find(key3);
    return value == level2->second.end() ? 0 : value->second;
}

void UIConfigManager::initParams() {
    log("CONFIG READER: Started to initialize parameters...");
    for (int i = 0; i < kParameterNameRunCount; ++i)
        mapParamToString(kParameterNameRuns[i].name, kParameterNameRuns[i].firstId);
    mapParamToString("kNumAutomatedParams", kNumAutomatedParams);
    mapParamToString("kNumNonAutomatedParams", kNumNonAutomatedParams);
    log("CONFIG READER: Completed!");
}

void UIConfigManager::mapParamToString(const std::string& name, int id) {
    if (paramDictionary.count(name)) {
        log("CONFIG READER: parameter ", name, " ALREADY EXISTS!");
        return;
    }
    paramDictionary.emplace(paramNames.emplace_back(name), id);
}

int UIConfigManager::getParamByName(std::string_view name) const {
    const auto it = paramDictionary.find(name);
    if (it != paramDictionary.end()) return it->second;
    log("CONFIG READER: parameter ", std::string(name), " NOT FOUND!");
    return -1;
}

void UIConfigManager::initImages(UIConfigGraphics* graphics_) {
    log("CONFIG READER: Started to read image resources...");
    for (const CommonImageRow& row : kCommonImages)
        preloadImage(graphics_, row.id, row.name, (kImageFolder + std::string(row.file)).c_str(),
                     row.frames, row.horizontal);
    // Unsigned, so that a negative scheme loads no scheme rows either.
    if (unsigned(style) < unsigned(kColourSchemeCount)) {
        for (const SchemeImageRow& row : kSchemeImages)
            preloadImage(graphics_, row.ids[style], row.name,
                         (kImageFolder + schemeImageFile(row, style)).c_str(), row.frames,
                         row.horizontal);
    }
    log("CONFIG READER: Completed!");
}

void UIConfigManager::preloadImage(UIConfigGraphics* graphics_, int id, const char* name,
                                   const char* file, int frames, bool horizontal) {
    if (graphics_ && graphics_->LoadIBitmap(id, file, scale, frames, horizontal).mData)
        preloadedImageIds.push_back(id);
    else
        log("CONFIG READER: Image ", name, " MISSING!");
    imageDictionary[name] = ImageInfo{id, frames, horizontal};
}

void UIConfigManager::ClearImageCache() {
    if (graphics)
        for (int id : preloadedImageIds)
            graphics->ReleaseBitmapById(id);
    preloadedImageIds.clear();
}

IBitmap UIConfigManager::getImageByName(UIConfigGraphics* graphics_,
                                        std::string_view name) const {
    const auto it = imageDictionary.find(name);
    if (it == imageDictionary.end()) {
        log("CONFIG READER: Image ", std::string(name), " MISSING!");
        return IBitmap();
    }
    if (!graphics_) return IBitmap();
    return graphics_->getImageById(it->second.id, it->second.frames, it->second.horizontal);
}

void UIConfigManager::Tokenize(const std::string& text, std::vector<std::string>& tokens,
                               const std::string& delimiters) {
    size_t start = text.find_first_not_of(delimiters);
    while (start != std::string::npos) {
        const size_t end = text.find_first_of(delimiters, start);
        tokens.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(delimiters, end);
    }
}

std::vector<int> UIConfigManager::convertStringSysextoVector(const std::string& text) {
    std::vector<std::string> tokens;
    Tokenize(text, tokens, " ");
    std::vector<int> values;
    values.reserve(tokens.size());
    for (const std::string& token : tokens)
        values.push_back(int(unsigned(strtoul(token.c_str(), nullptr, 16))));
    return values;
}

bool UIConfigManager::debugLogOn() const {
    return plugin && plugin->isDebugLogOn();
}

void UIConfigManager::writeLog(const std::string& text) const {
    DebuggerOutput::printDebugInfo(plugin->debugLogPath(), text);
}
