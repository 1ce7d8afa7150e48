#include "tests/kit_winl/WinlViewFixture.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-gdi-shapes.h"
#include "kit/winl/winl-gdi-text.h"
#include "platform/wsys/Render.h"
#include "tests/support/GoldenImage.h"

#include <array>

namespace winltest {
namespace {

using WinlPaint = WinlViewTest;
using WinlWindowDC = WinlViewTest;
using R = WINL_DialogResourceIndex;

constexpr uint32_t kBlue = wsys::MakePixel(0, 0, 255);

std::array<int, 4> edges(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// The content pixels of the window that hold the value, as their bounding box and count.
struct Found {
    RECT box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    int count = 0;
};
Found pixelsOf(const wsys::Window& w, uint32_t value) {
    Found f;
    for (int y = 0; y < w.ContentPixelHeight(); ++y)
        for (int x = 0; x < w.ContentPixelWidth(); ++x)
            if ((w.ContentPixels()[size_t(y * w.ContentPixelWidth() + x)] & ~0xFFu) == (value & ~0xFFu)) {
                f.box = RECT{std::min(f.box.left, x), std::min(f.box.top, y),
                             std::max(f.box.right, x + 1), std::max(f.box.bottom, y + 1)};
                ++f.count;
            }
    return f;
}

// WM_PAINT fills what BeginPaint hands out with a blue brush.
LRESULT fillPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    HGDIOBJ brush = CreateSolidBrush(0x0000FF);
    WINL_FillRect(hdc, &ps.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(hwnd, &ps);
    return 0;
}

// Records which views and plain views paint, in order.
std::vector<HWND> g_painted;
class PlainView : public wsys::View {
public:
    using View::View;
    void Draw(const wsys::Rect&) override { g_painted.push_back(this); }
};

LRESULT paintLogProc(HWND hwnd, unsigned int msg, WPARAM, LPARAM) {
    if (msg == WM_PAINT) g_painted.push_back(hwnd);
    return 0;
}

TEST_F(WinlPaint, BeginPaintHandsOutTheContextAndTheRoundedRectangleOnlyWhilePainting) {
    const struct {
        wsys::Rect dirty;
        bool painted;
        std::array<int, 4> rcPaint;
    } cases[] = {
        {wsys::Rect(10.5, 20.25, 5, 3), true, {10, 20, 16, 24}},
        {wsys::Rect(10, 20, 1, 1), true, {10, 20, 11, 21}}, // the smallest that paints
        {wsys::Rect(10, 20, 0.5, 30), false, {}},
    };
    for (const auto& c : cases) {
        g_answer = nullptr;
        window->Display();
        HDC given = nullptr;
        PAINTSTRUCT ps{};
        g_answer = [&](HWND h, unsigned int msg, WPARAM wParam, LPARAM) -> LRESULT {
            if (msg == WM_PAINT && BeginPaint(h, &ps)) given = HDC(wParam);
            return 0;
        };
        view->SetNeedsDisplayInRect(c.dirty);
        window->DisplayIfNeeded();
        EXPECT_EQ(given != nullptr, c.painted);
        EXPECT_EQ(ps.hdc, given);
        EXPECT_EQ(view->winlPaintContextUsed(), c.painted);
        if (c.painted) {
            EXPECT_EQ(edges(ps.rcPaint), c.rcPaint);
        }
    }
    PAINTSTRUCT outside{};
    outside.hdc = HDC(1);
    EXPECT_EQ(BeginPaint(view.get(), &outside), nullptr);
    EXPECT_EQ(outside.hdc, nullptr);
}

TEST_F(WinlPaint, ANonClientInsetMovesThePaintRectangleAndClipsToTheClientArea) {
    RECT painted{};
    g_answer = [&](HWND h, unsigned int msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == WM_NCCALCSIZE) {
            RECT& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
            r = RECT{r.left + 10, r.top + 10, r.right - 10, r.bottom - 10};
        }
        if (msg != WM_PAINT) return 0;
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        painted = ps.rcPaint;
        return fillPaint(h);
    };
    window->Display();
    EXPECT_EQ(edges(painted), (std::array<int, 4>{10, 10, 310, 210}));
    const Found blue = pixelsOf(*window, kBlue);
    EXPECT_EQ(edges(blue.box), (std::array<int, 4>{10, 10, 280, 180}));
    EXPECT_EQ(blue.count, 270 * 170);
}

TEST_F(WinlPaint, TheDialogBackgroundIsTheProceduresBrushUnlessItErasesItself) {
    for (LRESULT erase : {0, 1}) {
        R res{"d", nullptr, R::kOpaque | R::kFlipped, nullptr, 40, 30, nullptr};
        auto dialog = Winl_vZoz_hwnd::initChild(&res, window.get(), recordProc, 0);
        dialog->SetHidden(false);
        window->Display();
        HGDIOBJ brush = CreateSolidBrush(0x0000FF);
        g_answer = [&](HWND, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
            return msg == WM_ERASEBKGND ? erase : msg == WM_CTLCOLORDLG ? LRESULT(brush) : 0;
        };
        const RECT band{5, 6, 15, 16};
        InvalidateRect(dialog.get(), &band, 0);
        g_sent.clear();
        g_recordPaint = true;
        window->DisplayIfNeeded();
        g_recordPaint = false;
        const Found blue = pixelsOf(*window, kBlue);
        EXPECT_EQ(blue.count, erase ? 0 : 100);
        if (!erase) {
            EXPECT_EQ(edges(blue.box), edges(band));
        }
        std::vector<unsigned int> toProcedure;
        for (const Sent& s : g_sent)
            toProcedure.push_back(s.msg);
        std::vector<unsigned int> expected{WM_NCCALCSIZE, WM_NCPAINT, WM_ERASEBKGND, WM_PAINT};
        if (!erase) expected.insert(expected.begin() + 3, WM_CTLCOLORDLG);
        EXPECT_EQ(toProcedure, expected);
        DeleteObject(brush);
    }
}

TEST_F(WinlPaint, DirtyBitsRiseToTheFirstHolderAndOnePassPaintsOnlyWhatNeedsIt) {
    auto left = Winl_vZoz_hwnd::initChild(nullptr, view.get(), paintLogProc, 0);
    auto right = Winl_vZoz_hwnd::initChild(nullptr, view.get(), paintLogProc, 0);
    auto plain = wsys::Make<PlainView>(wsys::Rect(250, 150, 40, 40));
    view->AddSubview(plain.get());
    left->SetFrame(wsys::Rect(0, 0, 100, 100));
    right->SetFrame(wsys::Rect(120, 0, 100, 100));
    left->SetHidden(false);
    right->SetHidden(false);
    view->setWinlWindowProc(paintLogProc);
    window->Display();
    // Everything dirty: self, window views by recursion, then the plain view.
    EXPECT_EQ(g_painted, (std::vector<HWND>{view.get(), left.get(), right.get(), plain.get()}));

    g_painted.clear();
    InvalidateRect(left.get(), nullptr, 0);
    window->DisplayIfNeeded();
    EXPECT_EQ(g_painted, (std::vector<HWND>{left.get()})); // one WM_PAINT, the clean ones none
    EXPECT_EQ(left->winlDirtyBits() | view->winlDirtyBits(), 0);

    // Adding deep down marks every window view up to the first that already knows.
    auto deep = Winl_vZoz_hwnd::initChild(nullptr, left.get(), paintLogProc, 0);
    auto deeper = Winl_vZoz_hwnd::initChild(nullptr, deep.get(), paintLogProc, 0);
    const Winl_vZoz_hwnd* chain[] = {deeper.get(), deep.get(), left.get(), view.get()};
    auto bits = [&] {
        std::vector<int> out;
        for (const Winl_vZoz_hwnd* v : chain)
            out.push_back(v->winlDirtyBits());
        return out;
    };
    for (const Winl_vZoz_hwnd* v : chain)
        const_cast<Winl_vZoz_hwnd*>(v)->winlSetDirtyBits(0);
    left->winlSetDirtyBits(Winl_vZoz_hwnd::kDirtyChildren);
    deeper->AddSubview(wsys::Make<wsys::View>().get());
    EXPECT_EQ(bits(), (std::vector<int>{2, 2, 2, 0}));
    // Removing marks both bits the same way.
    left->winlSetDirtyBits(3);
    deeper->Subviews()[0]->RemoveFromSuperview();
    EXPECT_EQ(bits(), (std::vector<int>{3, 3, 3, 0}));
}

TEST_F(WinlPaint, UnderAPlainViewThatAloneNeedsDisplayTheBackgroundIsTheProceduresBrush) {
    auto plain = wsys::Make<PlainView>(wsys::Rect(20, 30, 10, 10));
    view->AddSubview(plain.get());
    window->Display();
    HGDIOBJ brush = CreateSolidBrush(0x0000FF);
    g_answer = [&](HWND, unsigned int msg, WPARAM, LPARAM) -> LRESULT {
        return msg == WM_CTLCOLORDLG ? LRESULT(brush) : 0;
    };
    g_painted.clear();
    plain->SetNeedsDisplayInRect(wsys::Rect(2, 2, 4, 4));
    window->DisplayIfNeeded();
    EXPECT_EQ(g_painted, (std::vector<HWND>{plain.get()}));
    // Grown by a pixel within the plain view, but the pass draws only its own rectangle (the
    // plain view is not flipped: its y counts up).
    EXPECT_EQ(edges(pixelsOf(*window, kBlue).box), (std::array<int, 4>{22, 34, 26, 38}));
    DeleteObject(brush);
}

TEST_F(WinlPaint, ADialogPaintsItsBackgroundControlsAndText) {
    static HWND dialog;
    g_answer = [](HWND h, unsigned int msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg != WM_PAINT) return 0;
        HDC hdc = HDC(wParam);
        HGDIOBJ pen = CreatePen(0, 1, 0x404040), brush = CreateSolidBrush(0xF8F8F8);
        SelectObject(hdc, pen);
        SelectObject(hdc, brush);
        if (h == dialog) {
            RoundRect(hdc, 10, 10, 150, 70, 12, 12);
            RECT r{20, 20, 140, 40};
            WINL_DrawText(hdc, "Bank name: Grüße", -1, &r, 0);
        } else {
            Ellipse(hdc, 2, 2, 38, 22);
            RECT r{0, 6, 40, 20};
            WINL_DrawText(hdc, "OK", -1, &r, DT_CENTER);
        }
        DeleteObject(pen);
        DeleteObject(brush);
        return 0;
    };
    R res{"d", "Dialog", R::kOpaque | R::kFlipped, nullptr, 160, 100, nullptr};
    dialog = WINL_CreateDialog(&res, "d", nullptr, recordProc, 0);
    auto button = Winl_vZoz_hwnd::initChild(nullptr, dialog, recordProc, 0);
    button->SetFrame(wsys::Rect(110, 74, 40, 24));
    button->SetHidden(false);
    ShowWindow(dialog, SW_SHOW);
    const platform::Image img = wsys::RenderWindow(static_cast<wsys::View*>(dialog)->GetWindow());
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_winl/golden/winl_dialog.png", img.pixels.data(),
                                           img.width, img.height, img.width, 16, img.width * img.height / 200));
}

