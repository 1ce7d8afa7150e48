#include "tools/render-pages/EditorPages.h"

#include "kit/effect/BitmapStorage.h"
#include "kit/effect/ControlLayer.h"
#include "kit/effect/IBitmapControl.h"
#include "kit/effect/ITextControl.h"
#include "platform/view/HeadlessView.h"
#include "src/core/Zoz.h"
#include "src/core/ZozDialogs.h"
#include "src/uiconfig/ImageTable.h"
#include "src/uiconfig/ParameterIds.h"
#include "tools/render-images/ArtFile.h"
#include "tools/render-images/Looks.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

const char* const EditorPages::kTabNames[kTabs] = {"multi",      "librarian", "oscillators",
                                                    "filter-env", "lfo-matrix", "fx-arp",
                                                    "pattern"};
const std::vector<EditorPages::State> EditorPages::kStates = {
    {"multi-global", 0, true, {{kMultiSettings, 1}}},
    {"multi-part-settings", 0, true, {{kMultiSettings, 0}, {kMultiPartSettings + 2, 1}}},
    {"fx-delay-tapdelay", 5, false, {{kEffect1Mode, 4}, {kFX1DelayClocked, 1}, {kEffect2Mode, 9}}},
    {"fx-vocoder-51delay", 5, false, {{kEffect1Mode, 7}, {kEffect2Mode, 11}}},
    {"fx-fivefx-reverb", 5, false, {{kEffect1Mode, 6}, {kEffect2Mode, 8}}},
    {"fx-part5", 5, false, {{kQuickTab, 4}}},
    {"about", 2, true, {{kDisplayAboutWindow, 1}}},
    {"midi-filters", 2, true, {{kViewMIDIFilterSettings, 1}}},
};

namespace {

// The main tabs: a row of buttons 100 wide and 28 high from (190, 6), unscaled.
constexpr int kTabX = 190, kTabY = 6, kTabW = 100, kTabH = 28;
// The page area, unscaled.
constexpr int kPageX = 186, kPageY = 92, kPageW = 1310, kPageH = 660;

void sendClick(platform::HeadlessView& view, int x, int y) {
    platform::ViewEvent e;
    e.x = x;
    e.y = y;
    e.button = 1;
    e.type = platform::ViewEventType::kButtonDown;
    view.Send(e);
    e.type = platform::ViewEventType::kButtonUp;
    view.Send(e);
}

// The image table's id of an image name in a colour scheme, -1 for none.
int imageId(const std::string& name, int scheme) {
    for (const CommonImageRow& row : kCommonImages)
        if (name == row.name) return row.id;
    for (const SchemeImageRow& row : kSchemeImages)
        if (name == row.name) return row.ids[scheme];
    return -1;
}

// The page frame as a grid of pixels, each covered or not.
class Cover {
public:
    Cover(int left, int top, int w, int h)
        : m_left(left), m_top(top), m_w(w), m_h(h), m_on(size_t(w) * h) {}

    void set(int l, int t, int r, int b, bool on = true) {
        for (int y = std::max(t, m_top); y < std::min(b, m_top + m_h); ++y)
            for (int x = std::max(l, m_left); x < std::min(r, m_left + m_w); ++x)
                m_on[size_t(y - m_top) * m_w + x - m_left] = on;
    }

    // The share of the frame that lies within reach (in both directions) of a covered pixel.
    double share(int reach) const {
        // Within reach along the row, then along the column: running sums over the windows.
        std::vector<bool> near(m_on.size());
        std::vector<int> sum(std::max(m_w, m_h) + 1);
        for (int y = 0; y < m_h; ++y) {
            for (int x = 0; x < m_w; ++x) sum[x + 1] = sum[x] + at(x, y);
            for (int x = 0; x < m_w; ++x)
                near[size_t(y) * m_w + x] =
                    sum[std::min(m_w, x + reach + 1)] > sum[std::max(0, x - reach)];
        }
        size_t covered = 0;
        for (int x = 0; x < m_w; ++x) {
            for (int y = 0; y < m_h; ++y) sum[y + 1] = sum[y] + near[size_t(y) * m_w + x];
            for (int y = 0; y < m_h; ++y)
                covered += sum[std::min(m_h, y + reach + 1)] > sum[std::max(0, y - reach)];
        }
        return m_on.empty() ? 0.0 : double(covered) / m_on.size();
    }

private:
    bool at(int x, int y) const { return m_on[size_t(y) * m_w + x]; }

