#include "tools/render-images/ArtFile.h"

#include "src/uiconfig/ImageTable.h"

#include <fstream>
#include <sstream>

namespace {

constexpr int kMaxSide = 4096;

struct Reader {
    const std::string& path;
    int line = 0;
    std::string* error;

    bool fail(const std::string& what) {
        *error = path + (line ? ":" + std::to_string(line) : "") + ": " + what;
        return false;
    }
};

bool ReadSize(const std::string& text, int* w, int* h) {
    char x = 0;
    std::istringstream in(text);
    std::string rest;
    return bool(in >> *w >> x >> *h) && x == 'x' && !(in >> rest);
}

// The words after the first n of a line, joined by single blanks.
std::string Rest(std::istringstream& in) {
    std::string word, text;
    while (in >> word)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

bool ReadItem(Reader& r, const std::string& kind, std::istringstream& in, ArtItem* item) {
    static const std::map<std::string, ArtItem::Kind> kKinds = {{"frame", ArtItem::kFrame},
                                                                {"area", ArtItem::kArea},
                                                                {"label", ArtItem::kLabel},
                                                                {"field", ArtItem::kField},
                                                                {"menu", ArtItem::kMenu}};
    const auto found = kKinds.find(kind);
    if (found == kKinds.end()) return r.fail("unknown line \"" + kind + "\"");
    item->kind = found->second;
    if (!(in >> item->x >> item->y >> item->w)) return r.fail("a " + kind + " needs X Y W");
    item->h = 12;
    if (item->kind != ArtItem::kLabel && !(in >> item->h))
        return r.fail("a " + kind + " needs X Y W H");
    if (item->w <= 0 || item->h <= 0) return r.fail("a " + kind + " needs a size above 0");
    if (item->kind == ArtItem::kFrame || item->kind == ArtItem::kArea) in >> item->group;
    item->text = Rest(in);
    if (item->kind == ArtItem::kLabel && item->text.empty()) return r.fail("a label needs a text");
    return true;
}

} // namespace

const std::map<std::string, ImageInfo>& ImageTableByName() {
    static const std::map<std::string, ImageInfo> table = [] {
        std::map<std::string, ImageInfo> t;
        for (const CommonImageRow& row : kCommonImages)
            t[row.name] = ImageInfo{0, row.frames, row.horizontal};
        for (const SchemeImageRow& row : kSchemeImages)
            t[row.name] = ImageInfo{0, row.frames, row.horizontal};
        return t;
    }();
    return table;
}

void ArtFile::imageSize(const std::string& name, int* w, int* h) const {
    const ArtImage& image = images.at(name);
    const bool sideBySide = ImageTableByName().at(name).horizontal;
    const auto radio = radios.find(name);
    const int buttons = radio == radios.end() ? 1 : int(radio->second.labels.size());
    *w = image.w * (sideBySide ? image.frames : buttons);
    *h = image.h * (sideBySide ? buttons : image.frames);
}

bool ReadArtFile(const std::string& path, ArtFile* art, std::string* error) {
    Reader r{path, 0, error};
    std::ifstream file(path);
    if (!file) return r.fail("cannot be read");
    const auto& table = ImageTableByName();
    *art = ArtFile();
    for (std::string text; std::getline(file, text);) {
        ++r.line;
        std::istringstream in(text);
        std::string kind;
        if (!(in >> kind) || kind[0] == '#') continue;
        std::string name;
        if (kind == "image" || kind == "radio" || kind == "background") {
            in >> name;
            if (!table.count(name)) return r.fail("unknown image \"" + name + "\"");
        }
        if (kind == "image") {
            ArtImage image;
            std::string size;
            if (!(in >> image.frames >> size) || !ReadSize(size, &image.w, &image.h))
                return r.fail("an image needs NAME FRAMES WIDTHxHEIGHT");
            if (image.frames != table.at(name).frames)
                return r.fail(name + " has " + std::to_string(table.at(name).frames) +
                              " frames in the image table");
            if (image.w <= 0 || image.h <= 0 || image.w > kMaxSide || image.h > kMaxSide)
                return r.fail(name + " is " + size + ": sides run from 1 to 4096 pixels");
            if (!art->images.emplace(name, image).second) return r.fail(name + " given twice");
        } else if (kind == "radio") {
            int buttons = 0;
            std::string labels, label;
            if (!(in >> buttons) || buttons < 1) return r.fail("a radio needs NAME BUTTONS");
            std::getline(in >> std::ws, labels);
            std::istringstream split(labels);
            ArtRadio radio;
            while (std::getline(split, label, '|'))
                radio.labels.push_back(label);
            if (int(radio.labels.size()) != buttons)
                return r.fail(name + " has " + std::to_string(buttons) + " buttons and " +
                              std::to_string(radio.labels.size()) + " labels");
            if (table.at(name).frames != 2) return r.fail(name + " is not a two-frame image");
            if (!art->radios.emplace(name, radio).second) return r.fail(name + " given twice");
        } else if (kind == "background") {
            ArtBackground background{name, 0, 0, {}};
            if (!(in >> background.x >> background.y)) return r.fail("a background needs NAME X Y");
            art->backgrounds.push_back(background);
        } else {
            ArtItem item;
            if (!ReadItem(r, kind, in, &item)) return false;
            if (art->backgrounds.empty()) return r.fail("a " + kind + " before any background");
            art->backgrounds.back().items.push_back(item);
        }
    }
    r.line = 0;
    for (const auto& [name, info] : table)
        if (!art->images.count(name)) return r.fail("no image line for " + name);
    for (const auto& [name, radio] : art->radios) {
        int w, h;
        art->imageSize(name, &w, &h);
        if (w > kMaxSide || h > kMaxSide) return r.fail(name + " grows over 4096 pixels");
    }
    return true;
}
