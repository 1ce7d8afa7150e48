#include "kit/effect/IGraphicsLinuxMenu.h"

#include "kit/base/KIT_Mutex.h"
#include "kit/effect/IGraphicsLinux.h"
#include "kit/effect/IPopupMenu.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Fill.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* kFace = "DejaVu Sans";
constexpr int kFontSize = 13;
constexpr int kRowHeight = 20;
constexpr int kSeparatorHeight = 9;
constexpr int kPad = 4;          // above the first and below the last row
constexpr int kGap = 4;          // between the area and the menu below it
constexpr int kCheckColumn = 20; // left of the texts, for the check marks
constexpr int kArrowColumn = 20; // right of the texts, for the submenu arrows
constexpr int kIndent = 12;      // of title items
constexpr int kArrowHeight = 16; // of the scroll arrows at a scrolled menu's ends
constexpr int kWheelRows = 3;    // scrolled by a step of the wheel
// Resting on an arrow scrolls a row a tick, and one row a tick more each such many ticks.
constexpr int kTicksToFaster = 25;

const RAST_pixel kBackground = RAST_MakePixel(240, 240, 240, 255);
const RAST_pixel kBorder = RAST_MakePixel(128, 128, 128, 255);
const RAST_pixel kHighlight = RAST_MakePixel(48, 112, 192, 255);
const RAST_pixel kText = RAST_MakePixel(0, 0, 0, 255);
const RAST_pixel kHighlightedText = RAST_MakePixel(255, 255, 255, 255);
const RAST_pixel kDisabledText = RAST_MakePixel(150, 150, 150, 255);
const RAST_pixel kSeparator = RAST_MakePixel(200, 200, 200, 255);

void fill(RAST_IBitmap& b, int x, int y, int w, int h, RAST_pixel colour) {
    RAST_FillRect(&b, x, y, w, h, colour, 1.0f, RAST_MODE_COPY);
}

} // namespace

int IGraphicsLinuxMenu::Level::Shown(int y) const {
    return scrolls ? y - scroll + kArrowHeight : y;
}

bool IGraphicsLinuxMenu::Row::Selectable() const {
    if (flags & IPopupMenuItem::kSeparator) return false;
    // Flags do not apply to an item that opens a submenu.
    return submenu || !(flags & IPopupMenuItem::kDisabled);
}

IGraphicsLinuxMenu::IGraphicsLinuxMenu(IGraphicsLinux& graphics, platform::View& view,
                                       IPopupMenu* menu, const IRECT& area)
    : m_graphics(graphics), m_view(view), m_menu(menu), m_area(area) {}

IPopupMenu* IGraphicsLinuxMenu::Run() {
    const platform::ViewRect area = m_view.ToScreen({m_area.L, m_area.T, m_area.R, m_area.B});
    if (!openLevel(m_menu, area, false)) return nullptr;
    m_graphics.m_menu = this;
    bool ended;
    {
        // The host, the audio thread and a closing editor get past while the user chooses.
        KIT_MutexRelease released(m_graphics.plugLock());
        ended = m_view.RunModal([this] { return m_done; });
    }
    m_graphics.m_menu = nullptr;
    m_levels.clear();
    return ended ? m_chosen : nullptr;
}

