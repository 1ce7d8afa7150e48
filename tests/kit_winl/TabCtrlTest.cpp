#include "WinlViewFixture.h"

#include "kit/winl/winl-wnd-factory.h"
#include "kit/winl/winl-wnd-listview.h"
#include "kit/winl/winl-wnd-tabs.h"

namespace winltest {
namespace {

// Controls made by class name in the recording view at one pixel per unit.
class ClassControlTest : public WinlViewTest {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    }
    // The window's pixel at a point of the view (its own coordinates).
    uint32_t pixelAt(wsys::View* v, double x, double y) const {
        const wsys::Point p = v->ConvertPointToView({x + 0.5, y + 0.5}, nullptr);
        const int row = int(window->ContentPixelHeight() - p.y), column = int(p.x);
        return window->ContentPixels()[size_t(row * window->ContentPixelWidth() + column)];
    }
    // The tab changes the parent heard, as (wParam, idFrom) pairs.
    std::vector<std::pair<WPARAM, uintptr_t>> changes;
    void hearTabChanges() {
        g_answer = [this](HWND, unsigned int msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            if (msg == WM_NOTIFY && hdr->code == TCN_SELCHANGE) changes.emplace_back(wParam, hdr->idFrom);
            return msg == WM_NCHITTEST ? LRESULT(HTCLIENT) : 0;
        };
    }
    HWND tabsWith(int count) {
        HWND tabs = WINL_MakeControl("", 4, "SysTabControl32", 0, 10, 10, 200, 100, 0);
        static char label[] = "T";
        for (int i = 0; i < count; ++i) {
            TCITEM item{TCIF_TEXT, 0, 0, label, 0, 0, 0};
            TabCtrl_InsertItem(tabs, TabCtrl_GetItemCount(tabs), &item);
        }
        return tabs;
    }
};
using TabCtrl = ClassControlTest;
using WinlProgress = ClassControlTest;

TEST_F(TabCtrl, InsertClampsAndNeverNotifies) {
    hearTabChanges();
    HWND tabs = tabsWith(2);
    const wsys::Rect frame = static_cast<wsys::View*>(tabs)->Frame();
    EXPECT_EQ(frame, wsys::Rect(10, 9, 200, 106)); // (x, y - 1, w, h + 6)
    TCITEM item{TCIF_TEXT, 0, 0, const_cast<char*>("x"), 0, 0, 0};
    EXPECT_EQ(TabCtrl_InsertItem(tabs, 99, &item), 2);
    EXPECT_EQ(TabCtrl_InsertItem(tabs, -5, &item), 0);
    item.mask = 0;
    EXPECT_EQ(TabCtrl_InsertItem(tabs, 0, &item), -1);
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), 4);
    EXPECT_TRUE(changes.empty());
    // The first tab inserted was selected; inserting before it moved it to 1.
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 1);
    EXPECT_EQ(TabCtrl_DeleteItem(tabs, 4), 0);
    EXPECT_EQ(TabCtrl_DeleteItem(tabs, 3), 1);
    EXPECT_EQ(TabCtrl_GetItemCount(view.get()), 0);
    EXPECT_EQ(TabCtrl_SetCurSel(view.get(), 0), -1);
}

TEST_F(TabCtrl, EachChangeOfTabNotifiesOnceByCodeAndByClick) {
    hearTabChanges();
    HWND tabs = tabsWith(3);
    EXPECT_EQ(TabCtrl_SetCurSel(tabs, 2), 0);
    EXPECT_EQ(TabCtrl_SetCurSel(tabs, 2), 2); // no change
    EXPECT_EQ(TabCtrl_SetCurSel(tabs, 3), 2); // out of range: nothing selected
    EXPECT_EQ(TabCtrl_SetCurSel(tabs, -1), 2);
    EXPECT_EQ(changes.size(), 1u);
    auto* tabView = static_cast<Winl_vZoz_tabview*>(tabs);
    const wsys::Point first = wsys::inject::ScreenPoint(tabView, {4, 4});
    ASSERT_EQ(tabView->TabAtPoint({4, 4}), 0);
    wsys::inject::Click(first);
    run();
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 0);
    EXPECT_EQ(changes, (std::vector<std::pair<WPARAM, uintptr_t>>{{4, 4}, {4, 4}}));
}

