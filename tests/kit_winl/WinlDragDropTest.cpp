// Drags out of window views (promised files written on drop, file lists), drops onto a view
// that takes them (hooks, WM_DROPFILES blocks) and GL contexts of views.

#include "WinlViewFixture.h"
#include "kit/winl/winl-clipboard.h"
#include "kit/winl/winl-hostviews.h"
#include "platform/wsys/Alert.h"
#include "platform/wsys/GLContext.h"
#include "platform/wsys/Pasteboard.h"
#include "platform/wsys/RunLoop.h"
#include "tests/support/BankFileGenerator.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace winltest {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> g_written;
void writer(const char* target) {
    g_written.push_back(target);
    std::ofstream(target) << "new";
}

// The bytes of a drop block, as a test reads them.
std::string bytesOf(HGLOBAL block) {
    return std::string(static_cast<const char*>(block), size_t(GlobalSize(block)));
}
std::vector<std::string> g_hookCalls;
std::string g_targetFolder;

class WinlDragDrop : public WinlViewTest {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        g_written.clear();
        g_hookCalls.clear();
        wsys::SetFileManagerFolder("");
        WINL_DDrop_onDragEnter = nullptr;
        WINL_DDrop_onDragOver = nullptr;
        WINL_DDrop_onDragLeave = nullptr;
        WINL_DDrop_getDroppedFileTargetPath = nullptr;
    }
    void TearDown() override {
        wsys::RunLoop::Main().SetTurnHook(nullptr);
        WINL_FinishDragDrop();
        WinlViewTest::TearDown();
    }
    // Queues a press on the view and a drag to the screen point, released there.
    void queueDragTo(wsys::Point to) {
        wsys::inject::Down(wsys::inject::CenterOf(view.get()));
        wsys::inject::MoveTo(wsys::Point{to.x - 5, to.y});
        wsys::inject::MoveTo(to);
        wsys::inject::Up(to);
    }
    // Every alert gets a click on its button with this index; the messages are kept.
    void answerAlertsWith(size_t button) {
        wsys::RunLoop::Main().SetTurnHook([this, button] {
            auto* alert = dynamic_cast<wsys::AlertPanel*>(wsys::App().KeyWindow());
            // By its number: a new alert may take the place in memory of one answered before.
            if (!alert || alert->WindowNumber() == m_answered) return;
            m_answered = alert->WindowNumber();
            alerts.push_back(alert->Message());
            const wsys::Rect f = alert->ButtonScreenFrame(button);
            wsys::inject::Click(wsys::Point{f.MinX() + f.size.width / 2, f.MinY() + f.size.height / 2});
        });
    }
    std::vector<std::string> alerts;

private:
    int m_answered = 0;
};

} // namespace

