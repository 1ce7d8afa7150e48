#include "WinlViewFixture.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-wnd-appearance.h"
#include "kit/winl/winl-wnd-factory.h"
#include "platform/wsys/Application.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace winltest {
namespace {

using WinlAppearance = WinlViewTest;

TEST_F(WinlAppearance, RaiseAmountMovesTheLevelOnlyWhenItChanges) {
    Winl_vZoz_hwnd* dialog = Winl_vZoz_modelesswindow::initModeless(nullptr, nullptr, recordProc, 0, 0);
    wsys::Window* w = dialog->GetWindow();
    wsys::App().Activate();
    EXPECT_EQ(WINL_SetWindowLevel(dialog, 3), wsys::kNormalWindowLevel);
    WINL_SetWindowWantRaiseAmt(w, 2);
    EXPECT_EQ(w->Level(), 5);
    WINL_SetWindowWantRaiseAmt(dialog, 2);
    EXPECT_EQ(w->Level(), 5);
    EXPECT_EQ(WINL_GetWindowWantRaiseAmt(dialog), 2);
    wsys::App().Deactivate();
    WINL_SetWindowWantRaiseAmt(dialog, 0);
    EXPECT_EQ(w->Level(), 5);
    EXPECT_EQ(WINL_GetWindowWantRaiseAmt(view.get()), 0); // a plain window has none
    DestroyWindow(dialog);
}

TEST_F(WinlAppearance, RepresentedFileUnlessTheContentViewSaysNo) {
    WINL_SetWindowRepre(view.get(), "/tmp/a.zoz", true);
    EXPECT_EQ(window->RepresentedFilename(), "/tmp/a.zoz");
    EXPECT_TRUE(window->IsDocumentEdited());
    WINL_SetWindowRepre(window.get(), nullptr, false);
    EXPECT_EQ(window->RepresentedFilename(), "");
    SetProp(view.get(), "WINL_DisableWindowRepre", reinterpret_cast<void*>(1));
    WINL_SetWindowRepre(view.get(), "/tmp/b.zoz", true);
    EXPECT_EQ(window->RepresentedFilename(), "");
    SetTransparent(view.get());
    EXPECT_FALSE(window->IsOpaque());
    EXPECT_EQ(window->BackgroundColor()->alpha, 0);
    WINL_SetWindowShadow(view.get(), false);
    EXPECT_FALSE(window->HasShadow());
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    HWND ok = WINL_MakeButton(1, "OK", 6, 0, 0, 40, 20, 0);
    EXPECT_EQ(WINL_GetDefaultButtonID(view.get(), true), 6);
    EnableWindow(ok, 0);
    EXPECT_EQ(WINL_GetDefaultButtonID(view.get(), true), 0);
    EXPECT_EQ(WINL_GetDefaultButtonID(view.get(), false), 6);
    EXPECT_EQ(WINL_SetAppAutoHideMenuAndDock(2), 1);
    EXPECT_EQ(wsys::App().PresentationOptions(), 6u);
    WINL_SetAppAutoHideMenuAndDock(1);
    EXPECT_EQ(wsys::App().PresentationOptions(), 5u);
    WINL_SetAppAutoHideMenuAndDock(0);
    EXPECT_EQ(wsys::App().PresentationOptions(), 0u);
}

TEST_F(WinlAppearance, FocusRectangleMovesThenIsReplacedThenCloses) {
    HWND focus = nullptr;
    const RECT r{10, 30, 60, 20}; // top below bottom: swapped
    WINL_DrawFocusRect(view.get(), &r, &focus);
    auto* first = dynamic_cast<wsys::Window*>(focus);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->ParentWindow(), window.get());
    EXPECT_EQ(first->AlphaValue(), 0.5f);
    EXPECT_TRUE(first->IgnoresMouseEvents());
    POINT a{10, 30}, b{60, 20};
    ClientToScreen(view.get(), &a);
    ClientToScreen(view.get(), &b);
    EXPECT_EQ(first->Frame(), wsys::Rect(a.x, std::min(a.y, b.y), 50, std::abs(a.y - b.y)));
    const RECT moved{20, 20, 40, 40};
    WINL_DrawFocusRect(view.get(), &moved, &focus);
    EXPECT_EQ(focus, static_cast<HWND>(first));
    EXPECT_EQ(first->Frame().size, (wsys::Size{20, 20}));

