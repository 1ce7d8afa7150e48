#include "tools/render-pages/EditorPages.h"

#include "platform/view/HeadlessView.h"
#include "src/core/Zoz.h"
#include "src/core/ZozDialogs.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

const char* const EditorPages::kTabNames[kTabs] = {"multi",      "librarian", "oscillators",
                                                    "filter-env", "lfo-matrix", "fx-arp",
                                                    "pattern"};
const char* const EditorPages::kSchemeNames[5] = {"yellow", "halloween", "blue", "red",
                                                  "phoenix"};
const char* const EditorPages::kSizeNames[3] = {"small", "normal", "large"};
const double EditorPages::kScales[3] = {0.85, 1.0, 1.15};
const std::vector<EditorPages::State> EditorPages::kStates = {
    {"multi-global", 0, true, {{kMultiSettings, 1}}},
    {"multi-part-settings", 0, true, {{kMultiPartSettings + 2, 1}}},
    {"fx-delay-tapdelay", 5, false, {{kEffect1Mode, 4}, {kFX1DelayClocked, 1}, {kEffect2Mode, 9}}},
    {"fx-vocoder-51delay", 5, false, {{kEffect1Mode, 7}, {kEffect2Mode, 11}}},
    {"fx-fivefx-reverb", 5, false, {{kEffect1Mode, 6}, {kEffect2Mode, 8}}},
};

namespace {

// The main tabs: a row of buttons 100 wide and 28 high from (190, 6), unscaled.
constexpr int kTabX = 190, kTabY = 6, kTabW = 100, kTabH = 28;
// The page area, unscaled.
constexpr int kPageX = 186, kPageY = 92, kPageW = 1310, kPageH = 660;

void click(platform::HeadlessView& view, int x, int y) {
    platform::ViewEvent e;
    e.x = x;
    e.y = y;
    e.button = 1;
    e.type = platform::ViewEventType::kButtonDown;
    view.Send(e);
    e.type = platform::ViewEventType::kButtonUp;
    view.Send(e);
}

int channel(uint32_t pixel, int k) {
    return int(pixel >> (8 * (k + 1)) & 0xFF);
}

bool differs(uint32_t a, uint32_t b) {
    for (int k = 0; k < 3; ++k)
        if (std::abs(channel(a, k) - channel(b, k)) > 12) return true;
    return false;
}

} // namespace

EditorPages::EditorPages(const std::string& resources, const std::string& dataFolder, int scheme,
                         int size)
    : m_scale(kScales[size]) {
    static const bool dialogs = (ZozRegisterDialogResources(), true);
    (void)dialogs;
    std::filesystem::create_directories(dataFolder);
    std::ofstream(dataFolder + "/Zoz Editor UI.txt")
        << kSchemeNames[scheme] << "\n" << kSizeNames[size] << "\n\n\n";
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
    if (!m_view) return {};
    click(*m_view, int((kTabX + kTabW * tab + kTabW / 2) * m_scale),
          int((kTabY + kTabH / 2) * m_scale));
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

double PageCoverage(const EditorFrame& frame, double scale) {
    const int left = int(kPageX * scale), top = int(kPageY * scale);
    const int width = std::min(int(kPageW * scale), frame.width - left);
    const int height = std::min(int(kPageH * scale), frame.height - top);
    if (width <= 0 || height <= 0) return 0.0;
    auto at = [&](int x, int y) { return frame.pixels[size_t(y) * frame.width + x]; };
    // The page behind the controls changes only from row to row: in each row, the middle
    // colour of a few pixels at its two edges, where no control sits.
    auto brightness = [](uint32_t p) { return channel(p, 0) + channel(p, 1) + channel(p, 2); };
    std::vector<uint32_t> page(height);
    for (int y = 0; y < height; ++y) {
        std::vector<uint32_t> edge;
        for (int d = 1; d <= 3; ++d)
            edge.insert(edge.end(), {at(left + d, top + y), at(left + width - 1 - d, top + y)});
        std::nth_element(edge.begin(), edge.begin() + 3, edge.end(),
                         [&](uint32_t a, uint32_t b) { return brightness(a) < brightness(b); });
        page[y] = edge[3];
    }
    // A cell counts when what differs spreads over three rows and three columns: a caption or
    // a control does, a frame line does not.
    const int kCell = int(32 * scale);
    int cells = 0, covered = 0;
    for (int cy = 0; cy + kCell <= height; cy += kCell)
        for (int cx = 0; cx + kCell <= width; cx += kCell) {
            int rows = 0, columns = 0;
            for (int y = cy; y < cy + kCell; ++y) {
                bool any = false;
                for (int x = cx; x < cx + kCell && !any; ++x)
                    any = differs(at(left + x, top + y), page[y]);
                rows += any;
            }
            for (int x = cx; x < cx + kCell; ++x) {
                bool any = false;
                for (int y = cy; y < cy + kCell && !any; ++y)
                    any = differs(at(left + x, top + y), page[y]);
                columns += any;
            }
            ++cells;
            covered += rows >= 3 && columns >= 3;
        }
    return cells ? double(covered) / cells : 0.0;
}
