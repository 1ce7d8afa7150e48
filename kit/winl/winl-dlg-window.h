#pragma once

// Dialogs from resource records and the layer's top-level windows: a record becomes a child
// dialog view, a modeless window or a modal dialog box. Both window classes hold a window view
// as their content view and turn what happens to the window (moving, resizing, size limits,
// key status, the close box) into messages for that view; they keep a list of owned windows
// raised above them and switch the application's main menu when they become key.

#include "kit/winl/winl-dlg.h"
#include "platform/wsys/Window.h"

#include <utility>

// Levels of owned windows follow their owners while this is set (the default).
extern int WINL_owned_windows_levelincrease;

// What both window classes share. Everything runs on the UI thread.
template <class Base> class WinlTopLevelWindow : public Base, public WinlOwnerWindow {
public:
    // After the platform's change, WM_SIZE (0, 0) to the content view when the whole-pixel
    // size changed, and an opaque content view is invalidated.
    void SetFrame(const platform::wsys::Rect& frame, bool display) override;
    // WM_MOVE (0, y << 16 | x) with the whole-pixel frame origin.
    void WindowDidMove() override;
    // The platform's limits as the content view's WM_GETMINMAXINFO leaves them; a maximum
    // left at 1000000 keeps the platform's own.
    platform::wsys::Size MinSize() const override;
    platform::wsys::Size MaxSize() const override;
    // WM_ACTIVATE (1, the content view of the window that was key before) and
    // WM_MOUSEACTIVATE; the main menu becomes the content view's, else the default one.
    void BecomeKeyWindow() override;
    // WM_ACTIVATE (0, 0).
    void ResignKeyWindow() override;
    bool CanBecomeKeyWindow() const override;
    bool AcceptsFirstResponder() override { return m_enabled; }
    // WM_CLOSE to the content view, then WM_COMMAND (IDCANCEL) when it answered 0; the window
    // never closes by itself.
    bool WindowShouldClose() override;
    // A window without title bar and without controls is left out.
    bool AccessibilityIsIgnored() const;

    HWND winlGetOwner() override { return m_owner; }
    void winlSetOwner(HWND owner) override { m_owner = owner; }
    void winlAddOwnedWindow(HWND window) override;
    void winlRemoveOwnedWindow(HWND window) override;
    OwnedWindowListRec** winlGetOwnerWindowHead() override { return &m_ownedwnds; }
    void winlDestroyAllOwnedWindows() override;
    void winlResetOwnedWindowLevels() override;
    void winlDoDestroyStuff() override;

protected:
    WinlTopLevelWindow(const platform::wsys::Rect& contentRect, unsigned styleMask);
    // Mouse moves, the collection behaviour, the record's title and the owner (the parent,
    // or the window of a parent view).
    void initCommon(const WINL_DialogResourceIndex* res, HWND parent);
    void Dealloc() override;
    // The main menu while this window is key and its content view has none.
    virtual HMENU defaultMenu() const;

private:
    int m_lastFrameWidth, m_lastFrameHeight; // the size last reported, in whole pixels
    HWND m_owner = nullptr;
    OwnedWindowListRec* m_ownedwnds = nullptr;
    bool m_enabled = true;
};

// A top-level window (NSWindow) around a window view.
class Winl_vZoz_modelesswindow : public WinlTopLevelWindow<platform::wsys::Window> {
public:
    // A window around a new view made from the record (10 x 10 without one) by initChild,
    // 50 to the right of the parent's (or the screen's work area's) left edge, its top 100
    // below the parent's top; titled, closable and minimisable with a record (resizable for
    // flag 2), plus forceStyles. Returns the new view; the window lives until destroyed.
    static Winl_vZoz_hwnd* initModeless(const WINL_DialogResourceIndex* res, HWND parent,
                                        DLGPROC dlgProc, LPARAM param, unsigned forceStyles);
    // The same placement around an existing view, which becomes the content view.
    static Winl_vZoz_modelesswindow* initModelessForChild(platform::wsys::View* child, HWND owner,
                                                          unsigned styleMask);