    int m_left, m_top, m_w, m_h;
    std::vector<bool> m_on;
};

// What one background shows where the editor draws it: a panel hides what was drawn before
// under it and shows the art's items, an inlay shows them, a picture covers its place whole,
// a veil changes nothing.
void drawArt(Cover& cover, const ArtBackground& art, const IRECT& at, double scale) {
    switch (RoleOf(art.image)) {
    case ImageRole::kPanel:
        cover.set(at.L, at.T, at.R, at.B, false);
        break;
    case ImageRole::kInlay:
        break;
    case ImageRole::kPicture:
        cover.set(at.L, at.T, at.R, at.B);
        return;
    default:
        return;
    }
    const auto add = [&](int x, int y, int w, int h) {
        cover.set(at.L + int(x * scale), at.T + int(y * scale), at.L + int((x + w) * scale),
                  at.T + int((y + h) * scale));
    };
    for (const ArtItem& item : art.items) {
        switch (item.kind) {
        case ArtItem::kFrame:
            if (!item.text.empty()) {
                const IRect tab = TitleTab(item);
                add(tab.x, tab.y, tab.w, tab.h);
            }
            break;
        case ArtItem::kArea:
            break;
        case ArtItem::kLabel: {
            // The text itself, centred in its box.
            const int w = std::min(item.w, Painter::textWidth(item.text, kLabelSize, false));
            add(item.x + (item.w - w) / 2, item.y, w, item.h);
            break;
        }
        case ArtItem::kField:
        case ArtItem::kMenu:
            add(item.x, item.y, item.w, item.h);
            break;
        }
    }
}

} // namespace

EditorPages::EditorPages(const std::string& resources, const std::string& dataFolder, int scheme,
                         int size, bool firstRun)
    : m_scheme(scheme), m_scale(kUserInterfaceSizes[size].scale) {
    static const bool dialogs = (ZozRegisterDialogResources(), true);
    (void)dialogs;
    std::filesystem::create_directories(dataFolder);
    std::ofstream(dataFolder + "/Zoz Editor UI.txt") << kUserInterfaceStyleWords[scheme] << "\n"
                                                     << kUserInterfaceSizes[size].word << "\n"
                                                     << (firstRun ? "no" : "") << "\n\n";
    setenv("ZOZ_DATA_DIR", dataFolder.c_str(), 1);
    setenv("ZOZ_RESOURCES_DIR", resources.c_str(), 1);
    m_plug = std::make_unique<Zoz>(IEffectInstanceInfo{});
    AEffect* effect = m_plug->GetAEffect();
    if (effect->dispatcher(effect, effEditOpen, 0, 0, nullptr, 0.0f) == 1)
        m_view = static_cast<platform::HeadlessView*>(m_plug->GetGUI()->GetWindow());
}

EditorPages::~EditorPages() {
    if (!m_plug) return;
    AEffect* effect = m_plug->GetAEffect();
    if (m_view) effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
}

EditorFrame EditorPages::frame() const {
    EditorFrame f;
    if (!m_view) return f;
    const platform::HeadlessView::Window* shown = m_view->Shown(0);
    f.width = shown->area.Width();
    f.height = shown->area.Height();
    f.pixels = shown->pixels;
    return f;
}

EditorFrame EditorPages::showTab(int tab) {
    return click(kTabX + kTabW * tab + kTabW / 2, kTabY + kTabH / 2);
}

EditorFrame EditorPages::click(int x, int y) {
    if (!m_view) return {};
    // The view moves a point 2 left and 3 up.
    sendClick(*m_view, int(x * m_scale) + 2, int(y * m_scale) + 3);
    m_view->Tick();
    return frame();
}

EditorFrame EditorPages::set(int paramIdx, double value, bool edit) {
    if (!m_view) return {};
    IParam* param = m_plug->GetParam(paramIdx);
    if (edit) {
        m_plug->SetParameterFromGUI(paramIdx, param->GetNormalized(value));
    } else {
        m_plug->SetParameterFromGUI2(paramIdx, param->GetNormalized(value));
        m_plug->OnParamChange2(kQuickTab);
    }
    m_plug->GetGUI()->SetParameterFromPlug(paramIdx, value, false);
    m_view->Tick();
    return frame();
}

