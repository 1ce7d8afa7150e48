// Controls by Win32 class name, and the custom control creators offered each one first.
#include "kit/winl/winl-wnd-factory.h"

#include "kit/winl/winl-wnd-listview.h"
#include "kit/winl/winl-wnd-tabs.h"
#include "kit/winl/winl-wnd-tree.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/ScrollView.h"

#include <algorithm>
#include <cmath>
#include <strings.h>

namespace wsys = platform::wsys;

namespace {

struct CustomControlCreatorRec {
    WINL_CustomControlCreator proc;
    int cnt;
    CustomControlCreatorRec* next;
};
CustomControlCreatorRec* m_ccprocs = nullptr;

// Style bits of the class-name branches.
enum : unsigned int {
    kHidden = 0x80000000u,
    kGroupBoxButton = 0x20000000u,
    kDefPushButton = 0x10000000u,
    kPushButton = 0x08000000u,
    kLeftText = 0x20,
    kGroup = 0x20000,
    kStaticCenter = 1,
    kStaticRight = 2,
    kStaticBlackRect = 4,
    kStaticNoWrap = 0x0C,
};
enum : int { kOwnerDrawButton = 11 };
constexpr int kTrackbarRange = 1000;
constexpr double kMinListWidth = 300;

// The rectangle of the classes that take part in no auto-right and scale their height.
wsys::Rect plainCoords(int x, int y, int w, int h) {
    return WINL_MakeCoords(x, y, w, h, false, false);
}

// Hidden under bit 31, added to the owner; the owner holds it from then on.
HWND addMade(wsys::View* control, int style) {
    WINL_MakeAddControl(control, style);
    return control;
}

void doubleAction(wsys::Object* target, wsys::Control* sender) {
    if (auto* owner = dynamic_cast<Winl_vZoz_hwnd*>(target))
        owner->winlOnControlDoubleClick(sender);
    else
        Winl_vZoz_hwnd::CommandAction(target, sender);
}

// What list and tree controls share: tag, shown, target and actions, and a scroll view that
// takes the rectangle (a horizontal scroller when asked) and is added to the owner.
HWND placeInScrollView(wsys::TableView* table, int id, const wsys::Rect& frame, bool horizontal, int style) {
    table->SetAllowsColumnReordering(false);
    table->SetAllowsEmptySelection(true);
    table->SetTag(id);
    table->SetHidden(false);
    table->SetTarget(WINL_MakeOwner());
    table->SetAction(Winl_vZoz_hwnd::CommandAction);
    table->SetDoubleAction(doubleAction);
    table->SetDelegate(dynamic_cast<wsys::TableViewDelegate*>(WINL_MakeOwner()));
    wsys::Ref<wsys::ScrollView> scroll = wsys::Make<wsys::ScrollView>(frame);
    scroll->SetHasVerticalScroller(true);
    scroll->SetHasHorizontalScroller(horizontal);
    scroll->SetAutohidesScrollers(true);
    scroll->SetDrawsBackground(false);
    scroll->SetDocumentView(table);
    addMade(scroll.get(), style);
    return table;
}

double defaultColumnWidth(const wsys::Rect& frame) {
    return std::ceil(std::max(kMinListWidth, frame.size.width));
}

HWND makeList(int id, bool listBox, int style, const wsys::Rect& frame) {
    wsys::Ref<Winl_vZoz_listview> list = wsys::Make<Winl_vZoz_listview>();
    list->style = style;
    list->setWinlNotificationMode(listBox ? 1 : 0);
    if (listBox)
        list->SetAllowsMultipleSelection(style & LBS_EXTENDEDSEL);
    else
        list->SetAllowsMultipleSelection(!(style & LVS_SINGLESEL));
    if (listBox || (style & (LVS_REPORT | LVS_NOCOLUMNHEADER)) != LVS_REPORT) list->SetHeaderView(nullptr);
    placeInScrollView(list.get(), id, frame, !listBox, style);
    if (!(style & LVS_REPORT) || listBox) {
        LVCOLUMN column{};
        column.cx = int(defaultColumnWidth(frame));
        column.pszText = const_cast<char*>("");
        ListView_InsertColumn(list.get(), 0, &column);
    }
    if (listBox && (style & LBS_OWNERDRAWFIXED)) {
        wsys::Ref<Winl_vZoz_ODlistviewcell> cell = wsys::Make<Winl_vZoz_ODlistviewcell>();
        cell->setOwnerControl(list.get());
        list->m_cols.Get(0)->SetDataCell(cell.get());
    }
    return list.get();
}

HWND makeTree(int id, int style, const wsys::Rect& frame) {
    wsys::Ref<Winl_vZoz_treeview> tree = wsys::Make<Winl_vZoz_treeview>();
    tree->style = style;
    tree->SetHeaderView(nullptr);
    tree->SetAllowsMultipleSelection(false);
    wsys::Ref<wsys::TableColumn> column = wsys::Make<wsys::TableColumn>();
    wsys::Ref<Winl_vZoz_listviewcell> cell = wsys::Make<Winl_vZoz_listviewcell>();
    cell->SetStringValue("");
    cell->SetWraps(false);
    column->SetDataCell(cell.get());
    column->SetWidth(defaultColumnWidth(frame));
    column->SetEditable(false);
    tree->AddTableColumn(column.get());
    tree->SetOutlineTableColumn(column.get());
    return placeInScrollView(tree.get(), id, frame, false, style);
}

HWND makeTabs(int id, int style, int x, int y, int w, int h) {
    wsys::Ref<Winl_vZoz_tabview> tabs = wsys::Make<Winl_vZoz_tabview>();
    tabs->SetTag(id);
    tabs->SetDelegate(tabs.get());
    tabs->SetAllowsTruncatedLabels(true);
    tabs->setNotificationWindow(WINL_MakeOwner());
    tabs->SetHidden(false);
    tabs->SetFrame(plainCoords(x, y - 1, w, h + 6));
    return addMade(tabs.get(), style);
}

HWND makeProgress(int id, int style, int x, int y, int w, int h) {
    wsys::Ref<Winl_vZoz_progind> bar = wsys::Make<Winl_vZoz_progind>();
    bar->SetStyle(wsys::ProgressIndicator::kBarStyle);
    bar->SetIndeterminate(false);
    bar->SetTag(id);
    bar->SetFrame(plainCoords(x, y, w, h));
    return addMade(bar.get(), style);
}

HWND makeSlider(int id, int style, const wsys::Rect& frame, wsys::ControlSize size) {
    wsys::Ref<wsys::Slider> slider = wsys::Make<wsys::Slider>(frame);
    slider->SetTag(id);
    slider->SetMinValue(0);
    slider->SetMaxValue(kTrackbarRange);
    slider->SetControlSize(size);
    slider->SetTarget(WINL_MakeOwner());
    slider->SetAction(Winl_vZoz_hwnd::CommandAction);
    return addMade(slider.get(), style);
}

HWND makeStatic(const char* text, int id, int style, int x, int y, int w, int h) {
    wsys::Ref<Winl_vZoz_textfield> label = wsys::Make<Winl_vZoz_textfield>();
    label->SetEditable(false);
    label->SetSelectable(false);
    label->SetBordered(false);
    label->SetDrawsBackground(false);
    if (std::shared_ptr<platform::TextFont> font = WINL_MakeControlFont()) label->SetFont(font);
    if (text && *text) label->SetStringValue(WINL_StripMnemonics(text));
    const int kind = style & 0x1F;
    if (kind == kStaticCenter) label->SetAlignment(wsys::kCenterTextAlignment);
    if (kind == kStaticRight) label->SetAlignment(wsys::kRightTextAlignment);
    if (kind == kStaticNoWrap) label->SetWraps(false);
    label->SetTag(id);
    label->SetFrame(WINL_MakeCoords(x, y, w, h, true, false));
    addMade(label.get(), style);
    if (kind == kStaticBlackRect) label->SetHidden(true);
    return label.get();
}

HWND makeButton(const char* text, int id, int style, int x, int y, int w, int h) {
    const unsigned bits = unsigned(style);
    if (bits & kGroupBoxButton) return WINL_MakeGroupBox(text, id, x, y, w, h, int(bits & ~kGroupBoxButton));
    if (bits & kDefPushButton) return WINL_MakeButton(1, text, id, x, y, w, h, int(bits & ~kDefPushButton));
    if (bits & kPushButton) return WINL_MakeButton(0, text, id, x, y, w, h, int(bits & ~kPushButton));
    wsys::Ref<Winl_vZoz_button> button = wsys::Make<Winl_vZoz_button>();
    button->SetTag(id);
    button->SetFrame(WINL_MakeCoords(x, y, w, h, true, false));
    const int type = style & 0x0F;
    switch (type) {
    case BS_AUTOCHECKBOX:
    case BS_AUTO3STATE:
        button->SetButtonType(wsys::kSwitchButton);
        button->SetAllowsMixedState(type == BS_AUTO3STATE);
        break;
    case BS_AUTORADIOBUTTON:
        button->SetButtonType(wsys::kRadioButton);
        button->winlSetRadioFlags(Winl_vZoz_button::kRadio | (bits & kGroup ? Winl_vZoz_button::kStartsRadioSet : 0));
        break;
    case kOwnerDrawButton:
        button->SetCell(wsys::Make<Winl_vZoz_ODbuttoncell>().get());
        break;
    default:
        break;
    }
    if (std::shared_ptr<platform::TextFont> font = WINL_MakeControlFont()) button->SetFont(font);
    button->SetTitle(WINL_StripMnemonics(text));
    button->SetTarget(WINL_MakeOwner());
    button->SetAction(Winl_vZoz_hwnd::CommandAction);
    // The title's side: the image goes right of it.
    if (bits & kLeftText) button->SetImagePosition(wsys::kImageRight);
    addMade(button.get(), style);
    if (WINL_MakeSizesToFit() && type != kOwnerDrawButton) button->SizeToFit();
    WINL_MakeStoreGrowth(button.get());
    return button.get();
}

} // namespace