bool IGraphicsLinuxMenu::openLevel(IPopupMenu* model, const platform::ViewRect& anchor,
                                   bool beside) {
    const int n = model->GetNItems();
    if (n == 0) return false;
    Level level;
    level.model = model;
    level.popup = std::make_unique<IGraphicsLinuxPopup>(m_view, kFace, kFontSize);
    int y = kPad, widest = 0;
    for (int i = 0; i < n; ++i) {
        const IPopupMenuItem* item = model->GetItem(i);
        Row row;
        char prefix[16] = "";
        snprintf(prefix, sizeof prefix, IPopupMenu::PrefixFormat(model->GetPrefix()), i + 1);
        row.title = std::string(prefix) + item->GetText();
        row.flags = item->GetFlags();
        row.submenu = item->GetSubmenu();
        row.top = y;
        y += (!row.submenu && (row.flags & IPopupMenuItem::kSeparator)) ? kSeparatorHeight
                                                                        : kRowHeight;
        row.bottom = y;
        const bool indented = !row.submenu && (row.flags & IPopupMenuItem::kTitle);
        widest = std::max(widest, level.popup->Measure(row.title) + (indented ? kIndent : 0));
        level.rows.push_back(row);
    }
    const int w = kCheckColumn + widest + kArrowColumn;
    const platform::ViewRect screen = m_view.Screen();
    // Taller than the screen: as high as the screen (and never too low for a row).
    level.scrolls = y + kPad > screen.Height();
    const int h =
        level.scrolls ? std::max(screen.Height(), 2 * kArrowHeight + kRowHeight) : y + kPad;
    if (level.scrolls) level.overflow = y + kPad - (h - 2 * kArrowHeight);
    const bool below = anchor.bottom + kGap + h <= screen.bottom;
    const bool above = anchor.top - kGap - h >= screen.top;
    int left, top;
    if (beside || (!below && !above)) {
        // A submenu, or a menu with no room above or below its field, opens beside its anchor
        // with the current item level with it, never under the pointer that opened it.
        const int gap = beside ? 0 : kGap;
        left = anchor.right + gap + w <= screen.right ? anchor.right + gap : anchor.left - gap - w;
        int current = 0;
        while (current < n && (level.rows[size_t(current)].submenu ||
                               !(level.rows[size_t(current)].flags & IPopupMenuItem::kChecked)))
            ++current;
        const int shown = level.Shown(current < n ? level.rows[size_t(current)].top : kPad);
        top = std::max(screen.top, std::min(anchor.top - shown, screen.bottom - h));
        if (level.scrolls) level.scroll = std::clamp(shown - (anchor.top - top), 0, level.overflow);
    } else {
        left = std::min(anchor.left, screen.right - w);
        top = below ? anchor.bottom + kGap : anchor.top - kGap - h;
    }
    left = std::max(left, screen.left);
    top = std::max(top, screen.top);
    if (!level.popup->Open({left, top, left + w, top + h}, m_levels.empty())) return false;
    m_levels.push_back(std::move(level));
    draw(m_levels.back());
    return true;
}

void IGraphicsLinuxMenu::closeLevelsAfter(size_t level) {
    while (m_levels.size() > level + 1)
        m_levels.pop_back();
}

void IGraphicsLinuxMenu::draw(Level& level) {
    RAST_MemBitmap& b = level.popup->Bitmap();
    const int w = b.getWidth(), h = b.getHeight();
    fill(b, 0, 0, w, h, kBorder);
    fill(b, 1, 1, w - 2, h - 2, kBackground);
    for (int i = 0; i < int(level.rows.size()); ++i) {
        const Row& row = level.rows[size_t(i)];
        const int top = level.Shown(row.top), bottom = level.Shown(row.bottom);
        if (bottom <= 0 || top >= h) continue;
        if (!row.submenu && (row.flags & IPopupMenuItem::kSeparator)) {
            fill(b, kPad, (top + bottom) / 2, w - 2 * kPad, 1, kSeparator);
            continue;
        }
        const bool lit = i == level.highlighted && row.Selectable();
        if (lit) fill(b, 1, top, w - 2, bottom - top, kHighlight);
        const RAST_pixel colour = lit ? kHighlightedText : row.Selectable() ? kText : kDisabledText;
        const int indent = (!row.submenu && (row.flags & IPopupMenuItem::kTitle)) ? kIndent : 0;
        const unsigned vcenter = DT_VCENTER;
        level.popup->DrawText(row.title, {kCheckColumn + indent, top, w, bottom}, colour, vcenter);
        if (!row.submenu && (row.flags & IPopupMenuItem::kChecked))
            level.popup->DrawText("\xE2\x9C\x93", {6, top, kCheckColumn, bottom}, colour, vcenter);
        if (row.submenu)
            level.popup->DrawText("\xE2\x96\xB8", {w - kArrowColumn + 6, top, w, bottom}, colour,
                                  vcenter);
    }
    // The arrows cover the rows that run under them; one that can scroll no further is dim.
    if (level.scrolls) {
        for (const bool up : {true, false}) {
            const int top = up ? 1 : h - kArrowHeight;
            fill(b, 1, top, w - 2, kArrowHeight - 1, kBackground);
            const bool more = up ? level.scroll > 0 : level.scroll < level.overflow;
            level.popup->DrawText(up ? "\xE2\x96\xB4" : "\xE2\x96\xBE",
                                  {0, top, w, top + kArrowHeight - 1}, more ? kText : kDisabledText,
                                  DT_CENTER | DT_VCENTER);
        }
    }
    level.popup->Put();
}