    int winlGetWantRaiseAmt() const { return m_wantraiseamt; }
    void winlSetWantRaiseAmt(int amount) { m_wantraiseamt = amount; }
    void winlSetWantInitialKeyWindowOnShow(bool want) { m_wantInitialKeyWindowOnShow = want; }
    // Whether the window should become key when first shown; the wish is used up.
    bool winlTakeWantInitialKeyWindowOnShow() {
        return std::exchange(m_wantInitialKeyWindowOnShow, false);
    }

private:
    using WinlTopLevelWindow::WinlTopLevelWindow;
    static platform::wsys::Ref<Winl_vZoz_modelesswindow>
    make(HWND parent, platform::wsys::Size size, unsigned styleMask);

    int m_wantraiseamt = 0;
    bool m_wantInitialKeyWindowOnShow = false;
};

// A modal dialog box (NSPanel) around a window view.
class Winl_vZoz_dialogbox : public WinlTopLevelWindow<platform::wsys::Panel> {
public:
    // A titled, closable panel (resizable for flag 2) at (0, 0) around a view made from the
    // record, shown.
    static platform::wsys::Ref<Winl_vZoz_dialogbox>
    initDialogBox(const WINL_DialogResourceIndex* res, HWND parent, DLGPROC dlgProc, LPARAM param);

    void winlSetModalRetVal(int value) {
        m_rv = value;
        m_hasrv = true;
    }
    int winlGetModalRetVal() const { return m_rv; }
    bool winlHasModalRetVal() const { return m_hasrv; }

protected:
    HMENU defaultMenu() const override;

private:
    using WinlTopLevelWindow::WinlTopLevelWindow;

    int m_rv = 0;
    bool m_hasrv = false;
};

// A dialog from the record with the id: a child view of the parent for a child record (or no
// record), else a modeless window. An id of 0x400000 plus low bits asks for a plain top-level
// window: titled, closable unless bit 4, minimisable unless bit 2, resizable with bit 1.
// Returns the dialog view; null for a non-zero id without a record.
HWND WINL_CreateDialog(const WINL_DialogResourceIndex* list, const char* id, HWND parent,
                       DLGPROC dlgProc, LPARAM param);
// Runs the record's dialog modally: the value given to EndDialog, or -1 for an id without a
// record or with a child record. EndDialog inside WM_INITDIALOG runs no loop.
int WINL_DialogBox(const WINL_DialogResourceIndex* list, const char* id, HWND parent,
                   DLGPROC dlgProc, LPARAM param);
// Stores the dialog's result; only the application's modal window is also ended: its view
// gets WM_DESTROY, its loop stops and it closes.
void EndDialog(HWND hwnd, int result);
// A modeless window around the view, registered with the owner; style mask bits 1 titled,
// 2 closable, 4 minimisable, 8 resizable. Null for a handle that is no view.
Winl_vZoz_modelesswindow* WINL_CreateModelessFrameForWindow(HWND child, HWND owner,
                                                            unsigned styleMask);
HMENU WINL_GetDefaultWindowMenu();
void WINL_SetDefaultWindowMenu(HMENU menu);
HMENU WINL_GetDefaultModalWindowMenu();
void WINL_SetDefaultModalWindowMenu(HMENU menu);
// Text colours of the view's direct subviews from the dialog procedure: buttons with an image
// through WM_CTLCOLORBTN, boxes and labels through WM_CTLCOLORSTATIC, each family asked once
// with a fresh context. A family whose answer set no text colour gets the standard one when
// isUpdate, else none.
void WINL_DoDialogColorUpdates(HWND view, DLGPROC dlgProc, bool isUpdate);
// The window takes part in window cycling (collection behaviour 36).
void updateWindowCollection(platform::wsys::Window* window);
