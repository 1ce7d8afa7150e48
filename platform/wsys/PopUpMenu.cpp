// Context menus: a pop-up window per open menu level and the loop that tracks them.
#include "platform/wsys/Application.h"
#include "platform/wsys/Menu.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/View.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::wsys {

namespace {

// Layout in pixels.
constexpr double kPadding = 4, kItemHeight = 20, kSeparatorHeight = 10;
constexpr double kCheckGutter = 22, kImageSize = 16, kImageGutter = 20, kArrowGutter = 28;
constexpr double kMinWidth = 100;

constexpr uint32_t kBackground = MakePixel(246, 246, 246);
constexpr uint32_t kBorder = MakePixel(178, 178, 178);
constexpr uint32_t kSeparator = MakePixel(214, 214, 214);
constexpr uint32_t kHighlight = MakePixel(48, 112, 220);
constexpr CanvasColor kText{0.1f, 0.1f, 0.1f, 1};
constexpr CanvasColor kDisabledText{0.62f, 0.62f, 0.62f, 1};
constexpr CanvasColor kHighlightText{1, 1, 1, 1};

// Key codes of the US layout that work a menu.
enum : int {
    kCodeReturn = 36,
    kCodeEnter = 76,
    kCodeEscape = 53,
    kCodeLeft = 123,
    kCodeRight = 124,
    kCodeDown = 125,
    kCodeUp = 126,
};

bool hasImages(const Menu& menu) {
    for (int i = 0; i < menu.NumberOfItems(); ++i)
        if (menu.ItemAtIndex(i)->GetImage()) return true;
    return false;
}

double textLeft(const Menu& menu) {
    return kCheckGutter + (hasImages(menu) ? kImageGutter : 0);
}

double textWidth(const std::string& utf8) {
    std::u32string text;
    std::shared_ptr<TextFont> font = SystemFont();
    return font && DecodeUtf8(utf8, &text) ? std::ceil(font->LineWidth(text)) : 0;
}

double popUpWidth(const Menu& menu) {
    double widest = 0;
    for (int i = 0; i < menu.NumberOfItems(); ++i)
        widest = std::max(widest, textWidth(menu.ItemAtIndex(i)->Title()));
    return std::max(kMinWidth, textLeft(menu) + widest + kArrowGutter);
}

bool choosable(const MenuItem* item) {
    return item && item->IsEnabled() && !item->IsSeparatorItem() && !item->HasSubmenu();
}

bool selectable(const MenuItem* item) {
    return item && item->IsEnabled() && !item->IsSeparatorItem();
}

// The image scaled to a square of kImageSize pixels, over the canvas by its alpha.
void drawImage(Canvas& c, const Image& image, int left, int top) {
    const CanvasRect& clip = c.Clip();
    const int n = int(kImageSize);
    for (int y = 0; y < n; ++y) {
        const int py = top + y + c.OriginY();
        if (py < clip.top || py >= clip.bottom || image.width <= 0 || image.height <= 0) continue;
        for (int x = 0; x < n; ++x) {
            const int px = left + x + c.OriginX();
            if (px < clip.left || px >= clip.right) continue;
            const uint32_t src = image.pixels[size_t(y * image.height / n) * size_t(image.width) +
                                              size_t(x * image.width / n)];
            const uint32_t a = src & 255;
            uint32_t& dst = c.Row(py)[px];
            uint32_t out = 0;
            for (int shift = 8; shift < 32; shift += 8) {
                const uint32_t s = src >> shift & 255, d = dst >> shift & 255;
                out |= ((s * a + d * (255 - a)) / 255) << shift;
            }
            dst = out;
        }
    }
}

// The menu of one pop-up window; y runs down from the window's top.
class MenuView : public View {
public:
    MenuView(const Rect& frame, Menu* menu) : View(frame), m_menu(menu) {}
    bool IsFlipped() const override { return true; }
    bool IsOpaque() const override { return true; }
    Menu* GetMenu() const { return m_menu.get(); }
    int Highlighted() const { return m_highlighted; }
    void SetHighlighted(int index) {
        if (index == m_highlighted) return;
        m_highlighted = index;
        SetNeedsDisplay(true);
    }
    void Draw(const Rect&) override;

private:
    Ref<Menu> m_menu;
    int m_highlighted = -1;
};

void MenuView::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height);
    FillPixels(*c, 0, 0, w, h, kBorder);
    FillPixels(*c, 1, 1, w - 1, h - 1, kBackground);
    std::shared_ptr<TextFont> font = SystemFont();
    const int left = int(textLeft(*m_menu));
    for (int i = 0; i < m_menu->NumberOfItems(); ++i) {
        const MenuItem* item = m_menu->ItemAtIndex(i);
        const Rect f = Menu::ItemFrameInPopUp(*m_menu, i);
        const int top = int(f.MinY()), bottom = int(f.MaxY());
        if (item->IsSeparatorItem()) {
            FillPixels(*c, 1, (top + bottom) / 2, w - 1, (top + bottom) / 2 + 1, kSeparator);
            continue;
        }
        const bool lit = i == m_highlighted && selectable(item);
        if (lit) FillPixels(*c, 1, top, w - 1, bottom, kHighlight);
        const CanvasColor ink = lit ? kHighlightText : item->IsEnabled() ? kText : kDisabledText;
        if (item->GetImage()) drawImage(*c, *item->GetImage(), int(kCheckGutter), top + 2);
        const double baseline = top + std::floor((kItemHeight + (font ? font->Ascent() - font->Descent() : 0)) / 2);
        std::u32string title;
        if (font && item->State() == 1) font->DrawLine(*c, 6, baseline, U"\u2713", ink);
        if (font && DecodeUtf8(item->Title(), &title)) font->DrawLine(*c, left, baseline, title, ink);
        if (item->HasSubmenu()) {
            // A small triangle pointing right.
            const uint32_t arrow = lit ? MakePixel(255, 255, 255) : MakePixel(80, 80, 80);
            const int x = w - 16, mid = (top + bottom) / 2;
            for (int row = -4; row <= 4; ++row)
                FillPixels(*c, x, mid + row, x + 5 - std::abs(row), mid + row + 1, arrow);
        }
    }
}

