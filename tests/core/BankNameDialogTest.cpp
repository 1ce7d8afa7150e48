#include "src/core/ZozDialogs.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-wnd-factory.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Inject.h"
#include "platform/wsys/KeyLayout.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/Window.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

namespace wsys = platform::wsys;

const char* resource(int id) {
    return reinterpret_cast<const char*>(intptr_t(id));
}

std::string g_name;
std::vector<int> g_commands;

// What a caller of the dialog would do: on "OK" it reads the name field.
LRESULT bankNameProc(HWND dialog, unsigned int msg, WPARAM wParam, LPARAM) {
    if (msg != WM_COMMAND) return 0;
    g_commands.push_back(int(wParam & 0xFFFF));
    if ((wParam & 0xFFFF) == IDC_BANK_NAME_OK) {
        char buf[64] = "";
        GetDlgItemText(dialog, IDC_BANK_NAME, buf, sizeof buf);
        g_name = buf;
    }
    return 1;
}

class BankNameDialog : public ::testing::Test {
protected:
    void SetUp() override {
        wsys::App().Reset();
        ZozRegisterDialogResources();
        g_name.clear();
        g_commands.clear();
    }
    void TearDown() override { wsys::App().Reset(); }
};

std::array<double, 4> frameOf(HWND dialog, int id) {
    const wsys::Rect f = static_cast<wsys::View*>(GetDlgItem(dialog, id))->Frame();
    return {f.MinX(), f.MinY(), f.size.width, f.size.height};
}

TEST_F(BankNameDialog, LaysOutItsFourControlsAndHandsOverTheTypedName) {
    ZozRegisterDialogResources(); // twice: listed once
    const WINL_DialogResourceIndex* r = ZozDialogResources();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->id, resource(IDD_PATCH_SAVE));
    EXPECT_EQ(r->next, nullptr);
    EXPECT_EQ(std::string(r->title), "Enter Bank Name");
    EXPECT_EQ(r->typeFlags, 12);
    EXPECT_EQ(r->width, 396);
    EXPECT_EQ(r->height, 144);

    HWND dialog = WINL_CreateDialog(ZozDialogResources(), resource(IDD_PATCH_SAVE), nullptr, bankNameProc, 0);
    ASSERT_NE(dialog, nullptr);
    wsys::Window* window = static_cast<wsys::View*>(dialog)->GetWindow();
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(window->Title(), "Enter Bank Name");
    auto* label = static_cast<wsys::TextField*>(GetDlgItem(dialog, -1));
    auto* cancel = static_cast<wsys::Button*>(GetDlgItem(dialog, 2));
    auto* ok = static_cast<wsys::Button*>(GetDlgItem(dialog, IDC_BANK_NAME_OK));
    EXPECT_EQ(frameOf(dialog, -1), (std::array<double, 4>{18, 18, 360, 14}));
    EXPECT_EQ(frameOf(dialog, IDC_BANK_NAME), (std::array<double, 4>{18, 36, 360, 22}));
    EXPECT_EQ(frameOf(dialog, 2), (std::array<double, 4>{288, 108, 90, 25}));
    EXPECT_EQ(frameOf(dialog, IDC_BANK_NAME_OK), (std::array<double, 4>{180, 108, 90, 25}));
    EXPECT_EQ(label->StringValue(), "Bank Name");
    EXPECT_EQ(cancel->Title(), "Cancel");
    EXPECT_EQ(ok->Title(), "OK");
    EXPECT_EQ(window->DefaultButton(), nullptr);
    EXPECT_EQ(ok->Font()->Size(), 10);

    const platform::Image img = wsys::RenderWindow(window);
    EXPECT_TRUE(testsupport::MatchesGolden("tests/core/golden/bank_name_dialog.png", img.pixels.data(), img.width,
                                           img.height, img.width, 16, img.width * img.height / 200));

    wsys::inject::Click(wsys::inject::CenterOf(static_cast<wsys::View*>(GetDlgItem(dialog, IDC_BANK_NAME))));
    wsys::inject::Type(u"Pads 2");
    wsys::inject::Click(wsys::inject::CenterOf(ok));
    wsys::App().DispatchPendingEvents();
    EXPECT_EQ(g_name, "Pads 2");
    EXPECT_EQ(g_commands.back(), IDC_BANK_NAME_OK);
    DestroyWindow(dialog);
}

TEST_F(BankNameDialog, CenteringAndTheMessageDialogProcedure) {
    auto parent = wsys::Make<wsys::Window>(wsys::Rect(100, 300, 401, 200), wsys::kBorderlessWindowMask);
    auto dialog = wsys::Make<wsys::Window>(wsys::Rect(0, 0, 200, 50), wsys::kBorderlessWindowMask);
    centerDialog(parent.get(), dialog.get());
    RECT d{};
    GetWindowRect(dialog.get(), &d);
    EXPECT_EQ(d.left, 200); // 100 + 401 / 2 - 200 / 2, halves truncated
    EXPECT_EQ(d.right - d.left, 200);

    // Command 2 is answered and closes nothing.
    HWND box = WINL_CreateDialog(ZozDialogResources(), resource(IDD_PATCH_SAVE), nullptr, MessageBoxProg, 0);
    EXPECT_EQ(MessageBoxProg(box, WM_COMMAND, 2, 0), 1);
    EXPECT_TRUE(IsWindow(box));
    EXPECT_EQ(MessageBoxProg(box, WM_PAINT, 0, 0), 0);
    DestroyWindow(box);
}

// A message dialog whose only way out is its control of id 1 (the default button here).
void messageControls(HWND view, int) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view, false, false);
    WINL_MakeButton(0, "Other", 3, 10, 10, 60, 24, 0);
    WINL_MakeButton(1, "Close", 1, 80, 10, 60, 24, 0);
}

TEST_F(BankNameDialog, AMessageDialogClosesThroughItsControlOfIdOne) {
    static WINL_DialogResourceIndex message{resource(900), "Note", WINL_DialogResourceIndex::kFlipped,
                                            messageControls, 160, 50, nullptr};
    WINL_DialogResourceIndex* saved = ZozDialogResources()->next;
    ZozDialogResources()->next = &message;
    // Return presses the default button once the dialog runs.
    wsys::inject::Key(wsys::kKeyCodeReturn);
    EXPECT_EQ(showMessageBox(nullptr, nullptr, 900, nullptr), 1);
    EXPECT_EQ(showMessageBox(nullptr, nullptr, 901, nullptr), -1);
    ZozDialogResources()->next = saved;
}

} // namespace
