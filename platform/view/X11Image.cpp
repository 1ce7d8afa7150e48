#include "platform/view/X11Image.h"

#include "platform/view/X11Connection.h"

#include <cstdlib>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace platform::x11 {
namespace {

ChannelPlace placeOf(unsigned long mask) {
    ChannelPlace place;
    if (!mask) return place;
    while (!(mask & 1)) {
        mask >>= 1;
        ++place.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++place.bits;
    }
    return place;
}

int hostByteOrder() {
    const uint16_t probe = 1;
    return *reinterpret_cast<const uint8_t*>(&probe) ? LSBFirst : MSBFirst;
}

} // namespace

PixelFormat::PixelFormat(unsigned long redMask, unsigned long greenMask, unsigned long blueMask)
    : m_red(placeOf(redMask)), m_green(placeOf(greenMask)), m_blue(placeOf(blueMask)) {}

WindowImage::WindowImage(Display* display, Visual* visual, int depth, bool sharedMemory)
    : m_display(display), m_visual(visual), m_depth(depth), m_trySharedMemory(sharedMemory),
      m_format(visual->red_mask, visual->green_mask, visual->blue_mask) {}

WindowImage::~WindowImage() {
    release();
}

void WindowImage::release() {
    if (!m_image) return;
    if (m_shm.shmaddr) {
        XShmDetach(m_display, &m_shm);
        XSync(m_display, False);
        shmdt(m_shm.shmaddr);
        m_image->data = nullptr;
        m_shm = {};
    }
    XDestroyImage(m_image);
    m_image = nullptr;
}

bool WindowImage::makeShared(int width, int height) {
    if (!m_trySharedMemory || !XShmQueryExtension(m_display)) return false;
    m_image = XShmCreateImage(m_display, m_visual, unsigned(m_depth), ZPixmap, nullptr, &m_shm,
                              unsigned(width), unsigned(height));
    if (!m_image) return false;
    m_shm.shmid =
        shmget(IPC_PRIVATE, size_t(m_image->bytes_per_line) * size_t(height), IPC_CREAT | 0600);
    void* address = m_shm.shmid < 0 ? reinterpret_cast<void*>(-1) : shmat(m_shm.shmid, nullptr, 0);
    bool attached = false;
    if (address != reinterpret_cast<void*>(-1)) {
        m_shm.shmaddr = m_image->data = static_cast<char*>(address);
        m_shm.readOnly = False;
        XSync(m_display, False);
        TakeErrors(m_display);
        // A server on another machine cannot attach: that shows as an error after the sync.
        attached = XShmAttach(m_display, &m_shm) && (XSync(m_display, False), true) &&
                   TakeErrors(m_display) == 0;
    }
    // Marked for removal at once: it goes when the server and we have let go, even after a crash.
    if (m_shm.shmid >= 0) shmctl(m_shm.shmid, IPC_RMID, nullptr);
    if (attached) return true;
    if (m_shm.shmaddr) shmdt(m_shm.shmaddr);
    m_image->data = nullptr;
    m_shm = {};
    XDestroyImage(m_image);
    m_image = nullptr;
    return false;
}

bool WindowImage::Resize(int width, int height) {
    release();
    if (width <= 0 || height <= 0) return false;
    if (makeShared(width, height)) return true;
    m_image = XCreateImage(m_display, m_visual, unsigned(m_depth), ZPixmap, 0, nullptr,
                           unsigned(width), unsigned(height), 32, 0);
    if (!m_image) return false;
    m_image->data = static_cast<char*>(malloc(size_t(m_image->bytes_per_line) * size_t(height)));
    if (m_image->data) return true;
    XDestroyImage(m_image);
    m_image = nullptr;
    return false;
}

void WindowImage::Put(Drawable drawable, GC gc, const ViewPicture& picture, const ViewRect& area) {
    if (!m_image) return;
    const ViewRect r = area.Intersect({0, 0, m_image->width, m_image->height})
                           .Intersect({0, 0, picture.width, picture.height});
    if (r.IsEmpty()) return;
    const bool direct = m_image->bits_per_pixel == 32 && m_image->byte_order == hostByteOrder();
    for (int y = r.top; y < r.bottom; ++y) {
        const uint32_t* from = picture.pixels + ptrdiff_t(y) * picture.stride;
        if (direct) {
            auto* to =
                reinterpret_cast<uint32_t*>(m_image->data + ptrdiff_t(y) * m_image->bytes_per_line);
            for (int x = r.left; x < r.right; ++x)
                to[x] = m_format.Convert(from[x]);
        } else {
            for (int x = r.left; x < r.right; ++x)
                XPutPixel(m_image, x, y, m_format.Convert(from[x]));
        }
    }
    if (m_shm.shmaddr)
        XShmPutImage(m_display, drawable, gc, m_image, r.left, r.top, r.left, r.top,
                     unsigned(r.Width()), unsigned(r.Height()), False);
    else
        XPutImage(m_display, drawable, gc, m_image, r.left, r.top, r.left, r.top,
                  unsigned(r.Width()), unsigned(r.Height()));
    // The server has read the shared image before we write it again.
    XSync(m_display, False);
}

} // namespace platform::x11