// Walks what the editor draws now, in its order: every shown background as the art places
// it, scaled to the editor, and every other visible control.
void EditorPages::eachDrawn(
    const ArtFile& art,
    const std::function<void(const ArtBackground&, const IRECT&)>& background,
    const std::function<void(const IControl&)>& control) const {
    // A background is known by the bitmap the cache holds for its image and by its place.
    const auto drawBackground = [&](const IBitmapControl& shown) {
        const IRECT& at = shown.GetRECT();
        for (const ArtBackground& b : art.backgrounds) {
            const int id = imageId(b.image, m_scheme);
            if (id >= 0 && BitmapStorage::Instance().Find(id) == shown.GetIBitmap().mData &&
                int(b.x * m_scale) == at.L && int(b.y * m_scale) == at.T)
                background(b, at);
        }
    };
    const auto addControl = [&](const IControl& c) {
        if (c.IsHidden()) return;
        const auto* bitmap = dynamic_cast<const IBitmapControl*>(&c);
        if (bitmap && c.ParamIdx() < 0)
            drawBackground(*bitmap);
        else
            control(c);
    };
    const std::function<void(const ControlLayer&)> addLayer = [&](const ControlLayer& layer) {
        if (layer.isVisible())
            for (int i = 0; i < layer.getControls().GetSize(); ++i)
                addControl(*layer.getControls().Get(i));
        for (int i = 0; i < layer.getChildren().GetSize(); ++i)
            addLayer(*layer.getChildren().Get(i));
    };
    IGraphics* graphics = m_plug->GetGUI();
    for (int i = 0; i < graphics->NControls(); ++i) addControl(*graphics->GetControl(i));
    for (int i = 0; i < graphics->NLayers(); ++i) addLayer(*graphics->GetLayer(i));
}

double EditorPages::coverage(const ArtFile& art) const {
    const int left = int(kPageX * m_scale), top = int(kPageY * m_scale);
    Cover cover(left, top, int(kPageW * m_scale), int(kPageH * m_scale));
    eachDrawn(
        art, [&](const ArtBackground& b, const IRECT& at) { drawArt(cover, b, at, m_scale); },
        [&](const IControl& c) {
            const IRECT& r = c.GetRECT();
            cover.set(r.L, r.T, r.R, r.B);
        });
    return cover.share(int(16 * m_scale));
}

namespace {

Rgb rgbOf(uint32_t pixel) {
    return {int(pixel >> 8 & 0xFF), int(pixel >> 16 & 0xFF), int(pixel >> 24 & 0xFF)};
}

int distance(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 8; shift < 32; shift += 8)
        most = std::max(most, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return most;
}

// Whether the text's ink runs from capital height to the baseline: no descender, and a
// capital, a digit or a tall small letter.
bool measurable(const std::string& text) {
    bool tall = false;
    for (unsigned char c : text) {
        if (c >= 0x80 || std::strchr("gjpqyQJ,;()[]{}|_/@$", c)) return false;
        tall |= std::isupper(c) || std::isdigit(c) || std::strchr("bdhkl", c);
    }
    return tall;
}

} // namespace

