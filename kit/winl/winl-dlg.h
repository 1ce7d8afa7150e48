#pragma once

// Window views: every window, dialog and child window of the layer is a Winl_vZoz_hwnd, and a
// pointer to it is the HWND. The view keeps the window's procedures, its Win32-style fields
// and properties, and turns what the window system tells it (mouse, keys, wheel, gestures,
// timers, control actions, delegate notifications, showing, hiding, resizing, accessibility
// queries) into messages for its window procedure.
//
// What AppKit finds by asking an object whether it answers a selector, the layer finds by
// dynamic_cast to the small interfaces below; a plain view of the window system has none.

#include "kit/winl/winl-gdi.h"
#include "kit/winl/winl-misc.h"
#include "platform/wsys/Controls.h"
#include "platform/wsys/Dragging.h"
#include "platform/wsys/Event.h"
#include "platform/wsys/Menu.h"
#include "platform/wsys/TableView.h"
#include "platform/wsys/View.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

typedef LRESULT (*WNDPROC)(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);
typedef WNDPROC DLGPROC;
typedef platform::wsys::Object* HMENU;

// Messages (Win32 numbers).
enum : unsigned int {
    WM_CREATE = 0x01,
    WM_DESTROY = 0x02,
    WM_MOVE = 0x03,
    WM_SIZE = 0x05,
    WM_ACTIVATE = 0x06,
    WM_PAINT = 0x0F,
    WM_CLOSE = 0x10,
    WM_ERASEBKGND = 0x14,
    WM_SHOWWINDOW = 0x18,
    WM_SETCURSOR = 0x20,
    WM_MOUSEACTIVATE = 0x21,
    WM_GETMINMAXINFO = 0x24,
    WM_GETOBJECT = 0x3D,
    WM_NOTIFY = 0x4E,
    WM_CONTEXTMENU = 0x7B,
    WM_DISPLAYCHANGE = 0x7E,
    WM_NCCALCSIZE = 0x83,
    WM_NCHITTEST = 0x84,
    WM_NCPAINT = 0x85,
    WM_NCMOUSEMOVE = 0xA0, // the non-client twins run to 0xA9
    WM_NCRBUTTONUP = 0xA5,
    WM_KEYDOWN = 0x100,
    WM_KEYUP = 0x101,
    WM_INITDIALOG = 0x110,
    WM_COMMAND = 0x111,
    WM_HSCROLL = 0x114,
    WM_INITMENUPOPUP = 0x117,
    WM_GESTURE = 0x119,
    WM_CTLCOLORBTN = 0x135,
    WM_CTLCOLORDLG = 0x136,
    WM_CTLCOLORSTATIC = 0x138,
    WM_MOUSEMOVE = 0x200,
    WM_LBUTTONDOWN = 0x201,
    WM_LBUTTONUP = 0x202,
    WM_LBUTTONDBLCLK = 0x203,
    WM_RBUTTONDOWN = 0x204,
    WM_RBUTTONUP = 0x205,
    WM_RBUTTONDBLCLK = 0x206,
    WM_MBUTTONDOWN = 0x207,
    WM_MBUTTONUP = 0x208,
    WM_MBUTTONDBLCLK = 0x209,
    WM_MOUSEWHEEL = 0x20A,
    WM_MOUSEHWHEEL = 0x20E,
    WM_CAPTURECHANGED = 0x215,
};

// Dialog command ids.
enum : int { IDOK = 1, IDCANCEL = 2 };

// WM_GETMINMAXINFO's record: sizes and positions in whole pixels.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

// WM_NCCALCSIZE's record: the procedure shrinks the first rectangle to the client area.
struct WINDOWPOS;
struct NCCALCSIZE_PARAMS {
    RECT rgrc[3];
    WINDOWPOS* lppos;
};

