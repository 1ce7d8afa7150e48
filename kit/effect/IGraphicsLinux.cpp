#include "kit/effect/IGraphicsLinux.h"

#include "kit/base/KIT_Mutex.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IEffectBase.h"
#include "kit/effect/IGraphicsLinuxMenu.h"
#include "kit/effect/IGraphicsLinuxTextEntry.h"
#include "kit/effect/ViewInput.h"
#include "kit/rast/RAST_PNGLoader.h"
#include "platform/Paths.h"
#include "platform/ResourceFile.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/view/HeadlessView.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::ViewEvent;
using platform::ViewEventType;
using platform::ViewKey;

// The keys told apart by their place, as the key rule numbers them.
const struct {
    ViewKey key;
    int number;
} kPlacedKeys[] = {
    {ViewKey::kSpace, kViewKeySpace},      {ViewKey::kLeft, kViewKeyLeftArrow},
    {ViewKey::kRight, kViewKeyRightArrow}, {ViewKey::kUp, kViewKeyUpArrow},
    {ViewKey::kDown, kViewKeyDownArrow},
};

IMouseMod modifiersOf(const ViewEvent& e, bool rightButton) {
    const unsigned flags =
        (e.shift ? kViewShiftKeyMask : 0u) | (e.control ? kViewControlKeyMask : 0u) |
        (e.alt ? kViewAlternateKeyMask : 0u) | (e.command ? kViewCommandKeyMask : 0u);
    return ViewMouseMod(flags, rightButton);
}

// The key code, or kViewKeyDropped / kViewKeyPassedOn.
int keyCodeOf(const ViewEvent& e) {
    int number = -1;
    for (const auto& placed : kPlacedKeys)
        if (placed.key == e.key) number = placed.number;
    // Keys without a character of their own on X11 (arrows, Return, function keys …) stand
    // for one, as they do for the key rule elsewhere; only their number may map them.
    const bool ownCharacter = e.key == ViewKey::kCharacter && e.text[0];
    return ViewKeyCode(number, ownCharacter ? e.text : "\x01");
}