std::vector<EditorPages::ValueText> EditorPages::valueTexts(const ArtFile& art) const {
    struct Field {
        IRECT box;             // in whole pixels
        double centre, middle; // the row and column of its middle as the scaled background draws it
    };
    std::vector<Field> fields;
    std::vector<const ITextControl*> texts;
    std::set<const ITextControl*> veiled;
    eachDrawn(
        art,
        [&](const ArtBackground& b, const IRECT& at) {
            // A panel or a notice drawn later hides the texts it reaches over; a veil dims them.
            const ImageRole role = RoleOf(b.image);
            const auto under = [&](const ITextControl* t) {
                const IRECT& r = t->GetRECT();
                return r.L < at.R && at.L < r.R && r.T < at.B && at.T < r.B;
            };
            if (role == ImageRole::kPanel || role == ImageRole::kPicture)
                texts.erase(std::remove_if(texts.begin(), texts.end(), under), texts.end());
            if (role == ImageRole::kVeil)
                for (const ITextControl* t : texts)
                    if (under(t)) veiled.insert(t);
            for (const ArtItem& item : b.items)
                if (item.kind == ArtItem::kField)
                    fields.push_back({{at.L + int(item.x * m_scale), at.T + int(item.y * m_scale),
                                       at.L + int((item.x + item.w) * m_scale),
                                       at.T + int((item.y + item.h) * m_scale)},
                                      at.T + (item.y + item.h / 2.0) * m_scale,
                                      at.L + (item.x + item.w / 2.0) * m_scale});
        },
        [&](const IControl& c) {
            if (const auto* text = dynamic_cast<const ITextControl*>(&c)) texts.push_back(text);
        });
    const EditorFrame f = frame();
    std::vector<ValueText> found;
    for (const ITextControl* control : texts) {
        const std::string text = control->GetTextForPlug();
        if (text.empty()) continue;
        IRECT box = control->GetRECT();
        double centre = (box.T + box.B) / 2.0, middle = (box.L + box.R) / 2.0;
        const int cx = (box.L + box.R) / 2, cy = (box.T + box.B) / 2;
        for (const Field& field : fields)
            if (field.box.Contains(cx, cy))
                box = field.box, centre = field.centre, middle = field.middle;
        ValueText v{text, box.L, box.T, box.R, box.B, centre, middle};
        v.veiled = veiled.count(control) > 0;
        // The ground is the commonest colour inside the field's edge, which a scaled
        // background may blur over two pixels, and at its sides move by its fraction of one.
        const int side = m_scale == 1.0 ? 2 : 3;
        const int l = std::max(box.L + side, 0), r = std::min(box.R - side, f.width);
        const int t = std::max(box.T + 2, 0), b = std::min(box.B - 2, f.height);
        std::map<uint32_t, int> counts;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) ++counts[f.pixels[size_t(y) * f.width + x]];
        if (counts.empty()) continue;
        const uint32_t ground = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                    return a.second < b.second;
                                })->first;
        int strongest = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) {
                const uint32_t pixel = f.pixels[size_t(y) * f.width + x];
                strongest = std::max(strongest, distance(pixel, ground));
                v.contrast = std::max(v.contrast, Contrast(rgbOf(pixel), rgbOf(ground)));
            }
        // Ink: the pixels at least half as far from the ground as the strongest.
        for (int y = t; y < b && strongest > 0; ++y)
            for (int x = l; x < r; ++x)
                if (2 * distance(f.pixels[size_t(y) * f.width + x], ground) >= strongest) {
                    if (v.inkTop < 0) v.inkTop = y;
                    v.inkBottom = y;
                    if (v.inkLeft < 0 || x < v.inkLeft) v.inkLeft = x;
                    v.inkRight = std::max(v.inkRight, x);
                }
        found.push_back(v);
    }
    return found;
}

std::vector<std::string> EditorPages::valueTextFaults(const std::vector<ValueText>& texts,
                                                      double scale) {
    // Scaled, the controls' rectangles and the backgrounds that draw the fields each lose up
    // to a pixel apart.
    const double tolerance = scale == 1.0 ? 1.0 : 2.0;
    std::vector<std::string> faults;
    char offset[16];
    for (const ValueText& v : texts) {
        const std::string where = "\"" + v.text + "\" at " + std::to_string(v.left) + "," +
                                  std::to_string(v.top) + " ";
        if (v.inkTop < 0) {
            faults.push_back(where + "shows no ink");
            continue;
        }
        // Rows and columns are counted by their middles: ink from column l to column r has
        // its middle at (l + r + 1) / 2. Across, a pixel more: the first and the last glyph
        // leave unequal room beside their ink (the flag of a 1, the bar of a T).
        const double across = (v.inkLeft + v.inkRight + 1) / 2.0 - v.middle;
        if (std::abs(across) > tolerance + 1.0) {
            snprintf(offset, sizeof offset, "%+.1f", across);
            faults.push_back(where + "sits " + offset + " px across from its field's middle");
        }
        const bool dashes = v.text.find_first_not_of("- ") == std::string::npos;
        const double off = (v.inkTop + v.inkBottom + 1) / 2.0 - v.centre;
        if ((dashes || measurable(v.text)) && std::abs(off) > tolerance) {
            snprintf(offset, sizeof offset, "%+.1f", off);
            faults.push_back(where + "sits " + offset + " px off its field's middle");
        }
        // Thin strokes alone (a dash) never reach their colour at the small size.
        if (!measurable(v.text)) continue;
        if (v.contrast < (v.veiled ? 3.0 : 4.5))
            faults.push_back(where + "has contrast " + std::to_string(v.contrast).substr(0, 4));
        if (v.inkBottom - v.inkTop + 1 < kLeastCapHeight)
            faults.push_back(where + "is " + std::to_string(v.inkBottom - v.inkTop + 1) +
                             " px high");
    }
    return faults;
}
