#pragma once

#include "kit/winl/winl-wnd-listview.h"
#include "platform/wsys/ScrollView.h"
#include "tests/kit_winl/WinlViewFixture.h"

#include <string>
#include <vector>

namespace winltest {

// What the parent heard: WM_NOTIFY with its code, item, sub-item, point and item data (the
// records of NMLISTVIEW); WM_COMMAND with its code; the pointer messages with their lParam.
struct Note {
    unsigned int msg;
    int code;
    int item = 0;
    int sub = 0;
    LPARAM data = 0;
    POINT pt{};
    bool operator==(const Note& o) const {
        return msg == o.msg && code == o.code && item == o.item && sub == o.sub && data == o.data;
    }
};
inline std::ostream& operator<<(std::ostream& os, const Note& n) {
    return os << "{" << std::hex << n.msg << std::dec << " " << n.code << " " << n.item << " "
              << n.sub << " " << n.data << "}";
}

// A list (tag 7) in a 200 x 100 scroll view at (10, 10) of the recording window view, made as
// the control factory makes one: the parent is its target and delegate.
class ListViewTest : public WinlViewTest {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        g_answer = [this](HWND, unsigned int msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            return hear(msg, wParam, lParam);
        };
    }
    void TearDown() override {
        list = nullptr;
        WinlViewTest::TearDown();
    }

    LRESULT hear(unsigned int msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NOTIFY) {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            if (hdr->code == LVN_GETDISPINFO) {
                auto* info = reinterpret_cast<NMLVDISPINFO*>(lParam);
                ++dispInfos;
                if (dispInfo) dispInfo(*info);
                return 0;
            }
            const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lParam);
            notes.push_back(Note{msg, hdr->code, nm->iItem, nm->iSubItem, nm->lParam, nm->ptAction});
            return notified ? notified(*nm) : 0;
        }
        if (msg == WM_COMMAND) notes.push_back(Note{msg, int(wParam >> 16)});
        if (msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP || msg == WM_CONTEXTMENU)
            notes.push_back(Note{msg, 0, 0, 0, lParam});
        if (msg == WM_DRAWITEM) drawn.push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return msg == WM_NCHITTEST ? LRESULT(HTCLIENT) : 0;
    }

    Winl_vZoz_listview* makeList(long style, bool listBox = false, int columns = 2) {
        list = wsys::Make<Winl_vZoz_listview>();
        list->style = style;
        list->setWinlNotificationMode(listBox);
        list->SetAllowsMultipleSelection(listBox ? (style & LBS_EXTENDEDSEL) != 0 : !(style & LVS_SINGLESEL));
        list->SetTag(7);
        list->SetTarget(view.get());
        list->SetDelegate(view.get());
        list->SetAction(&Winl_vZoz_hwnd::CommandAction);
        list->SetDoubleAction([](wsys::Object* target, wsys::Control* sender) {
            static_cast<Winl_vZoz_hwnd*>(target)->winlOnControlDoubleClick(sender);
        });
        if (listBox) list->SetHeaderView(nullptr);
        scroll = wsys::Make<wsys::ScrollView>(wsys::Rect(10, 10, 200, 100));
        scroll->SetDocumentView(list.get());
        view->AddSubview(scroll.get());
        static char titles[][2] = {"A", "B", "C", "D"};
        for (int i = 0; i < columns; ++i) {
            LVCOLUMN c{LVCF_WIDTH | LVCF_TEXT, LVCFMT_LEFT, 60, titles[i % 4], 0, 0};
            ListView_InsertColumn(list.get(), i, &c);
        }
        return list.get();
    }
    // Rows with these texts and item data 100, 101, ...
    void addRows(const std::vector<std::string>& texts) {
        for (const std::string& t : texts) {
            LVITEM item{LVIF_TEXT | LVIF_PARAM, 1 << 20, 0, 0, 0, const_cast<char*>(t.c_str()), 0, 0,
                        LPARAM(100 + ListView_GetItemCount(list.get()))};
            ListView_InsertItem(list.get(), &item);
        }
    }
    std::vector<std::string> texts(int sub = 0) {
        std::vector<std::string> out;
        char buf[64];
        for (int i = 0; i < ListView_GetItemCount(list.get()); ++i) {
            ListView_GetItemText(list.get(), i, sub, buf, sizeof buf);
            out.push_back(buf);
        }
        return out;
    }
    std::set<int> selection() const { return list->SelectedRowIndexes(); }
    // The screen point of a point in the list (rows are 19 pixels apart, columns 63).
    wsys::Point at(double x, double y) const { return wsys::inject::ScreenPoint(list.get(), {x, y}); }
    wsys::Point cell(int row, int column) const { return at(column * 63 + 30, row * 19 + 9); }

    wsys::Ref<Winl_vZoz_listview> list;
    wsys::Ref<wsys::ScrollView> scroll;
    std::vector<Note> notes;
    std::vector<DRAWITEMSTRUCT> drawn;
    int dispInfos = 0;
    std::function<void(NMLVDISPINFO&)> dispInfo;
    std::function<LRESULT(const NMLISTVIEW&)> notified;
};

} // namespace winltest
