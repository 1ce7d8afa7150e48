#include "tests/kit_winl/WinlViewFixture.h"

#include "platform/wsys/Controls.h"

namespace winltest {
namespace {

using WinlSendMessage = WinlViewTest;

TEST_F(WinlSendMessage, ButtonsKeepTheirCheckStateAndTheLayersOnesAnImage) {
    wsys::Ref<wsys::Button> plain = wsys::Make<wsys::Button>();
    const std::pair<WPARAM, LRESULT> checks[] = {{2, 2}, {3, 2}, {1, 1}, {0, 0}, {5, 1}, {6, 2}};
    for (const auto& [set, get] : checks) {
        EXPECT_EQ(SendMessage(plain.get(), BM_SETCHECK, set, 0), 0);
        EXPECT_EQ(SendMessage(plain.get(), BM_GETCHECK, 0, 0), get) << set;
    }
    HGDIOBJ bitmap = GDP_OBJECT_NEW();
    bitmap->type = WINL_OBJ_BITMAP;
    bitmap->image = std::make_shared<platform::Image>(1, 1);
    EXPECT_EQ(SendMessage(plain.get(), BM_SETIMAGE, IMAGE_BITMAP, LPARAM(bitmap)), 0);
    EXPECT_EQ(plain->GetImage(), nullptr);

    wsys::Ref<Winl_vZoz_button> own = wsys::Make<Winl_vZoz_button>();
    EXPECT_EQ(SendMessage(own.get(), BM_SETIMAGE, IMAGE_BITMAP, LPARAM(bitmap)), 0);
    EXPECT_EQ(own->GetImage(), bitmap->image);
    EXPECT_EQ(SendMessage(own.get(), BM_GETIMAGE, IMAGE_ICON, 0), LRESULT(bitmap));
    EXPECT_EQ(SendMessage(own.get(), BM_GETIMAGE, 2, 0), 0);
    HGDIOBJ brush = CreateSolidBrush(0);
    EXPECT_EQ(SendMessage(own.get(), BM_SETIMAGE, IMAGE_BITMAP, LPARAM(brush)), LRESULT(bitmap));
    EXPECT_EQ(own->GetImage(), nullptr);
    EXPECT_EQ(own->getWinlGDIImage(), nullptr);
    DeleteObject(brush);
    DeleteObject(bitmap);
}

TEST_F(WinlSendMessage, SlidersAsTrackbars) {
    wsys::Ref<wsys::Slider> slider = wsys::Make<wsys::Slider>();
    EXPECT_EQ(SendMessage(slider.get(), TBM_SETRANGE, 1, LPARAM(100 << 16)), 1);
    EXPECT_EQ(slider->MinValue(), 0);
    EXPECT_EQ(slider->MaxValue(), 100);
    EXPECT_EQ(SendMessage(slider.get(), TBM_SETRANGE, 1, LPARAM(0xFFFF0010)), 1);
    EXPECT_EQ(slider->MinValue(), 16);
    EXPECT_EQ(slider->MaxValue(), 65535); // both halves unsigned
    slider->SetMinValue(0);
    slider->SetMaxValue(1000);
    slider->SetDoubleValue(499.6);
    EXPECT_EQ(SendMessage(slider.get(), TBM_GETPOS, 0, 0), 500);
    EXPECT_EQ(SendMessage(slider.get(), TBM_SETPOS, 1, 1000), 1);
    EXPECT_EQ(SendMessage(slider.get(), TBM_GETPOS, 0, 0), 1000);
    EXPECT_EQ(SendMessage(slider.get(), TBM_SETTIC, 0, 5), 1);
    EXPECT_EQ(SendMessage(slider.get(), 0x402, 0, 0), 0);
}

TEST_F(WinlSendMessage, EditSelectionsOnlyWhileTheFieldIsEdited) {
    wsys::Ref<wsys::TextField> field = wsys::Make<wsys::TextField>(wsys::Rect(0, 0, 100, 20));
    field->SetEditable(true);
    field->SetStringValue("h\xC3\xA9llo world"); // 11 units
    view->AddSubview(field.get());
    int start = -9, end = -9;
    SendMessage(field.get(), EM_SETSEL, 2, 4);
    SendMessage(field.get(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);

    window->MakeFirstResponder(field.get());
    EXPECT_EQ(GetFocus(), HWND(field.get()));
    const struct {
        int start, end, wantStart, wantEnd;
    } cases[] = {{-1, 7, 0, 0}, {0, -1, 0, 11}, {5, 2, 2, 5}, {5, 100, 5, 11}, {11, 11, 11, 11},
                 {-5, 3, 3, 11}, {4, -3, 0, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(SendMessage(field.get(), EM_SETSEL, WPARAM(c.start), LPARAM(c.end)), 0);
        SendMessage(field.get(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
        EXPECT_EQ(start, c.wantStart) << c.start << ", " << c.end;
        EXPECT_EQ(end, c.wantEnd) << c.start << ", " << c.end;
    }
    EXPECT_EQ(SendMessage(field.get(), EM_SETPASSWORDCHAR, '*', 0), 0);
    SendMessage(field.get(), EM_GETSEL, 0, 0); // null pointers are skipped
}

// A window that takes messages itself.
class MessageWindow : public wsys::Window, public WinlMessageTarget {
public:
    using Window::Window;
    LRESULT onWinlMessage(unsigned int msg, WPARAM, LPARAM) override { return msg + 1; }
};

TEST_F(WinlSendMessage, OthersGoBetweenAWindowAndItsContentView) {
    auto w = wsys::Make<MessageWindow>(wsys::Rect(0, 0, 10, 10), wsys::kBorderlessWindowMask);
    EXPECT_EQ(SendMessage(w->ContentView(), 0x500, 0, 0), 0x501);
    wsys::Ref<wsys::View> loose = wsys::Make<wsys::View>();
    EXPECT_EQ(SendMessage(loose.get(), 0x500, 0, 0), 0);
    g_answer = [](HWND, unsigned int msg, WPARAM, LPARAM) -> LRESULT { return msg == 0x500 ? 7 : 0; };
    EXPECT_EQ(SendMessage(window.get(), 0x500, 0, 0), 7);
    EXPECT_EQ(SendMessage(nullptr, 0x500, 0, 0), 0);
    // A button message to a view that is no button goes the same way.
    EXPECT_EQ(SendMessage(w->ContentView(), BM_GETCHECK, 0, 0), BM_GETCHECK + 1);
}

TEST_F(WinlSendMessage, CaptureChangesAreToldToTheViewsThatAskForThem) {
    auto other = Winl_vZoz_hwnd::initChild(nullptr, view.get(), recordProc, 0);
    g_sent.clear();
    EXPECT_EQ(SetCapture(view.get()), nullptr);
    EXPECT_EQ(SetCapture(view.get()), view.get());
    EXPECT_EQ(SetCapture(other.get()), view.get());
    wsys::Ref<wsys::View> plain = wsys::Make<wsys::View>();
    EXPECT_EQ(SetCapture(plain.get()), other.get());
    EXPECT_EQ(ReleaseCapture(), 1); // the plain view asked for nothing
    EXPECT_EQ(g_sent, (std::vector<Sent>{{view.get(), WM_CAPTURECHANGED, 0, LPARAM(other.get())},
                                         {other.get(), WM_CAPTURECHANGED, 0, LPARAM(plain.get())}}));
}

} // namespace
} // namespace winltest
