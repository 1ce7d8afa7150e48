#pragma once

#include "kit/effect/IGraphics.h"
#include "kit/effect/IPopupMenu.h"
#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_MemBitmap.h"

#include <cstring>
#include <deque>
#include <map>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// The editor's monospaced face in white at a size: what the text tests draw with.
inline IText MonospaceText(int size) {
    IText text;
    strcpy(text.mFont, "NK57 Monospace");
    text.mSize = size;
    text.mColor = COLOR_WHITE;
    return text;
}

// An editor surface without a window of its own: opening one records how the host asked for it.
// Its file panel answers with a path set by the test ("" cancels) and remembers its folder, as
// the real panel does; popup menus answer from the test's script of item-text paths, else with
// the item index set by the test (-1: nothing chosen), and are recorded as shown, submenus and
// checks included; text entries, URLs, fills, texts and screen copies are
// recorded, fills and texts drawn as well. Images are decoded from the bitmaps the test adds by
// id, and every decoding is counted.
class TestGraphics : public IGraphics {
public:
    struct ShownMenu {
        std::vector<std::string> texts;
        std::vector<int> flags;
        IRECT area;
        // One per item: the submenu as it was shown, empty for an item without one.
        std::vector<ShownMenu> submenus;

        // The tree as lines: "-" for a separator, " *" after a checked item, a submenu's
        // items after its item, indented by two blanks a level.
        std::vector<std::string> outline(const std::string& indent = "") const {
            std::vector<std::string> lines;
            for (size_t i = 0; i < texts.size(); ++i) {
                const bool separator = flags[i] & IPopupMenuItem::kSeparator;
                const bool checked = flags[i] & IPopupMenuItem::kChecked;
                lines.push_back(indent + (separator ? "-" : texts[i]) + (checked ? " *" : ""));
                for (const std::string& line : submenus[i].outline(indent + "  "))
                    lines.push_back(line);
            }
            return lines;
        }
    };
    struct TextEntry {
        IControl* control;
        IParam* param;
        IRECT area;
        std::string text;
    };
    struct Drawn {
        std::string what; // "fill" or the text drawn
        IRECT rect;
    };

    explicit TestGraphics(IEffectBase* plug, int w = 100, int h = 50) : IGraphics(plug, w, h, 0) {}

    // A w × h image under id, every pixel of it the given word; the test may change its pixels.
    RAST_IBitmap* AddImage(int id, int w, int h, uint32_t pixel) {
        auto bitmap = std::make_unique<RAST_MemBitmap>(w, h, 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                bitmap->getBits()[y * bitmap->getRowSpan() + x] = pixel;
        return (images[id] = std::move(bitmap)).get();
    }

    bool DrawScreen(IRECT* r) override {
        screens.push_back(*r);
        return true;
    }
    void ForceEndUserEdit() override {}
    int ShowMessageBox(const char*, const char*, int) override { return 0; }
    IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) override {
        menus.push_back(record(*menu, *area));
        if (!menuScript.empty()) {
            const std::vector<std::string> path = menuScript.front();
            menuScript.pop_front();
            return choose(menu, path);
        }
        if (menuChoice < 0) return nullptr;
        menu->SetChosenItemIdx(menuChoice);
        return menu;
    }
    void CreateTextEntry(IControl* control, IText*, IRECT* area, const char* str,
                         IParam* param) override {
        entries.push_back({control, param, *area, str});
    }
    void HostPath(KIT_String*) override {}
    void PluginPath(KIT_String*) override {}
    void DesktopPath(KIT_String*) override {}
    void PromptForFile(KIT_String* file, EFileAction action, KIT_String* dir,
                       char* extensions) override {
        lastAction = action;
        lastExtensions = extensions;
        lastDir = dir->Get();
        file->Set(answer.c_str());
        const size_t slash = answer.rfind('/');
        if (slash != std::string::npos) dir->Set(answer.substr(0, slash + 1).c_str());
    }
    bool PromptForColor(IColor*, char*) override { return false; }
    // Opens nothing: every URL fails.
    bool OpenURL(const char* url, const char*, const char*, const char*) override {
        urls.push_back(url);
        return false;
    }
    void* OpenWindow(void* parentView) override { return open('v', parentView); }
    void* OpenWindow(void* window, void*, short, short) override { return open('w', window); }
    void CloseWindow() override { ++closes; }
    void* GetWindow() override { return nullptr; }
    bool OSLoadFile(int, const char*, std::vector<char>& bytes) override {
        bytes.clear();
        return false;
    }
    // The size of an added image, without decoding it; other ids go through OSLoadBitmap,
    // which a test may give images of its own.
    bool OSBitmapSize(int id, const char* name, int* w, int* h) override {
        auto found = images.find(id);
        if (found == images.end()) return IGraphics::OSBitmapSize(id, name, w, h);
        *w = found->second->getWidth();
        *h = found->second->getHeight();
        return true;
    }
    RAST_IBitmap* OSLoadBitmap(int id, const char*) override {
        auto found = images.find(id);
        if (found == images.end()) return nullptr;
        ++decodings[id];
        auto* copy = new RAST_MemBitmap(0, 0, 4);
        RAST_Copy(copy, found->second.get());
        return copy;
    }