// What a paint hands out through BeginPaint: the context, the erase flag and the rectangle to
// paint, then Win32's reserved fields.
struct PAINTSTRUCT {
    HDC hdc;
    int fErase;
    RECT rcPaint;
    int fRestore;
    int fIncUpdate;
    unsigned char rgbReserved[32];
};

// Hit-test answers.
enum : int { HTNOWHERE = 0, HTCLIENT = 1 };

// What WM_INITDIALOG answers to give the focus to the dialog view itself.
constexpr LRESULT WINL_INITDIALOG_FOCUS_DIALOG = 0xBEEF;
// What a window procedure answers to a key it leaves to the system.
constexpr LRESULT WINL_KEY_NOT_HANDLED = 69;

// One dialog resource (the program registers them at start-up).
struct WINL_DialogResourceIndex {
    // Flags of the type word.
    enum : int {
        kChild = 1,
        kResizable = 2,
        kFlipped = 4,
        kNoSizeToFit = 8,
        kOpaque = 16,
        kFileDrop = 32,
    };
    const char* id; // compared as a pointer value
    const char* title;
    int typeFlags;
    void (*createFunc)(HWND view, int typeFlags);
    int width, height;
    WINL_DialogResourceIndex* next;
};

// Gesture record carried in WM_GESTURE's lParam: Win32's layout packed to 4 bytes, 40 bytes
// in all (no extra arguments are ever sent, so the count of them is left out). The target
// handle is not aligned: read it by value.
#pragma pack(push, 4)
struct POINTS {
    short x, y;
};
struct GESTUREINFO {
    unsigned int cbSize;
    unsigned int dwFlags; // 1 begin, 4 end
    unsigned int dwID;    // 3 zoom, 4 pan, 5 rotate
    HWND hwndTarget;
    POINTS ptsLocation; // screen, y up
    unsigned int dwInstanceID;
    unsigned int dwSequenceID;
    unsigned long long ullArguments;
};
#pragma pack(pop)
static_assert(sizeof(GESTUREINFO) == 40, "gesture records are 40 bytes");
enum : unsigned int { GF_BEGIN = 1, GF_END = 4, GID_ZOOM = 3, GID_PAN = 4, GID_ROTATE = 5 };

// Notification records of WM_NOTIFY.
struct NMHDR {
    HWND hwndFrom;
    uintptr_t idFrom;
    int code;
};
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    unsigned int uNewState;
    unsigned int uOldState;
    unsigned int uChanged;
    POINT ptAction;
    LPARAM lParam;
};
struct HTREEITEM__;
typedef HTREEITEM__* HTREEITEM;
struct TVITEM {
    unsigned int mask;
    HTREEITEM hItem;
    unsigned int state;
    unsigned int stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};
struct NMTREEVIEW {
    NMHDR hdr;
    unsigned int action;
    TVITEM itemOld;
    TVITEM itemNew;
    POINT ptDrag;
};
enum : int {
    NM_DBLCLK = -3,
    LVN_ITEMCHANGED = -101,
    LVN_COLUMNCLICK = -108,
    TVN_SELCHANGED = -402,
};

// ---------------------------------------------------------------------------------------------
// Capabilities of the objects behind handles (besides WinlMessageTarget, WinlTimerTarget and
// WinlPostTarget of winl-misc.h).

// The window and dialog procedures.
class WinlProcedures {
public:
    virtual WNDPROC getWinlWindowProc() = 0;
    virtual void setWinlWindowProc(WNDPROC proc) = 0;
    virtual DLGPROC getWinlDialogProc() = 0;
    virtual void setWinlDialogProc(DLGPROC proc) = 0;

protected:
    ~WinlProcedures() = default;
};

// The user-data word of GetWindowLong.
class WinlUserData {
public:
    virtual LPARAM getWinlUserData() = 0;
    virtual void setWinlUserData(LPARAM value) = 0;

protected:
    ~WinlUserData() = default;
};

// The window-extra words, by byte index.
class WinlExtraData {
public:
    virtual LPARAM getWinlExtraData(int index) = 0;
    virtual void setWinlExtraData(int index, LPARAM value) = 0;

protected:
    ~WinlExtraData() = default;
};