// Runs a program detached from us (it is reaped by the system), without a shell.
bool launch(const char* program, const char* argument) {
    char* const argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        if (fork() == 0) {
            execvp(program, argv);
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

IGraphicsLinux::IGraphicsLinux(IEffectBase* plug, int w, int h, int fps)
    : IGraphics(plug, w, h, fps) {}

// No last picture here: the drawing calls of a derived class are gone already.
IGraphicsLinux::~IGraphicsLinux() {
    closeView(false);
    m_entry.reset();
    m_closing.reset();
}

KIT_Mutex* IGraphicsLinux::plugLock() {
    return GetPlug() ? GetPlug()->GetMutex() : nullptr;
}

// ---- Window

void* IGraphicsLinux::OpenWindow(void* parentWindow) {
    return openView(parentWindow);
}

void* IGraphicsLinux::OpenWindow(void* window, void*, short, short) {
    return openView(window);
}

void* IGraphicsLinux::openView(void* parentWindow) {
    CloseWindow();
    // The editor thread's first calls wait until the view is ours.
    KIT_MutexLock lock(plugLock());
    platform::ViewOptions options;
    options.fps = FPS();
    if (parentWindow) {
        m_hostWindow = reinterpret_cast<uintptr_t>(parentWindow);
        m_view = platform::OpenX11View(*this, m_hostWindow, Width(), Height(), options);
        return m_view.get();
    }
    platform::ViewClient& client = *this;
    auto headless = std::make_unique<platform::HeadlessView>(client, Width(), Height());
    platform::HeadlessView* shown = headless.get();
    m_view = std::move(headless);
    m_headless = true;
    shown->Show();
    return m_view.get();
}

void IGraphicsLinux::CloseWindow() {
    closeView(true);
}

void IGraphicsLinux::closeView(bool lastPicture) {
    if (!m_view) return;
    if (m_headless && lastPicture) {
        auto& headless = static_cast<platform::HeadlessView&>(*m_view);
        m_lastPicture = true;
        headless.Tick();
        m_lastPicture = false;
        // The picture is a test's and its absence tells it; the host's terminal hears nothing.
        const char* file = getenv(kPictureFileVariable);
        if (file && *file) headless.WritePng(file);
    }
    std::unique_ptr<platform::View> view = std::move(m_view);
    const bool threaded = !m_headless;
    m_headless = false;
    m_cursorHidden = false;
    if (threaded && view->OnEditorThread()) {
        // Closed from its own thread: it ends when this call returns to its loop.
        view->Close();
        m_closing = std::move(view);
        return;
    }
    {
        // The editor thread may wait for the lock before it sees the close.
        KIT_MutexRelease released(plugLock());
        view->Close();
    }
    m_entry.reset();
    m_closing.reset();
}

const char* IGraphicsLinux::GetGUIAPI() {
    return m_headless ? "Headless gui" : "X11 gui";
}

void IGraphicsLinux::Resize(int w, int h) {
    if (w == Width() && h == Height()) return;
    IGraphics::Resize(w, h);
    m_repaintAll = true;
    if (m_view) m_view->Resize(w, h);
}

bool IGraphicsLinux::DrawScreen(IRECT*) {
    RAST_IBitmap* bitmap = GetDrawBitmap();
    if (!m_view || !bitmap || !bitmap->getBits()) return false;
    const IRECT all(0, 0, bitmap->getWidth(), bitmap->getHeight());
    const IRECT area = m_repainting ? m_putArea : all;
    m_view->Put(0,
                {RAST_PixelAt(*bitmap, 0, 0), bitmap->getWidth(), bitmap->getHeight(),
                 int(RAST_PictureRowStep(*bitmap))},
                {area.L, area.T, area.R, area.B});
    return true;
}

void IGraphicsLinux::repaint(const IRECT& area) {
    m_putArea = area;
    m_repainting = true;
    IRECT r = area;
    Draw(&r);
    m_repainting = false;
}

// ---- The view's calls, on the editor thread

void IGraphicsLinux::OnViewTick(platform::View&) {
    // A menu runs without the plug lock.
    if (m_menu) m_menu->Tick();
    // The picture a close takes is no tick of the open editor: a plug-in that goes notes
    // nothing. A menu, dialog or edit field opened by the input makes its change later.
    if (!m_lastPicture && GetPlug())
        GetPlug()->CheckEditorEdits(m_menu || m_dialogOpen || m_entry || HoldsPress(), false);
    KIT_MutexLock lock(plugLock());
    if (m_repaintAll) {
        m_repaintAll = false;
        repaint(IRECT(0, 0, Width(), Height()));
        return;
    }
    IRECT dirty;
    if (IsDirty(&dirty)) repaint(dirty);
}

void IGraphicsLinux::OnViewExpose(platform::View&, int window, const platform::ViewRect& area) {
    if (window != 0) {
        if (m_menu) m_menu->Expose(window);
        if (m_entry && m_entry->Window() == window) m_entry->Expose();
        return;
    }
    KIT_MutexLock lock(plugLock());
    // A repaint cleans every control: what became dirty since the last tick goes out with it.
    IRECT r(area.left, area.top, area.right, area.bottom);
    IsDirty(&r);
    repaint(r);
}

bool IGraphicsLinux::OnViewEvent(platform::View&, const ViewEvent& e) {
    // A menu is modal and runs without the plug lock.
    if (m_menu) {
        m_menu->OnEvent(e);
        return true;
    }
    if (m_dialogOpen) return true;
    KIT_MutexLock lock(plugLock());
    if (m_entry && routeToTextEntry(e)) return true;
    if (e.window != 0) return true;
    if (e.type == ViewEventType::kKey) {
        const int code = keyCodeOf(e);
        if (code == kViewKeyDropped) return true;
        return code != kViewKeyPassedOn && OnKeyDown(m_prevX, m_prevY, code);
    }
    route(e);
    return true;
}

// An open entry takes the keys and clicks on it. A click elsewhere commits it and, on the
// editor, is a click there too; the wheel and a lost focus close it without its text.
bool IGraphicsLinux::routeToTextEntry(const ViewEvent& e) {
    switch (e.type) {
    case ViewEventType::kKey:
        switch (m_entry->OnKey(e)) {
        case IGraphicsLinuxTextEntry::kCommit:
            endTextEntry(true);
            break;
        case IGraphicsLinuxTextEntry::kCancel:
            endTextEntry(false);
            break;
        case IGraphicsLinuxTextEntry::kEditing:
            break;
        }
        return true;
    case ViewEventType::kButtonDown:
        if (m_entry->OnClick(e)) return true;
        endTextEntry(true);
        return e.window != 0;
    case ViewEventType::kWheel:
    case ViewEventType::kFocusOut:
        endTextEntry(false);
        return e.window != 0 || e.type == ViewEventType::kFocusOut;
    default:
        return e.window == m_entry->Window();
    }
}

void IGraphicsLinux::route(const ViewEvent& e) {
    // X11 puts y downwards already; the shared rule takes a view whose y grows upwards.
    int x, y;
    ViewPointToEditor(e.x, Height() - e.y, Height(), &x, &y);
    m_prevX = x;
    m_prevY = y;
    IMouseMod mod = modifiersOf(e, e.button == 3);
    switch (e.type) {
    case ViewEventType::kButtonDown:
        m_dialogRan = false;
        if (e.button == 1 && e.clicks >= 2)
            OnMouseDblClick(x, y, &mod);
        else
            OnMouseDown(x, y, &mod);
        // A dialog the press opened took the release with its own clicks: the press ends
        // with it, or a contact would stay lit and its next press would push 0.
        if (m_dialogRan && m_view) OnMouseUp(x, y, &mod);
        break;
    case ViewEventType::kButtonUp:
        OnMouseUp(x, y, &mod);
        break;
    case ViewEventType::kMotion:
        if (!e.button)
            OnMouseOver(x, y, &mod);
        else if (!m_entry)
            OnMouseDrag(x, y, &mod);
        break;
    case ViewEventType::kWheel:
        OnMouseWheel(x, y, &mod, e.wheel);
        break;
    default:
        break;
    }
}

// ---- Menus and text entry

IPopupMenu* IGraphicsLinux::CreateIPopupMenu(IPopupMenu* menu, IRECT* area) {
    ReleaseMouseCapture();
    if (!menu || !area || !m_view || !m_view->OnEditorThread() || m_menu) return nullptr;
    return IGraphicsLinuxMenu(*this, *m_view, menu, *area).Run();
}

void IGraphicsLinux::CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* str,
                                     IParam* param) {
    if (!control || !text || !area || m_entry || !m_view || !m_view->OnEditorThread()) return;
    const platform::ViewRect screen = m_view->ToScreen({area->L, area->T, area->R, area->B});
    m_entry = IGraphicsLinuxTextEntry::Open(
        *m_view, control, param, *text, IRECT(screen.left, screen.top, screen.right, screen.bottom),
        str ? str : "");
}

void IGraphicsLinux::endTextEntry(bool commit) {
    if (!m_entry) return;
    // Closed first: the control may open another one when it takes the text.
    std::unique_ptr<IGraphicsLinuxTextEntry> entry = std::move(m_entry);
    IControl* control = entry->Control();
    IParam* param = entry->Param();
    const std::string text = entry->Text();
    entry.reset();
    if (commit && param)
        SetFromStringAfterPrompt(control, param, text.c_str());
    else if (commit)
        control->TextFromTextEntry(text.c_str());
    m_repaintAll = true;
}

void IGraphicsLinux::ForceEndUserEdit() {
    if (!m_view) return;
    if (m_view->OnEditorThread()) {
        endTextEntry(false);
        return;
    }
    m_view->Post([this] {
        KIT_MutexLock lock(plugLock());
        endTextEntry(false);
    });
}

// ---- Cursor

void IGraphicsLinux::HideMouseCursor() {
    if (m_cursorHidden || !m_view || !m_view->OnEditorThread()) return;
    m_cursorHidden = m_view->HideCursor(&m_cursorX, &m_cursorY);
}

void IGraphicsLinux::ShowMouseCursor() {
    if (!m_cursorHidden || !m_view || !m_view->OnEditorThread()) return;
    if (m_view->ShowCursor(m_cursorX, m_cursorY)) m_cursorHidden = false;
}

// ---- Files, folders and the system

bool IGraphicsLinux::OSLoadFile(int, const char* name, std::vector<char>& bytes) {
    bytes.clear();
    return name && platform::ReadResourceFile(name, bytes);
}

namespace {

bool isPNG(const char* name) {
    if (!name) return false;
    const char* dot = strrchr(name, '.');
    return strcasecmp(dot ? dot + 1 : name, "png") == 0;
}

} // namespace

RAST_IBitmap* IGraphicsLinux::OSLoadBitmap(int, const char* name) {
    return isPNG(name) ? RAST_LoadPNG(platform::ResourcePath(name).c_str(), nullptr) : nullptr;
}

bool IGraphicsLinux::OSBitmapSize(int, const char* name, int* w, int* h) {
    return isPNG(name) && RAST_PNGSize(platform::ResourcePath(name).c_str(), w, h);
}

void IGraphicsLinux::HostPath(KIT_String* path) {
    const std::string host = platform::ExecutablePath();
    if (!host.empty()) path->Set(host.c_str());
}

void IGraphicsLinux::PluginPath(KIT_String* path) {
    const std::string folder = platform::ModuleFolder();
    if (!folder.empty()) path->Set(folder.c_str());
}

void IGraphicsLinux::DesktopPath(KIT_String* path) {
    if (const char* home = getenv("HOME")) path->Set((std::string(home) + "/Desktop/").c_str());
}

void IGraphicsLinux::PromptForFile(KIT_String* file, EFileAction action, KIT_String* dir,
                                   char* extensions) {
    if (!m_view) {
        file->Set("");
        return;
    }
    if (!dir->Get()[0]) dir->Set("~/Desktop");
    platform::dialogs::FileRequest request;
    request.save = action == kFileSave;
    request.folder = dir->Get();
    request.proposedName = file->Get();
    file->Set("");
    std::istringstream types(extensions ? extensions : "");
    for (std::string type; types >> type;)
        request.extensions.push_back(type);
    const std::string chosen =
        platform::dialogs::ChooseFile(request, dialogWaiter(), dialogOwner());
    if (chosen.empty()) return;
    file->Set(chosen.c_str());
    dir->Set(chosen.substr(0, chosen.rfind('/') + 1).c_str());
}

int IGraphicsLinux::ShowMessageBox(const char* text, const char* caption, int type) {
    if (!m_view) return 0;
    return platform::dialogs::ShowMessage(text ? text : "", caption ? caption : "", type,
                                          dialogWaiter(), dialogOwner());
}

// The view stands at the top-left corner of the host's window, at the editor's size.
platform::dialogs::Owner IGraphicsLinux::dialogOwner() {
    if (m_headless) return {};
    return {m_hostWindow, Width(), Height()};
}

// A dialog is modal: the editor thread goes on repainting while it is open but takes no input,
// and a closing editor gives the dialog up. Neither the host nor the audio thread waits for the
// user meanwhile.
platform::dialogs::Waiter IGraphicsLinux::dialogWaiter() {
    return [this](const std::function<bool()>& ended) {
        KIT_MutexRelease released(plugLock());
        if (m_headless || !m_view->OnEditorThread())
            return platform::dialogs::WaitBySleeping(ended);
        m_dialogOpen = true;
        const bool done = m_view->RunModal(ended);
        m_dialogOpen = false;
        m_dialogRan = true;
        return done;
    };
}

bool IGraphicsLinux::OpenURL(const char* url, const char*, const char*, const char*) {
    if (!url) return true;
    if (strstr(url, "http")) {
        // A text with blanks or control characters forms no URL: nothing to open.
        for (const char* c = url; *c; ++c)
            if (isspace(static_cast<unsigned char>(*c)) || iscntrl(static_cast<unsigned char>(*c)))
                return true;
    }
    return launch("xdg-open", url);
}
