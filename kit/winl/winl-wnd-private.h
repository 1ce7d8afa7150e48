#pragma once

// What the window-function files share: how a handle is read as a view or a window.

#include "kit/winl/winl-misc.h"
#include "platform/wsys/Controls.h"
#include "platform/wsys/ScrollView.h"
#include "platform/wsys/Window.h"

#include <cmath>

inline bool WINL_IsContentView(const platform::wsys::View* v) {
    return v && v->GetWindow() && v->GetWindow()->ContentView() == v;
}

// The view itself, or a window's content view.
inline platform::wsys::View* WINL_ViewOf(HWND hwnd) {
    if (auto* window = dynamic_cast<platform::wsys::Window*>(hwnd)) return window->ContentView();
    return dynamic_cast<platform::wsys::View*>(hwnd);
}

// The window itself, or the window of its content view.
inline platform::wsys::Window* WINL_TopLevelOf(HWND hwnd) {
    if (auto* view = dynamic_cast<platform::wsys::View*>(hwnd))
        return WINL_IsContentView(view) ? view->GetWindow() : nullptr;
    return dynamic_cast<platform::wsys::Window*>(hwnd);
}

// The scroll view that shows the view as its document, else the view: it stands for the view
// in geometry, stacking and parenting.
inline platform::wsys::View* WINL_EffectiveView(platform::wsys::View* v) {
    if (auto* clip = dynamic_cast<platform::wsys::ClipView*>(v->Superview()))
        if (auto* scroll = dynamic_cast<platform::wsys::ScrollView*>(clip->Superview()))
            return scroll;
    return v;
}

// Whether the handle is in the view's tree below it: direct subviews first, then each
// subview's tree. The handle is compared, never followed.
inline bool WINL_TreeHolds(const platform::wsys::View* tree, HWND hwnd) {
    for (const platform::wsys::Ref<platform::wsys::View>& v : tree->Subviews())
        if (v.get() == hwnd) return true;
    for (const platform::wsys::Ref<platform::wsys::View>& v : tree->Subviews())
        if (WINL_TreeHolds(v.get(), hwnd)) return true;
    return false;
}

// The frontmost visible window whose frame holds a screen point: the key window first when it
// is not among the ordered ones.
platform::wsys::Window* WINL_WindowUnder(platform::wsys::Point screen);

// A coordinate in whole pixels: (value + 0.5) truncated toward zero.
inline int WINL_RoundCoordinate(double v) {
    return int(std::trunc(v + 0.5));
}

// EM_SETSEL's range on a text of the length: end -1 is the length, start -1 no selection;
// each end held to the text (a negative end to 0), swapped when the end comes first.
platform::wsys::TextRange WINL_EditSelection(int start, int end, size_t length);
// EM_GETSEL's answer: the start and the end into the optional int pointers.
inline void WINL_StoreSelection(platform::wsys::TextRange r, WPARAM start, LPARAM end) {
    if (auto* p = reinterpret_cast<int*>(start)) *p = int(r.location);
    if (auto* p = reinterpret_cast<int*>(end)) *p = int(r.location + r.length);
}

// A point in a message's lParam: y in the high word, x in the low one.
inline LPARAM WINL_PackPoint(int x, int y) {
    return LPARAM(int32_t(uint32_t(y) << 16 | (uint32_t(x) & 0xFFFF)));
}
