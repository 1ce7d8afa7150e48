#pragma once

#include "kit/effect/IGraphics.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/view/View.h"

#include <memory>

class IGraphicsLinuxMenu;
class IGraphicsLinuxTextEntry;
class KIT_Mutex;

// The editor's graphics object on Linux. It shows the editor in a view inside the host's X11
// window (a headless view when the host gives none), turns the view's input into the graphics
// object's mouse, wheel and key calls, repaints on the view's 25 Hz tick, and draws its own
// popup menus and text entry into popup windows of the view, so that no GUI toolkit is loaded
// into the host.
//
// Threads: the view's editor thread makes every input, tick and drawing call, holding the plug
// lock as the host's calls do; a popup menu runs modally on it with the lock let go. Open and
// close come on the host's thread; close waits for the editor thread, also with a menu open
// or the host's window gone.
class IGraphicsLinux : public IGraphics, public platform::ViewClient {
public:
    IGraphicsLinux(IEffectBase* plug, int w, int h, int fps = 0);
    ~IGraphicsLinux() override;

    // Puts the area being repainted (the whole draw bitmap outside a tick) to the window.
    bool DrawScreen(IRECT* r) override;
    void ForceEndUserEdit() override;
    // Nothing when the size is the current one.
    void Resize(int w, int h) override;
    bool WindowIsOpen() override { return m_view != nullptr; }
    const char* GetGUIAPI() override;
    // A modal message box while the window is open (else 0); answers 1, 7 or 2 by button.
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* area) override;
    void CreateTextEntry(IControl* control, IText* text, IRECT* area, const char* str,
                         IParam* param) override;
    // The host's executable.
    void HostPath(KIT_String* path) override;
    // The folder of the plug-in module, with a "/" at the end.
    void PluginPath(KIT_String* path) override;
    // $HOME + "/Desktop/"; unchanged without $HOME.
    void DesktopPath(KIT_String* path) override;
    // Without a window the file is "" and nothing is shown; dir gets "~/Desktop" when empty.
    // A chosen file gives its path and dir its folder with a "/"; a cancel leaves file "".
    // extensions: file types separated by blanks.
    void PromptForFile(KIT_String* file, EFileAction action, KIT_String* dir,
                       char* extensions) override;
    bool PromptForColor(IColor*, char*) override { return false; }
    // Opens a URL or, for a text without "http", a file path with xdg-open; true when it ran.
    bool OpenURL(const char* url, const char* title, const char* confirm,
                 const char* errorMessage) override;
    // Both forms put the editor into the host's X11 window; a null window gives a headless
    // view. The view, or null when none could be made.
    void* OpenWindow(void* parentWindow) override;
    void* OpenWindow(void* window, void* parentControl, short, short) override;
    void CloseWindow() override;
    void* GetWindow() override { return m_view.get(); }
    bool OSLoadFile(int id, const char* name, std::vector<char>& bytes) override;
    void HideMouseCursor() override;
    void ShowMouseCursor() override;
    // A PNG resource ("png" in any case) decoded, or null.
    RAST_IBitmap* OSLoadBitmap(int id, const char* name) override;
    bool OSBitmapSize(int id, const char* name, int* w, int* h) override;

    // What a host that has no display gets: the editor rendered into memory, written as a PNG
    // file at close when $ZOZ_EDITOR_PNG names one.
    static constexpr const char* kPictureFileVariable = "ZOZ_EDITOR_PNG";

private:
    friend class IGraphicsLinuxMenu;
    friend class IGraphicsLinuxTextEntry;

    // The view's calls, through its client interface.
    bool OnViewEvent(platform::View& view, const platform::ViewEvent& e) override;
    void OnViewTick(platform::View& view) override;
    void OnViewExpose(platform::View& view, int window, const platform::ViewRect& area) override;

    void* openView(void* parentWindow);
    // With lastPicture a headless view is brought up to date and written out first.
    void closeView(bool lastPicture);
    void route(const platform::ViewEvent& e);
    bool routeToTextEntry(const platform::ViewEvent& e);
    void repaint(const IRECT& area);
    KIT_Mutex* plugLock();
    // Closes the text entry, handing its text to the control first when commit.
    void endTextEntry(bool commit);
    platform::dialogs::Waiter dialogWaiter();
    // Dialogs stand over the editor in the host's window.
    platform::dialogs::Owner dialogOwner();

    std::unique_ptr<platform::View> m_view;
    std::unique_ptr<platform::View> m_closing; // closed from its own thread, not yet joined
    bool m_headless = false;
    bool m_lastPicture = false;           // while a headless view is ticked for its last picture
    unsigned long m_hostWindow = 0;       // the X11 window the view was last opened in
    IGraphicsLinuxMenu* m_menu = nullptr; // while a popup menu runs
    bool m_dialogOpen = false;            // while a file chooser or message box runs
    bool m_dialogRan = false;             // one ran since the last button press
    std::unique_ptr<IGraphicsLinuxTextEntry> m_entry;
    IRECT m_putArea;
    bool m_repainting = false;
    bool m_repaintAll = false;
    int m_prevX = 0, m_prevY = 0; // the editor position of the last mouse event
    bool m_cursorHidden = false;
    int m_cursorX = 0, m_cursorY = 0;
};
