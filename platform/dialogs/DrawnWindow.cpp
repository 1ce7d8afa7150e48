#include "platform/dialogs/DrawnWindow.h"

#include "platform/Canvas.h"
#include "platform/dialogs/OwnerWindow.h"
#include "platform/text/FontResolver.h"
#include "platform/text/TextFont.h"
#include "platform/view/X11Connection.h"
#include "platform/view/X11Image.h"
#include "platform/view/X11Input.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace platform::dialogs {

namespace {

constexpr float kFontSize = 13.0f;

std::shared_ptr<TextFont> labelFont() {
    static const FontLocation where = [] {
        FontLocation found;
        ResolveLabelFont(&found);
        return found;
    }();
    return where.file.empty() ? nullptr : TextFont::Open(where, kFontSize);
}

} // namespace

int TextWidth(const std::string& text) {
    std::u32string codes;
    const std::shared_ptr<TextFont> font = labelFont();
    return font && DecodeUtf8(text, &codes) ? int(font->LineWidth(codes) + 0.5) : 0;
}

struct DrawnWindow::Impl {
    Display* display = nullptr;
    ::Window window = 0;
    GC gc = nullptr;
    Atom deleteWindow = 0;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    std::unique_ptr<Canvas> canvas;
    std::shared_ptr<TextFont> font;
    std::unique_ptr<x11::WindowImage> image;
    x11::ClickCounter clicks;
    bool exposed = false;

    ~Impl() {
        if (!display) return;
        image.reset();
        if (gc) XFreeGC(display, gc);
        if (window) XDestroyWindow(display, window);
        x11::CloseDisplay(display);
    }
};

DrawnWindow::DrawnWindow(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}

DrawnWindow::~DrawnWindow() = default;

std::unique_ptr<DrawnWindow> DrawnWindow::Open(const std::string& title, int width, int height,
                                               const Owner& owner) {
    auto impl = std::make_unique<Impl>();
    if (!(impl->font = labelFont())) return nullptr;
    impl->display = x11::OpenDisplay();
    if (!impl->display) return nullptr;
    Display* d = impl->display;
    const int screen = DefaultScreen(d);
    impl->width = width;
    impl->height = height;
    const OwnerPlace place = FindOwnerPlace(owner, d);
    const ViewRect over = place.area.IsEmpty()
                              ? ViewRect{0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)}
                              : place.area;
    // Centred on the owner, but whole on the screen where the owner is near its edge.
    const int x = std::clamp(over.left + (over.Width() - width) / 2, 0,
                             std::max(DisplayWidth(d, screen) - width, 0));
    const int y = std::clamp(over.top + (over.Height() - height) / 2, 0,
                             std::max(DisplayHeight(d, screen) - height, 0));
    impl->window =
        XCreateSimpleWindow(d, RootWindow(d, screen), x, y, unsigned(width), unsigned(height), 0,
                            BlackPixel(d, screen), WhitePixel(d, screen));
    Xutf8SetWMProperties(d, impl->window, title.c_str(), title.c_str(), nullptr, 0, nullptr,
                         nullptr, nullptr);
    // The window manager keeps it above the host's window and leaves it where it was put.
    if (place.topLevel) XSetTransientForHint(d, impl->window, place.topLevel);
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize | USPosition | PPosition;
    hints->x = x;
    hints->y = y;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(d, impl->window, hints);
    XFree(hints);
    impl->deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, impl->window, &impl->deleteWindow, 1);
    XSelectInput(d, impl->window, KeyPressMask | ButtonPressMask | ExposureMask | StructureNotifyMask);
    impl->gc = XCreateGC(d, impl->window, 0, nullptr);
    impl->image = std::make_unique<x11::WindowImage>(d, DefaultVisual(d, screen),
                                                     DefaultDepth(d, screen), false);
    impl->pixels.assign(size_t(width) * size_t(height), 0);
    impl->canvas = std::make_unique<Canvas>(impl->pixels.data(), width, height, width);
    impl->canvas->SetShouldAntialias(true);
    if (!impl->image->Resize(width, height)) return nullptr;
    XMapRaised(d, impl->window);
    XFlush(d);
    return std::unique_ptr<DrawnWindow>(new DrawnWindow(std::move(impl)));
}

void DrawnWindow::Fill(int x, int y, int w, int h, uint32_t colour) {
    const int left = std::max(x, 0), right = std::min(x + w, m->width);
    for (int row = std::max(y, 0); row < std::min(y + h, m->height); ++row)
        std::fill(m->canvas->Row(row) + left, m->canvas->Row(row) + std::max(left, right), colour);
}

void DrawnWindow::Frame(int x, int y, int w, int h, uint32_t colour) {
    Fill(x, y, w, 1, colour);
    Fill(x, y + h - 1, w, 1, colour);
    Fill(x, y, 1, h, colour);
    Fill(x + w - 1, y, 1, h, colour);
}

void DrawnWindow::Text(int x, int baseline, const std::string& text, uint32_t colour,
                       int maxWidth) {
    std::u32string codes;
    if (!DecodeUtf8(text, &codes)) return;
    const CanvasColor c{float((colour >> 8) & 0xFF) / 255, float((colour >> 16) & 0xFF) / 255,
                        float(colour >> 24) / 255, 1.0f};
    m->canvas->SaveState();
    m->canvas->ClipToRect({x, 0, x + maxWidth, m->height});
    m->font->DrawLine(*m->canvas, x, baseline, codes, c);
    m->canvas->RestoreState();
}

void DrawnWindow::Show() {
    m->image->Put(m->window, m->gc, {m->pixels.data(), m->width, m->height, m->width},
                  {0, 0, m->width, m->height});
    XFlush(m->display);
}

std::vector<ViewEvent> DrawnWindow::TakeInput() {
    std::vector<ViewEvent> input;
    while (!x11::IsLost(m->display) && XPending(m->display)) {
        XEvent event;
        XNextEvent(m->display, &event);
        ViewEvent e;
        switch (event.type) {
        case MapNotify:
            // Without a window manager nothing else gives it the keyboard.
            XSetInputFocus(m->display, m->window, RevertToParent, CurrentTime);
            break;
        case Expose:
            m->exposed = true;
            break;
        case ClientMessage:
            if (Atom(event.xclient.data.l[0]) == m->deleteWindow) {
                e.type = ViewEventType::kKey;
                e.key = ViewKey::kEscape;
                input.push_back(e);
            }
            break;
        default:
            if (x11::TranslateXEvent(event, 0, m->clicks, &e)) input.push_back(e);
        }
    }
    // A lost connection leaves the dialog nothing to show: it is closed.
    if (x11::IsLost(m->display)) {
        ViewEvent e;
        e.type = ViewEventType::kKey;
        e.key = ViewKey::kEscape;
        input.push_back(e);
    }
    return input;
}

bool DrawnWindow::TakeExposed() {
    const bool exposed = m->exposed;
    m->exposed = false;
    return exposed;
}

} // namespace platform::dialogs