// The window text (never null).
class WinlWindowText {
public:
    virtual const char* onWinlGetText() = 0;
    virtual void onWinlSetText(const char* text) = 0;

protected:
    ~WinlWindowText() = default;
};

class WinlExtendedStyle {
public:
    virtual int winlGetExtendedStyle() = 0;
    virtual void winlSetExtendedStyle(int style) = 0;

protected:
    ~WinlExtendedStyle() = default;
};

// Wants WM_CAPTURECHANGED when it loses the capture.
class WinlCaptureNotify {
public:
    virtual bool winlCapChangeNotify() = 0;

protected:
    ~WinlCaptureNotify() = default;
};

// Takes control actions and menu commands.
class WinlCommandTarget {
public:
    virtual void onWinlCommand(platform::wsys::Object* sender) = 0;

protected:
    ~WinlCommandTarget() = default;
};

// Fills the paint information while a paint of the view runs; leaves it alone otherwise.
class WinlPaintInfo {
public:
    virtual void getWinlPaintInfo(PAINTSTRUCT* ps) = 0;

protected:
    ~WinlPaintInfo() = default;
};

class WinlMenuHolder {
public:
    virtual HMENU winlGetMenu() = 0;
    virtual void winlSetMenu(HMENU menu) = 0;

protected:
    ~WinlMenuHolder() = default;
};

// Window properties: names from 0x10000 up are strings, smaller ones atoms.
typedef bool (*WINL_PROPENUMPROC)(HWND hwnd, const char* name, void* data, LPARAM lp);
class WinlProperties {
public:
    // -1 for an empty list; 1 when every property was visited, 0 when the callback stopped.
    virtual int winlEnumProps(WINL_PROPENUMPROC proc, LPARAM lp) = 0;
    // The data, 0 when there is none; wantRemove also removes the property.
    virtual void* winlGetProp(const char* name, bool wantRemove) = 0;
    virtual int winlSetProp(const char* name, void* data) = 0;

protected:
    ~WinlProperties() = default;
};

// One window of an owner's list of owned windows. The list does not retain its windows:
// each takes itself off its owner's list when it is destroyed or freed.
struct OwnedWindowListRec {
    HWND window;
    OwnedWindowListRec* next;
};

// Top-level windows that own other windows (newest first) and have an owner themselves.
class WinlOwnerWindow {
public:
    virtual HWND winlGetOwner() = 0;
    virtual void winlSetOwner(HWND owner) = 0;
    // Nothing for a window already listed; the window gets this one as its owner and, while
    // WINL_owned_windows_levelincrease is set and the application is active, a level above it.
    virtual void winlAddOwnedWindow(HWND window) = 0;
    virtual void winlRemoveOwnedWindow(HWND window) = 0;
    // The address of the list's head.
    virtual OwnedWindowListRec** winlGetOwnerWindowHead() = 0;
    // DestroyWindow on every owned window; the list is empty afterwards.
    virtual void winlDestroyAllOwnedWindows() = 0;
    // Owned windows a level above this one while the application is active, else level with
    // it, down the whole tree.
    virtual void winlResetOwnedWindowLevels() = 0;
    // The window's teardown: owned windows destroyed, off its owner's list (the owner becomes
    // key when this window was).
    virtual void winlDoDestroyStuff() = 0;

protected:
    ~WinlOwnerWindow() = default;
};

// Handles that keep a Win32 style word of their own.
class WinlStyle {
public:
    virtual long getWinlStyle() = 0;
    virtual void setWinlStyle(long style) = 0;

protected:
    ~WinlStyle() = default;
};