TEST_F(TabCtrl, AdjustRectBothWays) {
    HWND tabs = tabsWith(0);
    RECT r{0, 0, 100, 100};
    EXPECT_EQ(TabCtrl_AdjustRect(tabs, false, &r), 1);
    EXPECT_EQ((std::array<int, 4>{r.left, r.top, r.right, r.bottom}), (std::array<int, 4>{7, 26, 93, 97}));
    r = RECT{0, 0, 100, 100};
    TabCtrl_AdjustRect(tabs, true, &r);
    EXPECT_EQ((std::array<int, 4>{r.left, r.top, r.right, r.bottom}), (std::array<int, 4>{-7, -26, 107, 103}));
    EXPECT_EQ(TabCtrl_AdjustRect(tabs, true, nullptr), 0);
    EXPECT_EQ(TabCtrl_AdjustRect(view.get(), true, &r), 0);
}

TEST_F(WinlProgress, RangePositionAndSteps) {
    HWND bar = WINL_MakeControl("", 5, "msctls_progress32", 0, 0, 0, 102, 10, 0);
    auto* p = static_cast<Winl_vZoz_progind*>(bar);
    EXPECT_FALSE(p->IsIndeterminate());
    p->StartAnimation();
    EXPECT_EQ(SendMessage(bar, PBM_SETRANGE, 0, LPARAM(100) << 16), 0);
    SendMessage(bar, PBM_SETPOS, 50, 0);
    EXPECT_EQ(p->Fraction(), 0.5);
    EXPECT_FALSE(p->IsAnimating());
    // The range's halves are unsigned: 0xFFFF is 65535, not -1.
    SendMessage(bar, PBM_SETRANGE, 0, LPARAM(0xFFFF) << 16 | 0x8000);
    EXPECT_EQ(p->MinValue(), 32768);
    EXPECT_EQ(p->MaxValue(), 65535);
    SendMessage(bar, PBM_SETPOS, WPARAM(0xFFFFFFFF00008000ull), 0); // the low 32 bits count
    EXPECT_EQ(p->DoubleValue(), 32768);
    SendMessage(bar, PBM_DELTAPOS, 1000, 0);
    EXPECT_EQ(p->DoubleValue(), 33768);
    EXPECT_EQ(SendMessage(bar, PBM_SETPOS + 10, 1, 0), 0);

    // Drawn: the left half of the inside filled.
    SendMessage(bar, PBM_SETRANGE, 0, LPARAM(100) << 16);
    SendMessage(bar, PBM_SETPOS, 50, 0);
    p->SetHidden(false);
    window->Display();
    EXPECT_EQ(pixelAt(p, 50, 5), wsys::MakePixel(58, 130, 247)); // 1 + 100 / 2 filled
    EXPECT_NE(pixelAt(p, 51, 5), wsys::MakePixel(58, 130, 247));
}

TEST_F(TabCtrl, OwnerDrawnButtonsAreDrawnByTheParentAlone) {
    std::vector<DRAWITEMSTRUCT> drawn;
    g_answer = [&](HWND, unsigned int msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == WM_DRAWITEM) drawn.push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return msg == WM_NCHITTEST ? LRESULT(HTCLIENT) : 0;
    };
    HWND button = WINL_MakeControl("Owner", 8, "Button", 11, 20, 30, 40, 20, 0);
    auto* b = static_cast<wsys::Button*>(button);
    b->Highlight(true); // pressed: still state 0
    window->Display();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].CtlType, unsigned(ODT_BUTTON));
    EXPECT_EQ(drawn[0].CtlID, 8u);
    EXPECT_EQ(drawn[0].itemState, 0u);
    EXPECT_EQ(drawn[0].hwndItem, button);
    EXPECT_EQ((std::array<int, 4>{drawn[0].rcItem.left, drawn[0].rcItem.top, drawn[0].rcItem.right, drawn[0].rcItem.bottom}),
              (std::array<int, 4>{0, 0, 40, 20}));
    // Nothing of the button's own look: its pixels are the dialog's.
    EXPECT_EQ(pixelAt(b, 20, 10), pixelAt(view.get(), 5, 5));
}

} // namespace
} // namespace winltest
