#pragma once

// Keyboard and pointer: platform key events as Win32 virtual keys and accelerator flags, the
// state of keys and buttons, cursors (the platform's, three pictures of our own, cursor
// files and resources), the pointer position and a relative mouse mode that hides the
// pointer and keeps a virtual position while the show count is below zero. Screen
// coordinates are the platform's: y runs up from the bottom of the main display.

#include "kit/winl/winl-misc.h"
#include "platform/Image.h"
#include "platform/wsys/Event.h"
#include "platform/wsys/View.h"

typedef platform::wsys::Object* HCURSOR;

// Accelerator flags.
enum : int { FVIRTKEY = 0x01, FSHIFT = 0x04, FCONTROL = 0x08, FALT = 0x10, FCONTROLKEY = 0x20 };

// The key of an event (null: the application's current one) and its flags (out may be null).
// Mode 1 reads the event's own characters first and asks the keyboard layout for keys
// without any; mode 0 reads the characters ignoring modifiers only.
int WINL_MacKeyToWindowsKeyEx(platform::wsys::Event* e, int* flags, int mode);
// Mode 0; 0 for a null event.
int WINL_MacKeyToWindowsKey(platform::wsys::Event* e, int* flags);
// The shifted character of a digit key when flags are exactly FVIRTKEY | FSHIFT (out is then
// set to 0); else 0, out untouched.
int WINL_KeyToASCII(int key, int flags, int* out);
// The character a key types without modifiers in the current layout, 0 when none.
int charFromVcode(int keyCode);
// 0x8000 while the mouse button (1, 2, 4) or modifier key (16 Shift, 17 Command, 18 Option,
// 91 Control) is down.
short GetAsyncKeyState(int vk);

// One cursor resource of the module.
struct WINL_CursorResourceIndex {
    const char* id; // compared as a pointer value
    const char* resname;
    int hotspot_x, hotspot_y;
    HCURSOR cursor; // made on the first load
    WINL_CursorResourceIndex* next;
};
extern WINL_CursorResourceIndex* WINL_curmodule_cursorresource_head;

// A cursor kept by the layer (do not release it), or null: -1005 I-beam, -1004 resize up,
// -1001 resize up-down, -1000 resize left-right, -999 arrow, 32649 open hand (the platform's);
// -1002 move, -1006 resize along the falling diagonal, -1007 along the rising one (pictures
// of ours); -1003 none; any other id a cursor resource's.
HCURSOR WINL_LoadCursor(const char* id);
// A new cursor (the caller releases it) from a cursor file, an image file or a cursor
// resource's name (".cur" in the bundle resources), or null.
HCURSOR WINL_LoadCursorFromFile(const char* name);
// A cursor file's picture with its hot spot, or another image file's picture (hot spot left
// alone). A cursor file becomes an icon file in a private temporary file, which is deleted.
bool winl_imageFromCursorString(const char* name, platform::Image* out, POINT* hotspot);
// A cursor becomes current and is remembered; anything else sets the arrow.
void WINL_SetCursor(HCURSOR cursor);
HCURSOR WINL_GetCursor();
HCURSOR WINL_GetLastSetCursor();
// The new show count.
int WINL_ShowCursor(bool show);
bool WINL_IsCursorVisible();
int WINL_SetCursorPos(int x, int y);
int GetCursorPos(POINT* pt);
// y << 16 | (x & 0xFFFF) of the pointer.
unsigned int GetMessagePos();
// A mouse event's position in the view's coordinates; in relative mode the virtual pointer,
// which a move first moves by the event's deltas.
platform::wsys::Point winlProcessMouseEvent(unsigned int msg, platform::wsys::View* view,
                                            const platform::wsys::Event& e);
