// Editors in host windows on the virtual display, driven by the host's calls from other
// threads: nothing hangs and nothing races (this test is also the ThreadSanitizer run).

#include <gtest/gtest.h>

#include "kit/effect/IContactControl.h"
#include "kit/effect/IGraphicsLinux.h"
#include "kit/effect/IPanelControl.h"
#include "kit/effect/IPopupMenu.h"
#include "kit/rast/RAST_IBitmap.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestVSTEffect.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XHostWindow.h"

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

VstIntPtr host(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

// Eight visible parameters, each shown by a control of the editor.
class EditorEffect : public testsupport::TestVSTEffect {
public:
    EditorEffect() : TestVSTEffect(host, options()) {
        for (int i = 0; i < NParams(); ++i)
            GetParam(i)->InitDouble("p", 0.0, 0.0, 1.0, 0.0);
        auto* g = new IGraphicsLinux(this, 200, 100);
        AttachGraphics(g);
        g->AttachPanelBackground(&COLOR_GRAY);
        for (int i = 0; i < NParams(); ++i)
            g->AttachControl(
                new testsupport::TestControl(this, IRECT(i * 24, 0, i * 24 + 20, 20), i));
    }
    VstIntPtr Call(VstInt32 opcode, VstIntPtr value = 0, void* ptr = nullptr) {
        return GetAEffect()->dispatcher(GetAEffect(), opcode, 0, value, ptr, 0.0f);
    }

private:
    static Options options() {
        Options o;
        o.nVisible = o.nParams;
        return o;
    }
};

TEST(EditorThreads, OpenAndCloseWhileTheHostSetsParametersAndChunks) {
    testsupport::XHostWindow window(300, 200);
    if (!window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    testsupport::Watchdog watchdog(120, "opening and closing editors");
    std::vector<EditorEffect*> effects{new EditorEffect, new EditorEffect};
    std::atomic<bool> stop{false};
    std::vector<std::thread> hosts;
    for (EditorEffect* effect : effects)
        hosts.emplace_back([effect, &stop] {
            AEffect* a = effect->GetAEffect();
            for (int i = 0; !stop; ++i) {
                a->setParameter(a, i % 8, float(i % 100) / 100.0f);
                void* data = nullptr;
                const VstIntPtr n = effect->Call(effGetChunk, 0, &data);
                std::vector<char> chunk(static_cast<char*>(data), static_cast<char*>(data) + n);
                effect->Call(effSetChunk, n, chunk.data());
            }
        });
    for (int round = 0; round < 10; ++round)
        for (EditorEffect* effect : effects) {
            ASSERT_EQ(effect->Call(effEditOpen, 0, reinterpret_cast<void*>(window.window())), 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            if (round % 2) effect->Call(effEditClose);
        }
    stop = true;
    for (auto& t : hosts)
        t.join();
    for (EditorEffect* effect : effects)
        effect->Call(effClose);
}

// Two editors of one process at once, headless: one draws its texts with the cached fonts
// that every editor shares, under their lock, while the other opens menus, each drawn with a
// font of its own. Both render glyphs all the while: nothing of it may be shared unguarded.
TEST(EditorThreads, OneEditorDrawsTextWhileAnotherOpensMenus) {
    testsupport::Watchdog watchdog(120, "text and menus at once");
    testsupport::TestEffect plugs[2] = {{8, 8}, {8, 8}};
    IGraphicsLinux* editors[2];
    for (int i = 0; i < 2; ++i) {
        editors[i] = new IGraphicsLinux(&plugs[i], 200, 100);
        plugs[i].AttachGraphics(editors[i]);
        editors[i]->OpenWindow(nullptr);
    }
    IPopupMenu menu;
    for (const char* item : {"Init", "Edit Ärger", "0123456789"})
        menu.AddItem(item);
    std::thread menus([&] {
        for (int i = 0; i < 40; ++i) {
            IRECT area(20, 30, 68, 40);
            editors[1]->CreateIPopupMenu(&menu, &area); // no input: shown, then dismissed
        }
    });
    for (int i = 0; i < 400; ++i) {
        IText text;
        text.mSize = 9 + i % 7; // a few fonts, each rendered anew
        IRECT area(0, 0, 200, 40);
        editors[0]->DrawIText(&text, "Zoz Ed\xC3\xA4itor 0123 \xE2\x82\xAC", &area, false);
    }
    menus.join();
    for (IGraphicsLinux* editor : editors)
        editor->CloseWindow();
}

// A contact whose press asks a question in a message box. The box takes the press's release
// with its own clicks; the press still ends: the contact is dark again and its next press asks
// again.
TEST(EditorThreads, APressThatOpensAMessageBoxEndsWithTheBox) {
    testsupport::XHostWindow window(300, 200);
    if (!window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    testsupport::Watchdog watchdog(120, "a press that opens a message box");
    setenv("ZOZ_FILE_CHOOSER", "drawn", 1);
    testsupport::TestEffect plug{8, 8};
    plug.GetParam(0)->InitDouble("Refresh", 0.0, 0.0, 1.0, 1.0);
    auto* editor = new IGraphicsLinux(&plug, 200, 100);
    plug.AttachGraphics(editor);
    editor->AttachPanelBackground(&COLOR_GRAY);
    RAST_MemBitmap frames(20, 40, 4);
    const IBitmap strip{&frames, 20, 40, 2, false};
    auto* contact = new IContactControl(&plug, 10, 10, 0, &strip);
    editor->AttachControl(contact);
    std::atomic<int> asked{0};
    plug.onChange = [&](int idx) {
        if (idx != 0 || plug.GetParam(0)->Value() != 1.0) return;
        ++asked;
        editor->ShowMessageBox("Refresh?", "Zoz press box", 1); // OK, Cancel
    };
    ASSERT_NE(editor->OpenWindow(reinterpret_cast<void*>(window.window())), nullptr);
    XMoveWindow(window.display(), window.window(), 0, 0);
    XSync(window.display(), False);
    for (int press = 1; press <= 2; ++press) {
        EXPECT_EQ(testsupport::Xdotool({"mousemove", "22", "23", "click", "1"}), 0);
        // Escape goes through the keyboard once the box has the focus.
        ASSERT_TRUE(testsupport::WaitUntil(
            [&] {
                std::string box, focus;
                return testsupport::Xdotool({"search", "--onlyvisible", "--name", "Zoz press box"},
                                            &box) == 0 &&
                       testsupport::Xdotool({"windowfocus", box.substr(0, box.find('\n'))}) == 0 &&
                       testsupport::Xdotool({"getwindowfocus", "-f"}, &focus) == 0 &&
                       focus.substr(0, focus.find('\n')) == box.substr(0, box.find('\n'));
            },
            20000));
        EXPECT_EQ(asked, press);
        EXPECT_EQ(testsupport::Xdotool({"key", "Escape"}), 0);
        EXPECT_TRUE(testsupport::WaitUntil([&] {
            KIT_MutexLock lock(plug.GetMutex());
            return contact->GetValue() == 0.0;
        })) << "press " << press;
    }
    {
        // As a host closes it: its editor thread draws under the plug lock until the close.
        KIT_MutexLock lock(plug.GetMutex());
        editor->CloseWindow();
    }
    unsetenv("ZOZ_FILE_CHOOSER");
}

} // namespace