// The layer's table and outline controls, as the notifications of their window view read
// them.
class WinlItemControl {
public:
    // List-box mode: selection changes and double clicks come as WM_COMMAND.
    virtual bool getWinlNotificationMode() = 0;
    // Outline controls report selection changes as tree-view notifications.
    virtual bool winlIsOutline() = 0;
    virtual int winlSelectedRow() = 0;
    virtual int winlClickedRow() = 0;
    virtual int winlClickedColumn() = 0;
    // The item parameter of a row; false when the row does not exist.
    virtual bool winlRowParam(int row, LPARAM* param) = 0;
    // A list view with columns and without style bit 0x8000 reports header clicks.
    virtual bool winlReportsColumnClicks() = 0;
    // The caller's number of a column, -1 when it is not the control's.
    virtual int winlColumnIndex(platform::wsys::TableColumn* column) = 0;
    // Custom selection colours (null until set): entry 0 fills the selection while the
    // control has the focus and entry 2 without it; entries 1 and 3 colour the selected row's
    // text.
    virtual const std::vector<platform::wsys::Color>* winlSelColors() = 0;
    virtual void winlSetSelColors(std::vector<platform::wsys::Color> colors) = 0;
    // The text colour, null for the platform's.
    virtual const platform::wsys::Color* winlFgColor() = 0;

protected:
    ~WinlItemControl() = default;
};

// The colours a list or tree control keeps for the notifications; whoever sets them redraws
// the control.
class WinlItemColors : public WinlItemControl {
public:
    const std::vector<platform::wsys::Color>* winlSelColors() override {
        return m_selColors ? &*m_selColors : nullptr;
    }
    void winlSetSelColors(std::vector<platform::wsys::Color> colors) override { m_selColors = std::move(colors); }
    const platform::wsys::Color* winlFgColor() override { return m_fgColor ? &*m_fgColor : nullptr; }

    std::optional<platform::wsys::Color> m_fgColor;
    std::optional<std::vector<platform::wsys::Color>> m_selColors;

protected:
    ~WinlItemColors() = default;
};

// ---------------------------------------------------------------------------------------------

