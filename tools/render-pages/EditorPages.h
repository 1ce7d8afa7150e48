#pragma once

#include "src/uiconfig/UserInterfaceLook.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct ArtBackground;
struct ArtFile;
class IControl;
struct IRECT;
class Zoz;
namespace platform {
class HeadlessView;
}

// One picture of the editor: 32-bit pixels whose bytes are, in memory order, an unused byte,
// red, green and blue, row after row.
struct EditorFrame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

// A new plug-in instance with its editor open and no display, as a host without one shows it:
// its own data folder (settings file: the colour scheme and the size, no MIDI ports) and the
// resources of a build. Pages are reached the way a person reaches them, by a click on the tab.
class EditorPages {
public:
    static constexpr int kTabs = 7;
    static const char* const kTabNames[kTabs];
    // The least share of its frame that controls and captions cover on every page (the global
    // settings, menus that show their values, take the least).
    static constexpr double kCoverageFloor = 0.55;

    // scheme and size index kUserInterfaceStyleWords and kUserInterfaceSizes; firstRun has
    // the first-run notice shown. The data folder is made when missing.
    EditorPages(const std::string& resources, const std::string& dataFolder, int scheme, int size,
                bool firstRun = false);
    ~EditorPages();
    EditorPages(const EditorPages&) = delete;
    EditorPages& operator=(const EditorPages&) = delete;

    bool open() const { return m_view != nullptr; }
    // The editor as it stands.
    EditorFrame frame() const;
    // Clicks the main tab and lets the editor redraw.
    EditorFrame showTab(int tab);
    // A left click at a point of the editor at the normal size, and a redraw.
    EditorFrame click(int x, int y);
    Zoz& plug() const { return *m_plug; }
    // Sets a parameter (not normalised) as a user's edit does (edit true) or as a dump from
    // the synthesizer does (nothing is sent, the part's pages follow), shows it on its
    // controls and lets the editor redraw.
    EditorFrame set(int paramIdx, double value, bool edit);
    // The share, 0 to 1, of the page frame (right of the part buttons, below the top bar) that
    // controls and captions cover, from what the editor draws now and in its order: the
    // rectangles of its visible controls, and on each background the labels, section titles
    // and value fields that the art draws into it (a page's background hides what lies under
    // it; a diagram or a notice covers its place). Colours play no part. A pixel counts when
    // something covered lies within 16 pixels of it at the normal size (half a knob and its
    // gap), so that controls at a musician's spacing fill their rows.
    double coverage(const ArtFile& art) const;

    // A value text as the editor draws it now: its field (the art's box behind it, else the
    // control's rectangle) and the rows and columns its ink takes there.
    struct ValueText {
        std::string text;
        int left, top, right, bottom; // the field, whole frame pixels
        double centre, middle;        // the field's middle row and column as drawn
        int inkTop = -1, inkBottom = -1, inkLeft = -1, inkRight = -1;
        double contrast = 0; // its strongest ink against the field
        bool veiled = false;  // under a cover over what cannot be edited now
    };
    std::vector<ValueText> valueTexts(const ArtFile& art) const;
    // What falls short in them: a text whose capitals' middle lies more than a pixel from its
    // field's (two at the scaled sizes), whose ink's middle lies a pixel more than that from it
    // across, capitals lower than kLeastCapHeight pixels, or ink below 4.5:1 against its field
    // (3:1 under a veil).
    // Texts whose ink does not reach from capital height to the baseline (descenders, only
    // small letters) are not measured down; a placeholder of dashes is, by its dashes.
    std::vector<std::string> valueTextFaults(const std::vector<ValueText>& texts) const {
        return valueTextFaults(texts, m_scale);
    }
    static std::vector<std::string> valueTextFaults(const std::vector<ValueText>& texts,
                                                    double scale);
    static constexpr int kLeastCapHeight = 7;

    // Further pages: the tab to show and the settings that lead to them.
    struct State {
        const char* name;
        int tab;
        bool edit; // how the settings are made (see set)
        std::vector<std::pair<int, double>> settings;
    };
    static const std::vector<State> kStates;

private:
    void eachDrawn(const ArtFile& art,
                   const std::function<void(const ArtBackground&, const IRECT&)>& background,
                   const std::function<void(const IControl&)>& control) const;

    std::unique_ptr<Zoz> m_plug;
    platform::HeadlessView* m_view = nullptr;
    int m_scheme;
    double m_scale;
};
