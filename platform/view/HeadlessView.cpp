#include "platform/view/HeadlessView.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

// Rows of RGB bytes; no object with a destructor lives here, so libpng's long jump may leave.
bool writePng(FILE* file, const uint32_t* pixels, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    png_bytep row = static_cast<png_bytep>(malloc(size_t(width) * 3));
    if (!info || !row || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        free(row);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            row[x * 3] = png_byte(p >> 8);
            row[x * 3 + 1] = png_byte(p >> 16);
            row[x * 3 + 2] = png_byte(p >> 24);
        }
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    free(row);
    return true;
}

} // namespace

HeadlessView::HeadlessView(ViewClient& client, int width, int height) : m_client(client) {
    Resize(width, height);
}

void HeadlessView::Show() {
    const ViewRect& area = m_windows[0].area;
    m_client.OnViewExpose(*this, 0, {0, 0, area.Width(), area.Height()});
}

bool HeadlessView::Send(const ViewEvent& event) {
    if (m_closed) return false;
    const bool taken = m_client.OnViewEvent(*this, event);
    if (!taken && event.type == ViewEventType::kKey) passedOn.push_back(event);
    return taken;
}

void HeadlessView::Queue(const ViewEvent& event) {
    m_queued.push_back(event);
}

void HeadlessView::Tick() {
    if (!m_closed) m_client.OnViewTick(*this);
}

const HeadlessView::Window* HeadlessView::Shown(int window) const {
    auto found = m_windows.find(window);
    return found == m_windows.end() ? nullptr : &found->second;
}

uint32_t HeadlessView::Pixel(int window, int x, int y) const {
    const Window* w = Shown(window);
    return w ? w->pixels[size_t(y) * size_t(w->area.Width()) + size_t(x)] : 0;
}

void HeadlessView::Put(int window, const ViewPicture& picture, const ViewRect& area) {
    auto found = m_windows.find(window);
    if (found == m_windows.end() || !found->second.open) return;
    Window& w = found->second;
    const int width = w.area.Width();
    const ViewRect r = area.Intersect({0, 0, width, w.area.Height()})
                           .Intersect({0, 0, picture.width, picture.height});
    puts.emplace_back(window, r);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            w.pixels[size_t(y) * size_t(width) + size_t(x)] =
                picture.pixels[ptrdiff_t(y) * picture.stride + x];
}

void HeadlessView::Resize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    Window& w = m_windows[0];
    w.area = {originX, originY, originX + width, originY + height};
    w.pixels.assign(size_t(width) * size_t(height), 0);
}

int HeadlessView::OpenPopup(const ViewRect& screenArea, bool grab) {
    if (screenArea.IsEmpty() || m_closed) return 0;
    Window w;
    w.area = screenArea;
    w.pixels.assign(size_t(screenArea.Width()) * size_t(screenArea.Height()), 0);
    w.grab = grab;
    m_windows[m_nextPopup] = std::move(w);
    return m_nextPopup++;
}

void HeadlessView::ClosePopup(int popup) {
    auto found = m_windows.find(popup);
    if (popup > 0 && found != m_windows.end()) found->second.open = false;
}

ViewRect HeadlessView::ToScreen(const ViewRect& area) {
    return {area.left + originX, area.top + originY, area.right + originX, area.bottom + originY};
}

bool HeadlessView::RunModal(const std::function<bool()>& done) {
    while (!done()) {
        if (m_queued.empty() || m_closed) return false;
        const ViewEvent next = m_queued.front();
        m_queued.pop_front();
        Send(next);
        // Time passes between a person's inputs.
        if (!done()) Tick();
    }
    return true;
}

bool HeadlessView::HideCursor(int* x, int* y) {
    *x = pointerX;
    *y = pointerY;
    cursorHidden = true;
    return true;
}

bool HeadlessView::ShowCursor(int x, int y) {
    pointerX = x;
    pointerY = y;
    cursorHidden = false;
    return true;
}

bool HeadlessView::WritePng(const std::string& path) const {
    const Window& w = m_windows.at(0);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = writePng(file, w.pixels.data(), w.area.Width(), w.area.Height());
    return fclose(file) == 0 && written;
}

} // namespace platform
