#include "platform/view/X11Input.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <cstring>

namespace platform::x11 {
namespace {

constexpr Time kDoubleClickMs = 400;
constexpr int kDoubleClickPixels = 4;

const struct {
    KeySym keysym;
    ViewKey key;
} kKeys[] = {
    {XK_space, ViewKey::kSpace},         {XK_Left, ViewKey::kLeft},
    {XK_Right, ViewKey::kRight},         {XK_Up, ViewKey::kUp},
    {XK_Down, ViewKey::kDown},           {XK_Return, ViewKey::kReturn},
    {XK_KP_Enter, ViewKey::kEnter},      {XK_Tab, ViewKey::kTab},
    {XK_ISO_Left_Tab, ViewKey::kTab},    {XK_Escape, ViewKey::kEscape},
    {XK_BackSpace, ViewKey::kBackSpace}, {XK_Delete, ViewKey::kDelete},
    {XK_KP_Delete, ViewKey::kDelete},    {XK_Home, ViewKey::kHome},
    {XK_KP_Home, ViewKey::kHome},        {XK_End, ViewKey::kEnd},
    {XK_KP_End, ViewKey::kEnd},          {XK_KP_Left, ViewKey::kLeft},
    {XK_KP_Right, ViewKey::kRight},      {XK_KP_Up, ViewKey::kUp},
    {XK_KP_Down, ViewKey::kDown},        {XK_Page_Up, ViewKey::kPageUp},
    {XK_KP_Page_Up, ViewKey::kPageUp},   {XK_Page_Down, ViewKey::kPageDown},
    {XK_KP_Page_Down, ViewKey::kPageDown},
};

void modifiers(unsigned state, ViewEvent* out) {
    out->shift = state & ShiftMask;
    out->control = state & ControlMask;
    out->alt = state & Mod1Mask;
    out->command = state & Mod4Mask;
}

// UTF-8 of a code point below 0x110000.
void encode(unsigned long c, char* text) {
    if (c < 0x80) {
        text[0] = char(c);
    } else if (c < 0x800) {
        text[0] = char(0xC0 | (c >> 6));
        text[1] = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text[0] = char(0xE0 | (c >> 12));
        text[1] = char(0x80 | ((c >> 6) & 0x3F));
        text[2] = char(0x80 | (c & 0x3F));
    } else {
        text[0] = char(0xF0 | (c >> 18));
        text[1] = char(0x80 | ((c >> 12) & 0x3F));
        text[2] = char(0x80 | ((c >> 6) & 0x3F));
        text[3] = char(0x80 | (c & 0x3F));
    }
}

// False for the modifier keys alone, which are no key press of their own to the editor.
bool translateKey(XKeyEvent& key, ViewEvent* out) {
    // The characters as shift and caps lock make them; control, alt and command are left out.
    XKeyEvent plain = key;
    plain.state &= ShiftMask | LockMask;
    char latin1[8] = {};
    KeySym keysym = NoSymbol;
    const int n = XLookupString(&plain, latin1, sizeof latin1 - 1, &keysym, nullptr);
    if (IsModifierKey(keysym)) return false;
    for (const auto& k : kKeys)
        if (k.keysym == keysym) out->key = k.key;
    if (out->key != ViewKey::kCharacter && out->key != ViewKey::kSpace) return true;
    if ((keysym & 0xFF000000) == 0x01000000) {
        encode(keysym & 0x00FFFFFF, out->text); // a Unicode keysym
    } else if (n == 1 && static_cast<unsigned char>(latin1[0]) >= 0x20 && latin1[0] != 0x7F) {
        encode(static_cast<unsigned char>(latin1[0]), out->text);
    }
    return true;
}

} // namespace

int ClickCounter::Press(int button, Time time, int x, int y) {
    if (button != Button1) {
        m_pending = false;
        return 1;
    }
    const bool second = m_pending && time - m_time <= kDoubleClickMs &&
                        std::abs(x - m_x) <= kDoubleClickPixels &&
                        std::abs(y - m_y) <= kDoubleClickPixels;
    m_pending = !second;
    m_time = time;
    m_x = x;
    m_y = y;
    return second ? 2 : 1;
}

bool TranslateXEvent(XEvent& event, int window, ClickCounter& clicks, ViewEvent* out) {
    *out = ViewEvent();
    out->window = window;
    switch (event.type) {
    case ButtonPress:
    case ButtonRelease: {
        const XButtonEvent& b = event.xbutton;
        out->x = b.x;
        out->y = b.y;
        out->rootX = b.x_root;
        out->rootY = b.y_root;
        modifiers(b.state, out);
        if (b.button == Button4 || b.button == Button5) {
            if (event.type == ButtonRelease) return false;
            out->type = ViewEventType::kWheel;
            out->wheel = b.button == Button4 ? 1 : -1;
            return true;
        }
        if (b.button != Button1 && b.button != Button3) return false;
        out->button = int(b.button);
        if (event.type == ButtonRelease) {
            out->type = ViewEventType::kButtonUp;
            return true;
        }
        out->type = ViewEventType::kButtonDown;
        out->clicks = clicks.Press(int(b.button), b.time, b.x_root, b.y_root);
        return true;
    }
    case MotionNotify: {
        const XMotionEvent& m = event.xmotion;
        out->type = ViewEventType::kMotion;
        out->x = m.x;
        out->y = m.y;
        out->rootX = m.x_root;
        out->rootY = m.y_root;
        modifiers(m.state, out);
        out->button = (m.state & Button1Mask) ? 1 : (m.state & Button3Mask) ? 3 : 0;
        return true;
    }
    case KeyPress:
        out->type = ViewEventType::kKey;
        out->x = event.xkey.x;
        out->y = event.xkey.y;
        out->rootX = event.xkey.x_root;
        out->rootY = event.xkey.y_root;
        modifiers(event.xkey.state, out);
        return translateKey(event.xkey, out);
    case FocusOut:
        // Our own grabs move the focus too; only a move to another window counts.
        if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab ||
            event.xfocus.detail == NotifyInferior || event.xfocus.detail == NotifyPointer)
            return false;
        out->type = ViewEventType::kFocusOut;
        return true;
    default:
        return false;
    }
}

} // namespace platform::x11