const char* const WINL_HostFaderClassName = "ZozHostFader";

HWND WINL_MakeControl(const char* text, int id, const char* className, int style, int x, int y, int w,
                      int h, int exStyle) {
    if (!WINL_MakeOwner() || !className) return nullptr;
    if (m_ccprocs) {
        const wsys::Rect r = plainCoords(x, y, w, h);
        for (CustomControlCreatorRec* rec = m_ccprocs; rec; rec = rec->next) {
            HWND made = rec->proc(WINL_MakeOwner(), text, id, className, style, int(r.MinX()), int(r.MinY()),
                                  int(r.size.width), int(r.size.height));
            if (!made) continue;
            if (exStyle) {
                if (auto* ex = dynamic_cast<WinlExtendedStyle*>(made))
                    ex->winlSetExtendedStyle(exStyle);
                else if (auto* extra = dynamic_cast<WinlExtraData*>(made))
                    extra->setWinlExtraData(GWL_EXSTYLE, exStyle);
            }
            return made;
        }
    }
    auto is = [className](const char* name) { return !strcasecmp(className, name); };
    if (is("SysTabControl32")) return makeTabs(id, style, x, y, w, h);
    if (is("SysListView32")) return makeList(id, false, style, plainCoords(x, y, w, h));
    if (is("SysListView32_LB")) return makeList(id, true, style, plainCoords(x, y, w, h));
    if (is("SysTreeView32")) return makeTree(id, style, plainCoords(x, y, w, h));
    if (is("msctls_progress32")) return makeProgress(id, style, x, y, w, h);
    if (is("Edit")) return WINL_MakeEditField(id, x, y, w, h, style);
    if (is("static")) return makeStatic(text, id, style, x, y, w, h);
    if (is("Button")) return makeButton(text, id, style, x, y, w, h);
    if (is(WINL_HostFaderClassName)) return makeSlider(id, style, plainCoords(x, y, w, h), wsys::kRegularControlSize);
    if (is("msctls_trackbar32")) return makeSlider(id, style, plainCoords(x, y, w, h), wsys::kMiniControlSize);
    return nullptr;
}

HWND WINL_MakeCheckBox(const char* text, int id, int x, int y, int w, int h, int style) {
    return WINL_MakeControl(text, id, "Button", style | BS_AUTOCHECKBOX, x, y, w, h, 0);
}

HWND WINL_MakeListBox(int id, int x, int y, int w, int h, int style) {
    return WINL_MakeControl("", id, "SysListView32_LB", style, x, y, w, h, 0);
}

void WINL_RegisterCustomControlCreator(WINL_CustomControlCreator proc) {
    if (!proc) return;
    CustomControlCreatorRec** at = &m_ccprocs;
    for (; *at; at = &(*at)->next)
        if ((*at)->proc == proc) {
            ++(*at)->cnt;
            return;
        }
    *at = new CustomControlCreatorRec{proc, 1, nullptr};
}

void WINL_UnregisterCustomControlCreator(WINL_CustomControlCreator proc) {
    if (!proc) return;
    for (CustomControlCreatorRec** at = &m_ccprocs; *at; at = &(*at)->next) {
        if ((*at)->proc != proc) continue;
        if ((*at)->cnt-- <= 1) delete std::exchange(*at, (*at)->next);
        return;
    }
}