class MenuWindow : public Panel {
public:
    MenuWindow(const Rect& content, Menu* menu) : Panel(content, kBorderlessWindowMask) {
        m_view = Make<MenuView>(Rect(Point(), content.size), menu);
        SetContentView(m_view.get());
        SetLevel(kPopUpMenuWindowLevel);
    }
    bool CanBecomeKeyWindow() const override { return false; }
    MenuView* MenuContent() const { return m_view.get(); }

private:
    Ref<MenuView> m_view;
};

// The open levels of one context menu, the top menu first.
class Tracker {
public:
    Tracker(Menu* top, Point topLeft) { open(top, topLeft); }
    ~Tracker() { closeFrom(0); }
    // The chosen item, or null when the menu was dismissed.
    Ref<MenuItem> Run();

private:
    void open(Menu* menu, Point topLeft);
    void closeFrom(size_t level);
    // The deepest level whose window holds the point, and the item there (-1: none).
    bool hit(Point screen, size_t* level, int* index) const;
    void highlight(size_t level, int index);
    // The level the keys work: the deepest with an item highlighted (a submenu that opened
    // under the pointer or the arrows has none yet), else the top one.
    size_t active() const;
    MenuItem* highlightedAt(size_t level) const;
    // Opens the highlighted item's submenu with its first selectable item highlighted.
    void enterSubmenu(size_t level);
    void step(size_t level, int direction);

    std::vector<Ref<MenuWindow>> m_levels;
};

void Tracker::open(Menu* menu, Point topLeft) {
    const Size size = Menu::ItemFrameInPopUp(*menu, -1).size;
    Point origin{topLeft.x, topLeft.y - size.height};
    // The pop-up stays on the main screen.
    if (!App().Screens().empty()) {
        const Rect& screen = App().Screens()[0].frame;
        origin.x = std::max(screen.MinX(), std::min(origin.x, screen.MaxX() - size.width));
        origin.y = std::max(screen.MinY(), std::min(origin.y, screen.MaxY() - size.height));
    }
    Ref<MenuWindow> w = Make<MenuWindow>(Rect(origin, size), menu);
    w->OrderFront();
    m_levels.push_back(w);
}

void Tracker::closeFrom(size_t level) {
    while (m_levels.size() > level) {
        m_levels.back()->Close();
        m_levels.pop_back();
    }
}

bool Tracker::hit(Point screen, size_t* level, int* index) const {
    for (size_t i = m_levels.size(); i-- > 0;) {
        const Rect& frame = m_levels[i]->Frame();
        if (!frame.Contains(screen)) continue;
        *level = i;
        *index = -1;
        const Menu& menu = *m_levels[i]->MenuContent()->GetMenu();
        const Point local{screen.x - frame.MinX(), frame.MaxY() - screen.y};
        for (int k = 0; k < menu.NumberOfItems(); ++k) {
            const Rect f = Menu::ItemFrameInPopUp(menu, k);
            if (local.y >= f.MinY() && local.y < f.MaxY()) *index = k;
        }
        return true;
    }
    return false;
}

