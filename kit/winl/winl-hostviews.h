#pragma once

// Platform bridges of the window view: views hosting a Carbon window or an Audio Unit's
// editor view (neither exists here: they take their failure paths), drag and drop of promised
// files and file lists, drop hooks, GL contexts, and title colours of buttons.

#include "kit/winl/winl-dlg.h"

#include <string>
#include <vector>

constexpr unsigned int WM_DROPFILES = 0x233;

// A window view made to host a Carbon window. There is no Carbon here: the host never gets a
// window, so its calls change nothing but the key flag.
class Winl_vZoz_hwndcarbonhost : public Winl_vZoz_hwnd {
public:
    static platform::wsys::Ref<Winl_vZoz_hwndcarbonhost> initCarbonChild(HWND parent);
    bool winlIsCarbonHostingView() const { return true; }
    bool IsOpaque() const override { return false; }
    void winlSetWantAllKeys(bool on) { m_wantallkeys = on; }
    bool winlWantsAllKeys() const { return m_wantallkeys; }
    void* winlCarbonWindow() const { return m_cwnd; }

private:
    using Winl_vZoz_hwnd::Winl_vZoz_hwnd;
    void* m_cwnd = nullptr;
    bool m_wantallkeys = false;
};

// The host view, added to the parent; *outRef = its Carbon window (always null here).
HWND WINL_CreateCarbonWindowView(HWND parent, void** outRef, const RECT* rect, bool composited);
void* WINL_GetWindowFromCarbonWindowView(HWND host);
void WINL_CarbonWndHost_SetWantAllKeys(HWND host, bool on);
// Does nothing: the host has no Carbon window to watch the pane in.
void WINL_AddCarbonPaneToView(HWND host, void* control);
// No Audio Unit editor views can be loaded here: null.
struct AudioUnitCocoaViewInfo;
HWND WINL_GetAudioUnitCocoaView(HWND parent, void* audioUnit, const AudioUnitCocoaViewInfo* info,
                                RECT* rect);

// Drags out of a window view. The promised file is written on drop by the callback, given the
// target path; one promised drag is pending per process until the drop, a new drag, a mouse
// down in a window view or WINL_FinishDragDrop.
typedef void (*WINL_DragDropWriter)(const char* target);
void WINL_InitiateDragDrop(HWND hwnd, const RECT* rect, const char* name,
                           WINL_DragDropWriter writer);
void WINL_InitiateDragDropOfFileList(HWND hwnd, const RECT* rect, const char** paths, int count,
                                     HGDIOBJ icon);
void WINL_FinishDragDrop();
// The drop of the pending promised file into the folder: the name written, none when nothing
// was (the user stopped, no free name, the writer failed). The pending drag is forgotten.
std::vector<std::string> WINL_DoDragDrop(const char* folder);

// Drop hooks (each may be null): the drag entering a view that takes drops, with a preview
// block and the screen point; its moves; its leaving or drop; and the folder promised files
// of the type are dropped into (without this hook such drops are refused; a null or empty
// answer drops them into a fresh private folder).
extern void (*WINL_DDrop_onDragEnter)(HGLOBAL block, int x, int y);
extern void (*WINL_DDrop_onDragOver)(int x, int y);
extern void (*WINL_DDrop_onDragLeave)();
extern const char* (*WINL_DDrop_getDroppedFileTargetPath)(const char* firstPromisedType);

// GL contexts of window views; other handles have none.
void WINL_SetViewGL(HWND hwnd, bool on);
bool WINL_GetViewGL(HWND hwnd);
// Makes the view's context current (true); null clears the current context (false).
bool WINL_SetGLContextToView(HWND hwnd);

// A button's title colour: the standard control text colour until one is set.
platform::wsys::Color WINL_GetButtonTextColor(platform::wsys::Button* button);
void WINL_SetButtonTextColor(platform::wsys::Button* button, const platform::wsys::Color& color);
