#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// A rectangle in pixels, y growing downwards; right and bottom are exclusive.
struct ViewRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    ViewRect Intersect(const ViewRect& r) const;
    bool operator==(const ViewRect& r) const {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
};

// Pixels to show: 32-bit words whose bytes are, in memory order, alpha (ignored), red, green
// and blue, as the raster graphics keep them; stride in pixels. Not owned.
struct ViewPicture {
    const uint32_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
};

// The keys that are told apart by more than their character.
enum class ViewKey {
    kCharacter, // any other key: its text says which
    kSpace,
    kLeft,
    kRight,
    kUp,
    kDown,
    kReturn,
    kEnter, // the keypad's
    kTab,
    kEscape,
    kBackSpace,
    kDelete,
    kHome,
    kEnd,
    kPageUp,
    kPageDown,
};

enum class ViewEventType {
    kButtonDown,
    kButtonUp,
    kMotion,
    kWheel,
    kKey,
    kFocusOut, // the keyboard went to a window not ours, or a popup could not have it
};

// One input event of a view window. Windows are numbered: 0 is the editor, a popup has the
// number OpenPopup gave it.
struct ViewEvent {
    ViewEventType type = ViewEventType::kMotion;
    int window = 0;
    int x = 0, y = 0;         // in the window
    int rootX = 0, rootY = 0; // on the screen
    // Down and up: 1 left, 3 right. Motion: the button held (1 or 3), 0 for none.
    int button = 0;
    int clicks = 1; // down: 2 for the second click of a double click
    int wheel = 0;  // +1 away from the user, -1 towards
    bool shift = false, control = false, alt = false, command = false;
    ViewKey key = ViewKey::kCharacter;
    char text[8] = {}; // UTF-8, without control, alt and command applied
};

// Where a view sends its input and asks for pictures. Every call comes on the view's editor
// thread, one at a time.
class View;
class ViewClient {
public:
    virtual ~ViewClient() = default;
    // True when the event was taken: a key not taken goes on to the host's window.
    virtual bool OnViewEvent(View& view, const ViewEvent& event) = 0;
    // The redraw tick, at the view's frame rate.
    virtual void OnViewTick(View& view) = 0;
    // A part of a window must be shown again.
    virtual void OnViewExpose(View& view, int window, const ViewRect& area) = 0;
};

// The editor's window inside the host's: the editor window itself (number 0) and popups, each
// showing pixels put into it. The X11 view runs its own editor thread, which owns the display
// connection and makes every ViewClient call; the headless view has none and is driven by
// its caller. Except for Post, Resize and Close, the operations are for the editor thread.
class View {
public:
    virtual ~View() = default;

    // Stops input and ticks and waits for the editor thread to end (a modal loop it is in
    // returns false first). Idempotent; the destructor closes too.
    virtual void Close() = 0;
    // Runs task on the editor thread: at once when called there, else at its next wake-up.
    virtual void Post(std::function<void()> task) = 0;
    virtual bool OnEditorThread() const = 0;

    // Shows the area of the picture (same coordinates as the window) in a window.
    virtual void Put(int window, const ViewPicture& picture, const ViewRect& area) = 0;
    // Resizes the editor window (posted from other threads).
    virtual void Resize(int width, int height) = 0;

    // A window over everything at a screen rectangle; with grab, pointer and keyboard go to
    // our windows only until it closes, and the focus going elsewhere meanwhile is no loss.
    // Held by another client, they are taken once free; a popup that cannot have them within
    // two seconds gets kFocusOut. Its number (0 when it cannot be made).
    virtual int OpenPopup(const ViewRect& screenArea, bool grab) = 0;
    virtual void ClosePopup(int popup) = 0;
    // A rectangle of the editor window on the screen, and the screen itself.
    virtual ViewRect ToScreen(const ViewRect& area) = 0;
    virtual ViewRect Screen() = 0;
    // Handles events and ticks until done() is true (true) or the view closes or runs out of
    // input (false).
    virtual bool RunModal(const std::function<bool()>& done) = 0;

    // Hides the pointer over the editor window; pointerX/Y receive its screen position.
    virtual bool HideCursor(int* pointerX, int* pointerY) = 0;
    // Moves the pointer to a screen position and shows it again.
    virtual bool ShowCursor(int pointerX, int pointerY) = 0;
};

struct ViewOptions {
    int fps = 25;
    // The X11 view's shared-memory put; XPutImage is used when it is off or does not attach.
    // $ZOZ_X11_SHARED_MEMORY=0 turns it off for every view.
    bool sharedMemory = true;
};

// The editor window inside the host's X11 window parent, on the display of $DISPLAY, with
// its own editor thread (X11View); null when no display answers or the window cannot be made.
std::unique_ptr<View> OpenX11View(ViewClient& client, unsigned long parent, int width, int height,
                                  const ViewOptions& options = {});

} // namespace platform