void IGraphicsLinuxMenu::Expose(int window) {
    for (Level& level : m_levels)
        if (level.popup->Window() == window) level.popup->Put();
}

bool IGraphicsLinuxMenu::rowAt(int x, int y, size_t* level, int* row) const {
    for (size_t l = m_levels.size(); l-- > 0;) {
        const Level& shown = m_levels[l];
        const platform::ViewRect& area = shown.popup->ScreenArea();
        if (!area.Contains(x, y)) continue;
        *level = l;
        *row = kNoRow;
        const int at = y - area.top;
        if (shown.scrolls && at < kArrowHeight) {
            *row = kScrollUp;
        } else if (shown.scrolls && at >= area.Height() - kArrowHeight) {
            *row = kScrollDown;
        } else {
            for (size_t r = 0; r < shown.rows.size(); ++r)
                if (at >= shown.Shown(shown.rows[r].top) && at < shown.Shown(shown.rows[r].bottom))
                    *row = int(r);
        }
        return true;
    }
    return false;
}

void IGraphicsLinuxMenu::scrollBy(size_t level, int dy) {
    Level& l = m_levels[level];
    const int scroll = std::clamp(l.scroll + dy, 0, l.overflow);
    if (scroll == l.scroll) return;
    closeLevelsAfter(level);
    l.scroll = scroll;
    draw(l);
}

void IGraphicsLinuxMenu::reveal(size_t level, int row) {
    const Level& l = m_levels[level];
    if (!l.scrolls) return;
    const Row& r = l.rows[size_t(row)];
    const int view = l.popup->ScreenArea().Height() - 2 * kArrowHeight;
    if (r.top < l.scroll)
        scrollBy(level, r.top - l.scroll);
    else if (r.bottom > l.scroll + view)
        scrollBy(level, r.bottom - l.scroll - view);
}

void IGraphicsLinuxMenu::Tick() {
    if (m_hoverDirection == 0 || m_hoverLevel >= m_levels.size()) return;
    const int rows = 1 + m_hoverTicks++ / kTicksToFaster;
    scrollBy(m_hoverLevel, m_hoverDirection * rows * kRowHeight);
}

void IGraphicsLinuxMenu::highlight(size_t level, int row) {
    if (row >= 0) reveal(level, row);
    Level& l = m_levels[level];
    const Row* r = row >= 0 ? &l.rows[size_t(row)] : nullptr;
    const bool keepSubmenu =
        r && m_levels.size() > level + 1 && m_levels[level + 1].model == r->submenu;
    if (!keepSubmenu) closeLevelsAfter(level);
    if (l.highlighted != row) {
        l.highlighted = row;
        draw(l);
    }
    if (r && r->submenu && !keepSubmenu) {
        const platform::ViewRect& area = l.popup->ScreenArea();
        openLevel(
            r->submenu,
            {area.left, area.top + l.Shown(r->top), area.right, area.top + l.Shown(r->bottom)},
            true);
    }
}

void IGraphicsLinuxMenu::moveHighlight(int step) {
    size_t level = m_levels.size() - 1;
    while (level > 0 && m_levels[level].highlighted < 0)
        --level;
    const std::vector<Row>& rows = m_levels[level].rows;
    const int n = int(rows.size());
    int row = m_levels[level].highlighted;
    for (int tries = 0; tries < n; ++tries) {
        row = row < 0 ? (step > 0 ? 0 : n - 1) : (row + step + n) % n;
        if (rows[size_t(row)].Selectable()) {
            highlight(level, row);
            return;
        }
    }
}

