// Cursors, the pointer position and the relative mouse mode.
#include "kit/winl/winl-kb.h"

#include "kit/winl/winl-wnd.h"
#include "platform/ResourceFile.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Cursor.h"
#include "platform/wsys/ImageFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

namespace wsys = platform::wsys;

namespace {

// Our cursor pictures, one character a pixel: '.' clear, 'X' black, 'o' white.
const char kPictures[2][16][17] = {
    // Move: a cross.
    {
        "......oooo......", "......oXXo......", "......oXXo......", "......oXXo......",
        "......oXXo......", "......oXXo......", "oooooooXXooooooo", "oXXXXXXXXXXXXXXo",
        "oXXXXXXXXXXXXXXo", "oooooooXXooooooo", "......oXXo......", "......oXXo......",
        "......oXXo......", "......oXXo......", "......oXXo......", "......oooo......",
    },
    // Resize along the diagonal from top left to bottom right.
    {
        "oooooooo........", "oXXXXXXo........", "oXXXXXo.........", "oXXXXo..........",
        "oXXXXXo.........", "oXXoXXXo........", "oXo.oXXXo.......", "oo...oXXXo......",
        "......oXXXo...oo", ".......oXXXo.oXo", "........oXXXoXXo", ".........oXXXXXo",
        "..........oXXXXo", ".........oXXXXXo", "........oXXXXXXo", "........oooooooo",
    },
};

// Pictures as the cursor maker takes them: a byte a pixel, grey level in the high nibble,
// opacity in the low one.
using Picture = std::array<uint8_t, 256>;

Picture pictureBytes(int index) {
    Picture bytes{};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const char c = kPictures[index][y][x];
            bytes[size_t(y * 16 + x)] = c == 'X' ? 0x0F : c == 'o' ? 0xFF : 0x00;
        }
    return bytes;
}

wsys::Ref<wsys::Cursor> MakeCursorFromData(const Picture& picture) {
    platform::Image image{16, 16};
    for (size_t i = 0; i < picture.size(); ++i) {
        const uint8_t b = picture[i];
        const int level = (b & 0xF0) | (b >> 4);
        const int alpha = (b & 0x0F) | (b << 4 & 0xF0);
        image.pixels[i] = wsys::MakePixel(level, level, level, alpha);
    }
    return wsys::Make<wsys::Cursor>(image, wsys::Point{8, 8});
}

// The built-in cursors: picture 1, picture 2, and picture 2 mirrored left to right.
HCURSOR MakeWINLSystemCursor(int slot) {
    static wsys::Ref<wsys::Cursor> cache[3];
    if (!cache[slot]) {
        Picture picture = pictureBytes(slot == 0 ? 0 : 1);
        if (slot == 2)
            for (size_t row = 0; row < 16; ++row)
                std::reverse(picture.begin() + row * 16, picture.begin() + row * 16 + 16);
        cache[slot] = MakeCursorFromData(picture);
    }
    return cache[slot].get();
}

const struct {
    intptr_t id;
    wsys::Cursor* (*make)();
} kPlatformCursors[] = {
    {-1005, wsys::Cursor::IBeam},        {-1004, wsys::Cursor::ResizeUp},
    {-1001, wsys::Cursor::ResizeUpDown}, {-1000, wsys::Cursor::ResizeLeftRight},
    {-999, wsys::Cursor::Arrow},         {32649, wsys::Cursor::OpenHand},
};
const struct {
    intptr_t id;
    int slot;
} kBuiltInCursors[] = {{-1002, 0}, {-1006, 1}, {-1007, 2}};

wsys::Ref<wsys::Cursor> m_last_setcursor;
int m_curvis_cnt = 0;
int g_winl_mouse_relmode = 0;
POINT g_winl_mouse_relmode_curpos{};

bool readFull(int fd, void* buf, size_t n) {
    auto* p = static_cast<uint8_t*>(buf);
    while (n) {
        const ssize_t got = read(fd, p, n);
        if (got <= 0) return false;
        p += got;
        n -= size_t(got);
    }
    return true;
}

bool writeFull(int fd, const void* buf, size_t n) {
    auto* p = static_cast<const uint8_t*>(buf);
    while (n) {
        const ssize_t put = write(fd, p, n);
        if (put <= 0) return false;
        p += put;
        n -= size_t(put);
    }
    return true;
}

// A cursor file (reserved 0, type 2, one image) rewritten as an icon file into a new private
// temporary file, which is loaded and deleted. False for anything else.
bool loadCursorFile(const std::string& path, platform::Image* out, POINT* hotspot) {
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    static const uint8_t kCursorHeader[6] = {0, 0, 2, 0, 1, 0};
    uint8_t header[6];
    if (!readFull(in, header, sizeof header) || std::memcmp(header, kCursorHeader, 6) != 0) {
        close(in);
        return false;
    }
    const char* folder = getenv("TEMP");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/winlcurXXXXXX.ico";
    // Made new and private: nothing planted under the name can be followed or read.
    const int tmp = mkostemps(name.data(), 4, O_CLOEXEC);
    if (tmp < 0) {
        close(in);
        return false;
    }
    header[2] = 1;
    uint8_t entry[16];
    bool ok = writeFull(tmp, header, sizeof header) && readFull(in, entry, sizeof entry) &&
              entry[3] == 0;
    POINT spot{};
    if (ok) {
        spot = POINT{entry[4] | entry[5] << 8, entry[6] | entry[7] << 8};
        static const uint8_t kPlanesAndBits[4] = {1, 0, 0, 0};
        std::memcpy(entry + 4, kPlanesAndBits, 4);
        ok = writeFull(tmp, entry, sizeof entry);
        uint8_t block[4096];
        ssize_t n;
        while (ok && (n = read(in, block, sizeof block)) > 0)
            ok = writeFull(tmp, block, size_t(n));
    }
    close(tmp);
    close(in);
    ok = ok && wsys::LoadImageFile(name, out);
    unlink(name.c_str());
    if (ok && hotspot) *hotspot = spot;
    return ok;
}

} // namespace