    bool FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend) override {
        drawn.push_back({"fill", *rect});
        return IGraphics::FillIRect(color, rect, blend);
    }
    bool DrawIText(IText* text, const char* str, IRECT* r, bool measure) override {
        if (!measure) drawn.push_back({str, *r});
        return IGraphics::DrawIText(text, str, r, measure);
    }

    std::string answer;
    EFileAction lastAction = kFileOpen;
    std::string lastExtensions, lastDir;
    int menuChoice = -1;
    // The answers to the next popups, one each: the texts of the items to follow from the
    // main menu into submenus down to the item chosen; an empty path dismisses the menu. A
    // text that names no item throws.
    std::deque<std::vector<std::string>> menuScript;
    std::vector<ShownMenu> menus;
    std::vector<TextEntry> entries;
    std::vector<Drawn> drawn;
    std::vector<IRECT> screens;
    std::vector<std::string> urls;
    std::map<int, std::unique_ptr<RAST_IBitmap>> images;
    std::map<int, int> decodings;
    bool refuseOpen = false;
    char openedAs = 0; // 'v' inside the host's view, 'w' attached to the host's window
    void* openedIn = nullptr;
    int closes = 0;

private:
    static ShownMenu record(const IPopupMenu& menu, IRECT area) {
        ShownMenu shown{{}, {}, area, {}};
        for (int i = 0; i < menu.GetNItems(); ++i) {
            const IPopupMenuItem* item = menu.GetItem(i);
            shown.texts.push_back(menu.GetItemText(i));
            shown.flags.push_back(item->GetFlags());
            shown.submenus.push_back(item->GetSubmenu() ? record(*item->GetSubmenu(), area)
                                                        : ShownMenu());
        }
        return shown;
    }
    // The menu in which the path's last item lies, with that item chosen; null for an empty path.
    static IPopupMenu* choose(IPopupMenu* menu, const std::vector<std::string>& path) {
        for (size_t level = 0; level < path.size(); ++level) {
            int index = 0;
            while (index < menu->GetNItems() && path[level] != menu->GetItemText(index))
                ++index;
            if (index == menu->GetNItems())
                throw std::invalid_argument("no menu item \"" + path[level] + "\"");
            if (level + 1 == path.size()) {
                menu->SetChosenItemIdx(index);
                return menu;
            }
            menu = menu->GetItem(index)->GetSubmenu();
            if (!menu) throw std::invalid_argument("no submenu under \"" + path[level] + "\"");
        }
        return nullptr;
    }

    void* open(char kind, void* parent) {
        if (refuseOpen) return nullptr;
        openedAs = kind;
        openedIn = parent;
        return this;
    }
};

} // namespace testsupport