// A promised file dropped on the file manager's folder: a free name or the user's choice.
TEST_F(WinlDragDrop, PromisedFileTakesAFreeNameOrTheUsersChoice) {
    struct Case {
        const char* existing; // "" none; "->" a dangling link
        const char* name;
        size_t button; // Keep Both Files, Stop, Replace
        const char* written;
    };
    const Case cases[] = {
        {"", "fresh.wav", 0, "fresh.wav"},
        {"song.txt", "song.txt", 0, "song 001.txt"},
        {"song-007.txt", "song-007.txt", 0, "song-008.txt"},
        {"v_12", "v_12", 0, "v_013"},
        {"1234.txt", "1234.txt", 0, "1234 001.txt"},
        {"song.txt", "song.txt", 1, ""},
        {"song.txt", "song.txt", 2, "song.txt"},
        {"a_999.txt", "a_999.txt", 0, ""},
        {"->", "link.txt", 0, "link 001.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempFolder folder;
        const std::string at = folder.path() + "/" + c.name;
        if (std::string(c.existing) == "->")
            ASSERT_EQ(symlink((folder.path() + "/gone").c_str(), at.c_str()), 0);
        else if (*c.existing)
            std::ofstream(at) << "old";
        wsys::SetFileManagerFolder(folder.path());
        g_written.clear();
        alerts.clear();
        answerAlertsWith(c.button);
        queueDragTo(wsys::Point{1500, 900});
        const RECT r{0, 0, 32, 32};
        WINL_InitiateDragDrop(view.get(), &r, (std::string("/src/") + c.name).c_str(), writer);

        EXPECT_EQ(alerts.size(), *c.existing ? 1u : 0u);
        if (*c.existing) {
            EXPECT_EQ(alerts[0], std::string("An item named \"") + c.name +
                                     "\" already exists in this location. Do you want to "
                                     "replace it with the one you're moving?");
        }
        if (*c.written) {
            ASSERT_EQ(g_written, std::vector<std::string>{folder.path() + "/" + c.written});
            EXPECT_EQ(readFile(g_written[0]), "new");
            EXPECT_EQ(wsys::LastDrag().operation, wsys::kDragOperationCopy);
        } else {
            EXPECT_TRUE(g_written.empty());
            EXPECT_EQ(wsys::LastDrag().operation, wsys::kDragOperationNone);
            EXPECT_EQ(readFile(at), "old");
        }
        EXPECT_EQ(wsys::LastDrag().types,
                  std::vector<std::string>{wsys::kFilesPromisePboardType});
        // The drop forgot the drag.
        EXPECT_TRUE(WINL_DoDragDrop(folder.path().c_str()).empty());
    }
}

// Released nowhere the drag stays pending until a press in a window view.
TEST_F(WinlDragDrop, APressForgetsThePendingDrag) {
    testsupport::TempFolder folder;
    queueDragTo(wsys::Point{1500, 900});
    WINL_InitiateDragDrop(view.get(), nullptr, "x.syx", writer);
    wsys::inject::Click(wsys::inject::CenterOf(view.get()));
    run();
    EXPECT_TRUE(WINL_DoDragDrop(folder.path().c_str()).empty());
    EXPECT_TRUE(g_written.empty());
}

// A promised file dragged from another window onto a view that takes drops: the preview names
// "tmp." + type, the drop writes where the hook says or into a private folder, and without
// the hook the drop is refused.
TEST_F(WinlDragDrop, PromisedFilesDroppedOnAView) {
    view->winlSetExtendedStyle(0x10);
    wsys::Ref<wsys::Window> other =
        wsys::Make<wsys::Window>(wsys::Rect(600, 100, 100, 100), wsys::kBorderlessWindowMask);
    wsys::Ref<Winl_vZoz_hwnd> source = Winl_vZoz_hwnd::initChild(nullptr, other.get(), nullptr, 0);
    source->SetHidden(false);
    other->OrderFront();
    testsupport::TempFolder folder;
    g_targetFolder = folder.path();
    WINL_DDrop_onDragEnter = [](HGLOBAL block, int, int) {
        g_hookCalls.push_back("enter " + bytesOf(block).substr(16));
    };
    WINL_DDrop_onDragLeave = [] { g_hookCalls.push_back("leave"); };
    WINL_DDrop_getDroppedFileTargetPath = [](const char* type) {
        g_hookCalls.push_back(std::string("target ") + type);
        return g_targetFolder.c_str();
    };
    std::string dropped;
    g_answer = [&](HWND, unsigned msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg != WM_DROPFILES) return msg == WM_NCHITTEST ? HTCLIENT : 0;
        char name[512];
        DragQueryFile(HDROP(w), 0, name, sizeof name);
        dropped = name;
        return 0;
    };
    const wsys::Point into = wsys::inject::CenterOf(view.get());
    auto dragFromOther = [&] {
        wsys::inject::Down(wsys::inject::CenterOf(source.get()));
        wsys::inject::MoveTo(into);
        wsys::inject::Up(into);
        WINL_InitiateDragDrop(source.get(), nullptr, "/src/take.wav", writer);
    };
    dragFromOther();
    EXPECT_EQ(g_hookCalls, (std::vector<std::string>{std::string("enter tmp.wav\0\0", 15), "leave",
                                                     "target wav"}));
    EXPECT_EQ(dropped, folder.path() + "/take.wav");
    EXPECT_EQ(wsys::LastDrag().operation, wsys::kDragOperationGeneric);

    // An empty answer: a fresh folder only this user can enter.
    g_targetFolder = "";
    dragFromOther();
    const std::string privateFolder = dropped.substr(0, dropped.rfind('/'));
    EXPECT_NE(privateFolder, "/tmp");
    EXPECT_EQ(readFile(dropped), "new");
    struct stat st;
    ASSERT_EQ(stat(privateFolder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    unlink(dropped.c_str());
    rmdir(privateFolder.c_str());

    WINL_DDrop_getDroppedFileTargetPath = nullptr;
    dropped.clear();
    g_written.clear();
    dragFromOther();
    EXPECT_TRUE(dropped.empty());
    EXPECT_TRUE(g_written.empty());
    EXPECT_EQ(wsys::LastDrag().operation, wsys::kDragOperationNone);
}

// Two files dragged within one window onto a drop view: the block byte for byte with the
// point in view coordinates, window repaints held off meanwhile; no hooks, nothing else.
TEST_F(WinlDragDrop, FileListDropGivesTheBlock) {
    view->winlSetExtendedStyle(0x10);
    wsys::Ref<Winl_vZoz_hwnd> child = Winl_vZoz_hwnd::initChild(nullptr, view.get(), nullptr, 0);
    child->SetFrame(wsys::Rect(0, 0, 40, 40));
    child->SetHidden(false);
    std::string block;
    void* repaintsOff = nullptr;
    g_answer = [&](HWND, unsigned msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg == WM_DROPFILES) {
            block = bytesOf(HGLOBAL(w));
            repaintsOff = GetProp(view.get(), "WINL_DisableWindowRepre");
        }
        return msg == WM_NCHITTEST ? HTCLIENT : 0;
    };
    // The view is flipped: (150, 60) of the view is 50.4 above its bottom edge.
    const wsys::Point to = wsys::inject::ScreenPoint(view.get(), wsys::Point{150.4, 59.6});
    wsys::inject::Down(wsys::inject::CenterOf(child.get()));
    wsys::inject::MoveTo(to);
    wsys::inject::Up(to);
    const char* paths[] = {"/a/\xC3\xA9.syx", "/b/c d.mid"};
    const RECT r{1, 2, 3, 4};
    WINL_InitiateDragDropOfFileList(child.get(), &r, paths, 2, nullptr);

    const int32_t header[4] = {16, 150, 60, 0};
    EXPECT_EQ(block, std::string(reinterpret_cast<const char*>(header), 16) +
                         std::string("/a/\xC3\xA9.syx\0/b/c d.mid\0\0", 22));
    EXPECT_EQ(block.size(), 16u + 10 + 11 + 1);
    EXPECT_EQ(repaintsOff, reinterpret_cast<void*>(1));
    EXPECT_EQ(GetProp(view.get(), "WINL_DisableWindowRepre"), nullptr);
    EXPECT_EQ(wsys::LastDrag().operation, wsys::kDragOperationGeneric);
    EXPECT_EQ(wsys::LastDrag().imageAt.x, 1);
    EXPECT_EQ(wsys::LastDrag().imageAt.y, 2);
    // A view that takes no drops is no destination.
    view->winlSetExtendedStyle(0);
    block.clear();
    wsys::inject::Down(wsys::inject::CenterOf(child.get()));
    wsys::inject::Up(to);
    WINL_InitiateDragDropOfFileList(child.get(), &r, paths, 2, nullptr);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(wsys::LastDrag().operation, wsys::kDragOperationNone);
}

TEST_F(WinlDragDrop, HostViewsTakeTheirFailurePaths) {
    void* carbon = &carbon;
    HWND host = WINL_CreateCarbonWindowView(view.get(), &carbon, nullptr, true);
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(carbon, nullptr);
    EXPECT_EQ(static_cast<wsys::View*>(host)->Superview(), view.get());
    EXPECT_EQ(WINL_GetWindowFromCarbonWindowView(host), nullptr);
    WINL_CarbonWndHost_SetWantAllKeys(host, true);
    EXPECT_TRUE(static_cast<Winl_vZoz_hwndcarbonhost*>(host)->winlWantsAllKeys());
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(WINL_GetAudioUnitCocoaView(view.get(), nullptr, nullptr, &r), nullptr);
}

TEST(WinlGL, OneContextCurrentOnlyWhilePainting) {
    wsys::App().Reset();
    wsys::Ref<wsys::Window> window =
        wsys::Make<wsys::Window>(wsys::Rect(100, 100, 50, 50), wsys::kTitledWindowMask);
    const int before = wsys::GLContext::LiveCount();
    wsys::GLContext* inPaint = nullptr;
    void* slot = nullptr;
    g_answer = [&](HWND, unsigned msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg == WM_PAINT) {
            inPaint = wsys::GLContext::CurrentContext();
            slot = HDC(w)->glContext;
        }
        return msg == WM_NCHITTEST ? HTCLIENT : 0;
    };
    {
        wsys::Ref<Winl_vZoz_hwnd> view = Winl_vZoz_hwnd::initChild(nullptr, window.get(), recordProc, 0);
        view->SetHidden(false);
        window->OrderFront();
        WINL_SetViewGL(view.get(), true);
        auto* context = static_cast<wsys::GLContext*>(view->winlGetGLContext());
        WINL_SetViewGL(view.get(), true);
        EXPECT_EQ(view->winlGetGLContext(), context);
        EXPECT_EQ(wsys::GLContext::LiveCount(), before + 1);
        EXPECT_TRUE(WINL_GetViewGL(view.get()));
        EXPECT_EQ(context->PixelFormat(), std::vector<int>{96});

        window->Display();
        EXPECT_EQ(inPaint, context);
        EXPECT_EQ(slot, context);
        EXPECT_EQ(context->GetView(), view.get());
        EXPECT_EQ(context->UpdateCount(), 1);
        EXPECT_EQ(wsys::GLContext::CurrentContext(), nullptr);

        EXPECT_TRUE(WINL_SetGLContextToView(view.get()));
        EXPECT_EQ(wsys::GLContext::CurrentContext(), context);
        EXPECT_FALSE(WINL_SetGLContextToView(nullptr));
        EXPECT_EQ(wsys::GLContext::CurrentContext(), nullptr);
        WINL_SetGLContextToView(view.get());
        WINL_SetViewGL(view.get(), false);
        EXPECT_EQ(wsys::GLContext::CurrentContext(), nullptr);
        EXPECT_FALSE(WINL_GetViewGL(view.get()));
        EXPECT_EQ(wsys::GLContext::LiveCount(), before);
        WINL_SetViewGL(view.get(), true);
        WINL_SetGLContextToView(view.get());
        EXPECT_FALSE(WINL_GetViewGL(window.get())); // not a window view
    }
    window = nullptr;
    wsys::App().Reset();
    // The view went with its context, which is no longer current.
    EXPECT_EQ(wsys::GLContext::CurrentContext(), nullptr);
    EXPECT_EQ(wsys::GLContext::LiveCount(), before);
    g_answer = nullptr;
}

} // namespace winltest