void IGraphicsLinuxMenu::highlightNear(size_t level, int row, int direction) {
    const std::vector<Row>& rows = m_levels[level].rows;
    const int n = int(rows.size());
    row = std::clamp(row, 0, n - 1);
    for (const int step : {direction, -direction})
        for (int r = row; r >= 0 && r < n; r += step)
            if (rows[size_t(r)].Selectable()) return highlight(level, r);
}

void IGraphicsLinuxMenu::enter(size_t level, int row) {
    const Row& r = m_levels[level].rows[size_t(row)];
    if (!r.Selectable()) return;
    if (!r.submenu) {
        finish(m_levels[level].model, row);
        return;
    }
    highlight(level, row);
    if (m_levels.size() <= level + 1) return;
    // Into the submenu, on its first item that can be chosen.
    const std::vector<Row>& rows = m_levels[level + 1].rows;
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].Selectable()) return highlight(level + 1, int(r));
}

void IGraphicsLinuxMenu::finish(IPopupMenu* chosen, int index) {
    if (chosen) chosen->SetChosenItemIdx(index);
    m_chosen = chosen;
    m_done = true;
}

void IGraphicsLinuxMenu::OnEvent(const platform::ViewEvent& e) {
    using platform::ViewEventType;
    using platform::ViewKey;
    size_t level = 0;
    int row = -1;
    const bool over = rowAt(e.rootX, e.rootY, &level, &row);
    switch (e.type) {
    case ViewEventType::kMotion: {
        m_armed = m_armed || (over && row >= 0);
        const int direction = !over ? 0 : row == kScrollUp ? -1 : row == kScrollDown ? 1 : 0;
        if (direction != m_hoverDirection || level != m_hoverLevel) m_hoverTicks = 0;
        m_hoverDirection = direction;
        m_hoverLevel = level;
        if (over && row >= 0) highlight(level, row);
        break;
    }
    case ViewEventType::kWheel:
        if (over) scrollBy(level, -e.wheel * kWheelRows * kRowHeight);
        break;
    case ViewEventType::kButtonDown:
        m_armed = over;
        if (!over) finish(nullptr, -1);
        break;
    case ViewEventType::kButtonUp:
        // The release of the press that opened the menu chooses only a row moved onto.
        if (over && row >= 0 && m_armed) enter(level, row);
        break;
    case ViewEventType::kFocusOut:
        finish(nullptr, -1);
        break;
    case ViewEventType::kKey: {
        size_t active = m_levels.size() - 1;
        while (active > 0 && m_levels[active].highlighted < 0)
            --active;
        const int lit = m_levels[active].highlighted;
        const int n = int(m_levels[active].rows.size());
        switch (e.key) {
        case ViewKey::kEscape:
            finish(nullptr, -1);
            break;
        case ViewKey::kUp:
        case ViewKey::kDown:
            moveHighlight(e.key == ViewKey::kDown ? 1 : -1);
            break;
        case ViewKey::kHome:
        case ViewKey::kEnd:
            highlightNear(active, e.key == ViewKey::kHome ? 0 : n - 1,
                          e.key == ViewKey::kHome ? 1 : -1);
            break;
        case ViewKey::kPageUp:
        case ViewKey::kPageDown: {
            // By the rows the window shows at once; a menu that shows them all, to its ends.
            const Level& shown = m_levels[active];
            const int view = shown.popup->ScreenArea().Height() - 2 * kArrowHeight;
            const int page = shown.scrolls ? std::max(1, view / kRowHeight) : n;
            const int step = e.key == ViewKey::kPageDown ? 1 : -1;
            highlightNear(active, (lit < 0 ? 0 : lit) + step * page, step);
            break;
        }
        case ViewKey::kLeft:
            if (active > 0) highlight(active - 1, m_levels[active - 1].highlighted);
            break;
        case ViewKey::kRight:
        case ViewKey::kReturn:
        case ViewKey::kEnter:
        case ViewKey::kSpace:
            if (lit >= 0 &&
                (e.key != ViewKey::kRight || m_levels[active].rows[size_t(lit)].submenu))
                enter(active, lit);
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
}