bool winl_imageFromCursorString(const char* name, platform::Image* out, POINT* hotspot) {
    if (!name || !out) return false;
    const size_t length = strlen(name);
    const bool resource = !strchr(name, '/') && length < 1024;
    const bool cursorFile = length >= 5 && strcasecmp(name + length - 4, ".cur") == 0;
    if (!resource && !cursorFile) return wsys::LoadImageFile(name, out);
    if (loadCursorFile(resource ? platform::ResourcePath(std::string(name) + ".cur") : name, out,
                       hotspot))
        return true;
    return resource ? wsys::LoadNamedImage(name, out) : wsys::LoadImageFile(name, out);
}

HCURSOR WINL_LoadCursor(const char* id) {
    const intptr_t value = intptr_t(id);
    for (const auto& c : kPlatformCursors)
        if (c.id == value) return c.make();
    for (const auto& c : kBuiltInCursors)
        if (c.id == value) return MakeWINLSystemCursor(c.slot);
    for (WINL_CursorResourceIndex* r = WINL_curmodule_cursorresource_head; r; r = r->next) {
        if (r->id != id) continue;
        if (r->cursor) return r->cursor;
        platform::Image image{0, 0};
        POINT spot{r->hotspot_x, r->hotspot_y};
        if (!winl_imageFromCursorString(r->resname, &image, &spot)) continue;
        r->hotspot_x = spot.x;
        r->hotspot_y = spot.y;
        r->cursor = wsys::Make<wsys::Cursor>(image, wsys::Point{double(spot.x), double(spot.y)})
                        .Detach();
        return r->cursor;
    }
    return nullptr;
}

HCURSOR WINL_LoadCursorFromFile(const char* name) {
    platform::Image image{0, 0};
    POINT spot{};
    if (!winl_imageFromCursorString(name, &image, &spot)) return nullptr;
    return wsys::Make<wsys::Cursor>(image, wsys::Point{double(spot.x), double(spot.y)}).Detach();
}

void WINL_SetCursor(HCURSOR cursor) {
    if (auto* c = dynamic_cast<wsys::Cursor*>(cursor)) {
        c->Set();
        m_last_setcursor = c;
    } else {
        m_last_setcursor = nullptr;
        wsys::Cursor::Arrow()->Set();
    }
}

HCURSOR WINL_GetCursor() {
    return wsys::App().CurrentCursor();
}

HCURSOR WINL_GetLastSetCursor() {
    return m_last_setcursor.get();
}

int WINL_ShowCursor(bool show) {
    wsys::Application& app = wsys::App();
    m_curvis_cnt += show ? 1 : -1;
    if (!show && m_curvis_cnt == -1) {
        if (!g_winl_mouse_relmode) GetCursorPos(&g_winl_mouse_relmode_curpos);
        app.HideCursor();
        app.AssociateMouseAndCursor(false);
        g_winl_mouse_relmode = 1;
    } else if (show && m_curvis_cnt == 0) {
        app.ShowCursor();
        app.AssociateMouseAndCursor(true);
        g_winl_mouse_relmode = 0;
        app.WarpCursor(wsys::Point{double(g_winl_mouse_relmode_curpos.x),
                                   app.MainDisplayHeight() - g_winl_mouse_relmode_curpos.y});
    }
    return m_curvis_cnt;
}

bool WINL_IsCursorVisible() {
    return m_curvis_cnt >= 0;
}

int WINL_SetCursorPos(int x, int y) {
    if (g_winl_mouse_relmode) {
        g_winl_mouse_relmode_curpos = POINT{x, y};
        return 1;
    }
    wsys::App().WarpCursor(wsys::Point{double(x), wsys::App().MainDisplayHeight() - y});
    return 1;
}

int GetCursorPos(POINT* pt) {
    if (!pt) return 0;
    if (g_winl_mouse_relmode) {
        *pt = g_winl_mouse_relmode_curpos;
        return 1;
    }
    const wsys::Point p = wsys::App().MouseLocation();
    *pt = POINT{int(std::floor(p.x)), int(std::ceil(p.y))};
    return 1;
}

unsigned int GetMessagePos() {
    POINT p{};
    GetCursorPos(&p);
    return uint32_t(p.y) << 16 | (uint32_t(p.x) & 0xFFFF);
}

wsys::Point winlProcessMouseEvent(unsigned int msg, wsys::View* view, const wsys::Event& e) {
    if (!g_winl_mouse_relmode) return view->ConvertPointFromView(e.locationInWindow, nullptr);
    if (msg == WM_MOUSEMOVE) {
        g_winl_mouse_relmode_curpos.x += int(e.deltaX);
        g_winl_mouse_relmode_curpos.y -= int(e.deltaY);
    }
    POINT p = g_winl_mouse_relmode_curpos;
    ScreenToClient(view, &p);
    return wsys::Point{double(p.x), double(p.y)};
}