TEST_F(WinlWindowDC, APaintLendsItsContextOthersDrawThroughTheWindowsCanvas) {
    HDC lent = nullptr;
    g_answer = [&](HWND h, unsigned int msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg != WM_PAINT) return 0;
        lent = GetDC(window.get());
        EXPECT_EQ(lent, HDC(wParam));
        EXPECT_EQ(ReleaseDC(h, lent), 1);
        EXPECT_TRUE(WINL_IsLiveContext(lent));
        return 0;
    };
    window->Display();
    ASSERT_NE(lent, nullptr);
    g_answer = nullptr;

    // Outside a paint: (0, 0) is the view's point (0, 0); the window DC's is the bounds' corner.
    view->SetBoundsOrigin(wsys::Point{5, 3});
    window->Display();
    for (auto get : {GetDC, GetWindowDC}) {
        HDC dc = get(view.get());
        WINL_SetPixel(dc, get == GetDC ? 6 : 1, get == GetDC ? 5 : 2, 0x0000FF);
        EXPECT_EQ(window->ContentPixels()[2 * 300 + 1], kBlue) << (get == GetDC);
        window->Display();
        ReleaseDC(view.get(), dc);
    }
    EXPECT_EQ(wsys::GraphicsContext::Current(), nullptr);

    // Released out of order, the other context still draws; a null handle only deletes.
    auto child = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0);
    child->SetHidden(false);
    HDC a = GetDC(view.get()), b = GetDC(child.get());
    ReleaseDC(view.get(), a);
    EXPECT_EQ(WINL_SetPixel(b, 10, 10, 0x0000FF), 0x0000FF);
    ReleaseDC(nullptr, b);
    EXPECT_FALSE(WINL_IsLiveContext(b));
    EXPECT_EQ(wsys::GraphicsContext::Current(), nullptr);

    child->SetHidden(true);
    EXPECT_EQ(GetDC(child.get()), nullptr);
    auto loose = Winl_vZoz_hwnd::initChild(nullptr, nullptr, recordProc, 0);
    loose->SetHidden(false);
    EXPECT_EQ(GetDC(loose.get()), nullptr);
    EXPECT_EQ(GetDC(nullptr), nullptr);
}

} // namespace
} // namespace winltest
