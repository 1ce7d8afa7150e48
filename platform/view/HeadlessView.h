#pragma once

#include "platform/view/View.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace platform {

// The editor window without a display: what is put is kept in memory and input comes from the
// caller, on the caller's thread. Tests drive and read it; a host without a display renders
// the editor with it.
class HeadlessView : public View {
public:
    struct Window {
        ViewRect area; // on the screen
        std::vector<uint32_t> pixels;
        bool open = true;
        bool grab = false;
    };

    HeadlessView(ViewClient& client, int width, int height);

    // The whole editor window is exposed, as when a window is first mapped.
    void Show();
    // Delivers an event at once; false when the client did not take it (a key not taken is
    // recorded as passed on).
    bool Send(const ViewEvent& event);
    // Input for modal loops, taken in order with a tick after each; a loop that runs out of
    // it returns false.
    void Queue(const ViewEvent& event);
    void Tick();
    bool WritePng(const std::string& path) const;

    // Windows by number; popups stay after they close, with their last picture.
    const Window* Shown(int window) const;
    uint32_t Pixel(int window, int x, int y) const;

    void Close() override { m_closed = true; }
    void Post(std::function<void()> task) override { task(); }
    bool OnEditorThread() const override { return true; }
    void Put(int window, const ViewPicture& picture, const ViewRect& area) override;
    void Resize(int width, int height) override;
    int OpenPopup(const ViewRect& screenArea, bool grab) override;
    void ClosePopup(int popup) override;
    ViewRect ToScreen(const ViewRect& area) override;
    ViewRect Screen() override { return screen; }
    bool RunModal(const std::function<bool()>& done) override;
    bool HideCursor(int* pointerX, int* pointerY) override;
    bool ShowCursor(int pointerX, int pointerY) override;

    ViewRect screen{0, 0, 1920, 1080};
    int originX = 0, originY = 0; // the editor window's place on the screen
    int pointerX = 0, pointerY = 0;
    bool cursorHidden = false;
    std::vector<std::pair<int, ViewRect>> puts;
    std::vector<ViewEvent> passedOn;

private:
    ViewClient& m_client;
    std::map<int, Window> m_windows;
    std::deque<ViewEvent> m_queued;
    int m_nextPopup = 1;
    bool m_closed = false;
};

} // namespace platform
