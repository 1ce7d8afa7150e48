#pragma once

#include "platform/view/View.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

namespace platform::x11 {

// How one colour channel sits in a pixel of a TrueColor visual.
struct ChannelPlace {
    int shift = 0; // of the lowest bit of the mask
    int bits = 0;  // set bits in the mask
};

// A visual's pixel layout: our pixel words become its pixels through the masks.
class PixelFormat {
public:
    PixelFormat(unsigned long redMask, unsigned long greenMask, unsigned long blueMask);
    // The visual's pixel of one of our words (bytes alpha, red, green, blue in memory).
    uint32_t Convert(uint32_t word) const {
        return channel(word >> 8, m_red) | channel(word >> 16, m_green) |
               channel(word >> 24, m_blue);
    }

private:
    static uint32_t channel(uint32_t value, const ChannelPlace& place) {
        const uint32_t v = value & 0xFF;
        return (place.bits >= 8 ? v << (place.bits - 8) : v >> (8 - place.bits)) << place.shift;
    }

    ChannelPlace m_red, m_green, m_blue;
};

// The client-side copy of one window's pixels in the visual's layout, put to the window with
// shared memory when the server attaches it, else with XPutImage.
class WindowImage {
public:
    WindowImage(Display* display, Visual* visual, int depth, bool sharedMemory);
    ~WindowImage();
    WindowImage(const WindowImage&) = delete;
    WindowImage& operator=(const WindowImage&) = delete;

    // Makes the image of the window's size; false when no image could be had.
    bool Resize(int width, int height);
    // Converts the area of the picture and puts it to the drawable at the same place.
    void Put(Drawable drawable, GC gc, const ViewPicture& picture, const ViewRect& area);
    bool SharedMemory() const { return m_shm.shmaddr != nullptr; }

private:
    void release();
    bool makeShared(int width, int height);

    Display* m_display;
    Visual* m_visual;
    int m_depth;
    bool m_trySharedMemory;
    PixelFormat m_format;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_shm = {};
};

} // namespace platform::x11