    // Windows are told apart by number: the new one may take the old one's place in memory.
    const int firstNumber = first->WindowNumber();
    auto other = wsys::Make<wsys::Window>(wsys::Rect(500, 500, 100, 100), wsys::kTitledWindowMask);
    WINL_DrawFocusRect(other.get(), &moved, &focus);
    ASSERT_NE(dynamic_cast<wsys::Window*>(focus)->WindowNumber(), firstNumber);
    EXPECT_EQ(dynamic_cast<wsys::Window*>(focus)->ParentWindow(), other.get());
    EXPECT_TRUE(window->ChildWindows().empty());
    WINL_DrawFocusRect(nullptr, nullptr, &focus);
    EXPECT_EQ(focus, nullptr);
    EXPECT_TRUE(other->ChildWindows().empty());
    WINL_DrawFocusRect(nullptr, &moved, nullptr); // no handle: nothing
}

// ShellExecute against stand-ins on the PATH: "xdg-open" logs its arguments and fails for
// "bad"; "Calc" logs that it ran.
class ShellExecuteTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("zoz-shell-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        log = dir / "log";
        script("xdg-open", "echo \"xdg-open $*\" >> '" + log.string() + "'; [ \"$1\" != bad ]");
        script("Calc", "echo \"Calc $*\" >> '" + log.string() + "'");
        oldPath = std::getenv("PATH");
        setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(dir);
    }
    void script(const char* name, const std::string& body) {
        const auto path = dir / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    // The log, once it holds that many lines (programs that are launched are not waited for).
    std::string logLines(size_t lines) {
        for (int tries = 0; tries < 500; ++tries) {
            std::ifstream in(log);
            std::stringstream s;
            s << in.rdbuf();
            const std::string text = s.str();
            if (size_t(std::count(text.begin(), text.end(), '\n')) >= lines) return text;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "(timed out)";
    }
    std::filesystem::path dir, log;
    std::string oldPath;
};
using ShellExecute = ShellExecuteTest;

TEST_F(ShellExecute, MapsFilesFoldersUrlsAndApplications) {
    EXPECT_EQ(::ShellExecute(nullptr, "open", "explorer.exe", "/home/me/Patches", nullptr, 0), 1);
    EXPECT_EQ(::ShellExecute(nullptr, "open", "NOTEPAD", "/tmp/read me.txt", nullptr, 0), 1);
    EXPECT_EQ(::ShellExecute(nullptr, "open", "HTTP://example.org/a b", "ignored", nullptr, 0), 1);
    EXPECT_EQ(::ShellExecute(nullptr, "open", "bad", nullptr, nullptr, 0), 0); // the exit code counts
    EXPECT_EQ(::ShellExecute(nullptr, "open", "explorer.exe", nullptr, nullptr, 0), 0);
    EXPECT_EQ(::ShellExecute(nullptr, "open", nullptr, "", nullptr, 0), 0);
    EXPECT_EQ(::ShellExecute(nullptr, "open", "NoSuchProgram.app", nullptr, nullptr, 0), 0);
    EXPECT_EQ(logLines(4), "xdg-open /home/me/Patches\nxdg-open /tmp/read me.txt\n"
                           "xdg-open HTTP://example.org/a b\nxdg-open bad\n");
    EXPECT_EQ(::ShellExecute(nullptr, "open", "Calc.app", nullptr, nullptr, 0), 1);
    EXPECT_EQ(logLines(5).substr(logLines(5).rfind("Calc")), "Calc \n");
}

} // namespace
} // namespace winltest