// The window view. Made by initChild; everything runs on the UI thread. Every message the
// view generates goes to its window procedure only, and none goes while it has no procedure
// or is being destroyed.
class Winl_vZoz_hwnd : public platform::wsys::View,
                       public WinlMessageTarget,
                       public WinlTimerTarget,
                       public WinlPostTarget,
                       public WinlProcedures,
                       public WinlUserData,
                       public WinlExtraData,
                       public WinlWindowText,
                       public WinlExtendedStyle,
                       public WinlCaptureNotify,
                       public WinlMenuHolder,
                       public WinlProperties,
                       public WinlCommandTarget,
                       public WinlPaintInfo,
                       public platform::wsys::MenuDelegate,
                       public platform::wsys::ControlDelegate,
                       public platform::wsys::TableViewDelegate,
                       public platform::wsys::DraggingDestination,
                       public platform::wsys::DraggingSource {
public:
    // m_isdirty bits.
    enum : uint8_t { kDirtySelf = 1, kDirtyChildren = 2 };

    // A new view of the record's size (300 x 200 without one), hidden, placed in the parent
    // (a panel's accessory, a window's content, else a subview); with a record its create
    // function makes the controls and, with a dialog procedure, WM_INITDIALOG follows (its
    // wParam: the first subview that takes the focus); without one the procedure, when given,
    // becomes the window procedure and gets WM_CREATE (0, param).
    static platform::wsys::Ref<Winl_vZoz_hwnd> initChild(const WINL_DialogResourceIndex* res,
                                                         platform::wsys::Object* parent,
                                                         DLGPROC dlgProc, LPARAM param);

    // Delivers a message to the window procedure; WM_DESTROY runs the destroy sequence once.
    // After it only 0 comes back; during it WM_DESTROY and WM_CAPTURECHANGED give 0 and other
    // messages still reach the procedure.
    LRESULT onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) override;
    // A control's or menu item's action.
    void onWinlCommand(platform::wsys::Object* sender) override;
    // The action that sends a control's work to onWinlCommand of its target view.
    static void CommandAction(platform::wsys::Object* target, platform::wsys::Control* sender);

    // Delegate notifications of the controls inside the view.
    void ComboBoxWillPopUp(platform::wsys::View* comboBox) override;
    void ComboBoxSelectionDidChange(platform::wsys::View* comboBox) override;
    void ControlTextDidChange(platform::wsys::View* control) override;
    void TextDidEndEditing(platform::wsys::View* control) override;
    void MenuNeedsUpdate(platform::wsys::Menu* menu) override;
    void TableViewSelectionDidChange(platform::wsys::TableView* table) override;
    void TableViewDidClickTableColumn(platform::wsys::TableView* table,
                                      platform::wsys::TableColumn* column) override;
    // A list or tree control's selected row takes its selection text colour, other rows its
    // text colour.
    void TableViewWillDisplayCell(platform::wsys::TableView* table, platform::wsys::Cell* cell,
                                  platform::wsys::TableColumn* column, int row) override;
    void outlineViewSelectionDidChange(platform::wsys::View* outline);
    void winlOnControlDoubleClick(platform::wsys::View* control);

    int Tag() const override { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    bool IsFlipped() const override { return m_flip; }
    bool IsOpaque() const override { return m_isopaque; }
    void SetOpaque(bool opaque) { m_isopaque = opaque; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool winlHasBeenDestroyed() const { return m_hashaddestroy != 0; }
    unsigned int winlCreateWindowFlags() const { return m_create_windowflags; }
    void winlSetCreateWindowFlags(unsigned int flags) { m_create_windowflags = flags; }
    // The owner of the top-level window this view was the content of before it became a
    // child; compared, never followed.
    platform::wsys::Object* winlLastTopLevelOwner() const { return m_lastTopLevelOwner; }
    void winlSetLastTopLevelOwner(platform::wsys::Object* owner) { m_lastTopLevelOwner = owner; }
    uint8_t winlDirtyBits() const { return m_isdirty; }
    void winlSetDirtyBits(uint8_t bits) { m_isdirty = bits; }

    WNDPROC getWinlWindowProc() override { return m_wndproc; }
    void setWinlWindowProc(WNDPROC proc) override { m_wndproc = proc; }
    DLGPROC getWinlDialogProc() override { return m_dlgproc; }
    void setWinlDialogProc(DLGPROC proc) override { m_dlgproc = proc; }
    LPARAM getWinlUserData() override { return m_userdata; }
    void setWinlUserData(LPARAM value) override { m_userdata = value; }
    // Byte indexes 0..127 (a slot of four); others read 0 and are not written.
    LPARAM getWinlExtraData(int index) override;
    void setWinlExtraData(int index, LPARAM value) override;
    const char* onWinlGetText() override { return m_titlestr; }
    // At most 1023 bytes are kept.
    void onWinlSetText(const char* text) override;
    int winlGetExtendedStyle() override { return m_supports_ddrop ? 0x10 : 0; }
    void winlSetExtendedStyle(int style) override { m_supports_ddrop = style & 0x10; }
    bool winlCapChangeNotify() override { return true; }
    HMENU winlGetMenu() override { return m_menu.get(); }
    // The old menu's commands are no longer routed here, the new one's are.
    void winlSetMenu(HMENU menu) override;
    int winlEnumProps(WINL_PROPENUMPROC proc, LPARAM lp) override;
    void* winlGetProp(const char* name, bool wantRemove) override;
    int winlSetProp(const char* name, void* data) override;
    bool winlCanPostMessage() override { return m_hashaddestroy == 0; }

    // Painting. A paint hands its context to the procedure through BeginPaint; a content view
    // that is opaque paints its whole tree of window views in one pass into one context, and
    // the other views of the window draw themselves afterwards.
    void getWinlPaintInfo(PAINTSTRUCT* ps) override;
    bool winlPaintContextUsed() const { return m_paintctx_used; }
    void Draw(const platform::wsys::Rect& rect) override;
    void DisplayRecursive() override;
    void DidAddSubview(platform::wsys::View* subview) override;
    void WillRemoveSubview(platform::wsys::View* subview) override;

    // Platform events.
    void WINL_Timer(platform::wsys::Timer& timer) override;
    bool AcceptsFirstResponder() override;
    bool AcceptsFirstMouse(platform::wsys::Event& e) override;
    void ViewDidHide() override;
    void ViewDidUnhide() override;
    // Then WM_SIZE (0, 0), and the parent is invalidated.
    void SetFrame(const platform::wsys::Rect& frame) override;
    void KeyDown(platform::wsys::Event& e) override;
    void KeyUp(platform::wsys::Event& e) override;
    void MouseDown(platform::wsys::Event& e) override;
    void MouseUp(platform::wsys::Event& e) override;
    void MouseDragged(platform::wsys::Event& e) override;
    void RightMouseDown(platform::wsys::Event& e) override;
    void RightMouseUp(platform::wsys::Event& e) override;
    void RightMouseDragged(platform::wsys::Event& e) override { MouseDragged(e); }
    void OtherMouseDown(platform::wsys::Event& e) override;
    void OtherMouseUp(platform::wsys::Event& e) override;
    void OtherMouseDragged(platform::wsys::Event& e) override { MouseDragged(e); }
    void ScrollWheel(platform::wsys::Event& e) override;
    // Forwards a move to the view under the pointer (in any window) before it becomes
    // WM_MOUSEMOVE here.
    void MouseMoved(platform::wsys::Event& e) override;
    void MagnifyWithEvent(platform::wsys::Event& e) override;
    void SwipeWithEvent(platform::wsys::Event& e) override;
    void RotateWithEvent(platform::wsys::Event& e) override;

    // Drag and drop (winl-dlg-dragdrop.cpp). A view that accepts drops takes file lists and
    // promised files and tells the drop hooks; its drops arrive as WM_DROPFILES.
    std::vector<std::string> RegisteredDraggedTypes() override;
    unsigned DraggingEntered(platform::wsys::DraggingInfo& info) override;
    unsigned DraggingUpdated(platform::wsys::DraggingInfo& info) override;
    void DraggingExited(platform::wsys::DraggingInfo& info) override;
    bool PerformDragOperation(platform::wsys::DraggingInfo& info) override;
    // The drop block of the drag: with retGlob a preview block for the caller to free; else the
    // drop itself goes to the procedure as WM_DROPFILES and non-null tells it was taken. Null
    // when the view takes no drops or the drag offers no files.
    HGLOBAL winlExtendedDragOp(platform::wsys::DraggingInfo& info, bool retGlob);
    std::vector<std::string>
    NamesOfPromisedFilesDroppedAtDestination(const std::string& folder) override;

    // GL (winl-dlg-hostviews.cpp): a context of the view's own, made or dropped only when the
    // state changes; a paint attaches it and makes it current.
    void winlSetViewGL(bool on);
    platform::wsys::Object* winlGetGLContext() const { return m_glctx.get(); }

    // Accessibility: the procedure may supply an element for the view through WM_GETOBJECT
    // (wParam 0x1001, lParam the address of an object slot).
    platform::wsys::Object* AccessibilityHitTest(platform::wsys::Point screen) override;
    platform::wsys::Object* AccessibilityFocusedUIElement() override;
    bool AccessibilityIsIgnored() override;
    platform::wsys::Ref<platform::wsys::Object>
    AccessibilityAttributeValue(const std::string& attribute) override;

protected:
    explicit Winl_vZoz_hwnd(const platform::wsys::Rect& frame) : View(frame) {}
    // initChild's work on a view made by a subclass with initialFrame.
    static platform::wsys::Ref<Winl_vZoz_hwnd> initView(platform::wsys::Ref<Winl_vZoz_hwnd> view,
                                                        const WINL_DialogResourceIndex* res,
                                                        platform::wsys::Object* parent,
                                                        DLGPROC dlgProc, LPARAM param);
    static platform::wsys::Rect initialFrame(const WINL_DialogResourceIndex* res);
    void Dealloc() override;

private:
    struct WindowPropRec {
        const char* name; // an owned copy, or an atom below 0x10000
        void* data;
        WindowPropRec* next;
    };
    friend LRESULT WINL_SendMouseMessage(Winl_vZoz_hwnd* view, unsigned int msg,
                                         platform::wsys::Event& e);

    bool canNotify() const { return m_wndproc && m_hashaddestroy == 0; }
    // The window procedure's answer; the view stays alive meanwhile.
    LRESULT notify(unsigned int msg, WPARAM wParam, LPARAM lParam);
    LRESULT notifyCommand(platform::wsys::View* sender, int code);
    void sendMouse(unsigned int msg, platform::wsys::Event& e);
    void focusForOtherButton();
    void clearRadioSiblings(platform::wsys::Object* sender, int flags);
    void sendGesture(unsigned int id, platform::wsys::Event& e, unsigned long long endArgument,
                     WPARAM endWParam, POINTS endLocation);
    platform::wsys::Object* accessibilityObject();
    // Paints one rectangle (view coordinates) into the context: the non-client messages, then
    // WM_PAINT within the client area, for a rectangle of at least 1 x 1.
    void DrawWinlViewRectImpl(const platform::wsys::Rect& rect, HDC hdc);
    // Paints the view where it meets the rectangles (topView coordinates; none: everywhere)
    // when forced or dirty, then the visible window views below that need it by recursion into
    // the same context, clipped and translated; other platform views are queued to draw
    // themselves afterwards, over the dialog background when they are not opaque.
    void winlRenderOptimizely(bool force, HDC hdc, const std::vector<platform::wsys::Rect>& rects,
                              Winl_vZoz_hwnd* topView);
    // The one-pass paint of a content view.
    void displayContentInOnePass();

    uint8_t m_enabled = 1;
    DLGPROC m_dlgproc = nullptr;
    WNDPROC m_wndproc = nullptr;
    LPARAM m_userdata = 0;
    LPARAM m_extradata[32] = {};
    int m_tag = 0;
    int m_isfakerightmouse = 0;
    uint8_t m_hashaddestroy = 0; // 0 live, 1 being destroyed, 2 destroyed
    platform::wsys::Ref<platform::wsys::Object> m_menu;
    uint8_t m_flip = 0;
    bool m_supports_ddrop = false;
    bool m_paintctx_used = false;
    HDC m_paintctx_hdc = nullptr;
    WindowPropRec* m_props = nullptr;
    float m_paintctx_rect[4] = {};
    uint8_t m_isopaque = 0;
    char m_titlestr[1024] = {};
    unsigned int m_create_windowflags = 0;
    platform::wsys::Ref<platform::wsys::Object> m_glctx;
    uint8_t m_isdirty = 0;
    platform::wsys::Object* m_lastTopLevelOwner = nullptr;
    // Children, then visible children: the answer, the platform's array, the element.
    platform::wsys::Ref<platform::wsys::Object> m_access_cacheptrs[6];
};

// Delivers a mouse event as msg to the view, or to the capture holder when that is another
// window view of the same window: the procedure's answer, 0 for a null view, -1 when it
// cannot be delivered. WM_NCHITTEST comes first (not for the wheel nor while a view holds the
// capture); an answer other than HTCLIENT turns a client mouse message into its non-client
// twin. After a move or a button release, WM_SETCURSOR; the arrow when it answers 0.
LRESULT WINL_SendMouseMessage(Winl_vZoz_hwnd* view, unsigned int msg, platform::wsys::Event& e);

// The procedure every dialog view starts with: for WM_PAINT the background unless the dialog
// procedure erases it itself, then the dialog procedure's answer, or DefWindowProc's when it
// has none or answers 0.
LRESULT WinlDialogDefaultWindowProc(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam);