void Tracker::highlight(size_t level, int index) {
    MenuView* view = m_levels[level]->MenuContent();
    MenuItem* item = view->GetMenu()->ItemAtIndex(index);
    const bool sameSubmenu = view->Highlighted() == index && m_levels.size() > level + 1;
    view->SetHighlighted(index);
    if (sameSubmenu) return;
    closeFrom(level + 1);
    if (!selectable(item) || !item->HasSubmenu()) return;
    Ref<Menu> sub(item->Submenu());
    if (auto* delegate = dynamic_cast<MenuDelegate*>(sub->Delegate())) delegate->MenuNeedsUpdate(sub.get());
    const Rect& frame = m_levels[level]->Frame();
    const Rect f = Menu::ItemFrameInPopUp(*view->GetMenu(), index);
    open(sub.get(), Point{frame.MaxX(), frame.MaxY() - f.MinY() + kPadding});
}

size_t Tracker::active() const {
    for (size_t i = m_levels.size(); i-- > 1;)
        if (m_levels[i]->MenuContent()->Highlighted() >= 0) return i;
    return 0;
}

MenuItem* Tracker::highlightedAt(size_t level) const {
    const MenuView* view = m_levels[level]->MenuContent();
    return view->GetMenu()->ItemAtIndex(view->Highlighted());
}

void Tracker::enterSubmenu(size_t level) {
    MenuItem* item = highlightedAt(level);
    if (!selectable(item) || !item->HasSubmenu()) return;
    highlight(level, m_levels[level]->MenuContent()->Highlighted());
    if (m_levels.size() > level + 1) step(level + 1, 1);
}

void Tracker::step(size_t level, int direction) {
    MenuView* view = m_levels[level]->MenuContent();
    const Menu& menu = *view->GetMenu();
    const int n = menu.NumberOfItems();
    int at = view->Highlighted();
    for (int tries = 0; tries < n; ++tries) {
        at = at < 0 ? (direction > 0 ? 0 : n - 1) : (at + direction + n) % n;
        if (selectable(menu.ItemAtIndex(at))) {
            highlight(level, at);
            return;
        }
    }
}

Ref<MenuItem> Tracker::Run() {
    Application& app = App();
    for (;;) {
        const Ref<Event> e = app.NextEvent(kAnyEventMask, kDistantFuture, kEventTrackingRunLoopMode);
        if (!e || app.IsTerminated()) return nullptr;
        if (e->type == kKeyDown) {
            const size_t level = active();
            MenuItem* lit = highlightedAt(level);
            switch (e->keyCode) {
            case kCodeEscape:
                return nullptr;
            case kCodeReturn:
            case kCodeEnter:
                if (choosable(lit)) return lit;
                enterSubmenu(level);
                break;
            case kCodeDown:
            case kCodeUp:
                step(level, e->keyCode == kCodeDown ? 1 : -1);
                break;
            case kCodeRight:
                enterSubmenu(level);
                break;
            case kCodeLeft:
                if (level > 0) closeFrom(level);
                break;
            default:
                break;
            }
            continue;
        }
        if (!IsPointerEvent(e->type)) continue;
        Window* in = e->window ? e->window.get() : app.WindowWithNumber(e->windowNumber);
        const Point screen = in ? in->ConvertBaseToScreen(e->locationInWindow) : e->locationInWindow;
        size_t level = 0;
        int index = -1;
        const bool over = hit(screen, &level, &index);
        if (IsMouseDown(e->type) && !over) return nullptr;
        if (!over || index < 0) continue;
        MenuItem* item = m_levels[level]->MenuContent()->GetMenu()->ItemAtIndex(index);
        if (IsMouseUp(e->type) && choosable(item)) return item;
        highlight(level, index);
    }
}

} // namespace

Rect Menu::ItemFrameInPopUp(const Menu& menu, int index) {
    const double width = popUpWidth(menu);
    double y = kPadding;
    for (int i = 0; i < menu.NumberOfItems(); ++i) {
        const double h = menu.ItemAtIndex(i)->IsSeparatorItem() ? kSeparatorHeight : kItemHeight;
        if (i == index) return Rect(0, y, width, h);
        y += h;
    }
    return Rect(0, 0, width, y + kPadding);
}

void Menu::PopUpContextMenu(Menu* menu, const Event& event, View* view) {
    if (!menu) return;
    Ref<Menu> keep(menu);
    Point at = event.locationInWindow;
    if (Window* w = view ? view->GetWindow() : nullptr) at = w->ConvertBaseToScreen(at);
    Ref<MenuItem> chosen;
    {
        Tracker tracker(menu, at);
        chosen = tracker.Run();
    }
    if (chosen && chosen->Action()) chosen->Action()(chosen->Target(), chosen.get());
}

} // namespace platform::wsys
