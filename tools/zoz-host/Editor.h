#pragma once

#include <string>

class VstHost;
struct _XDisplay;

// The plug-in's editor in a top-level window named after the plug-in, as hosts show it: open
// across the commands that follow until closed, by the host or by the user.
class EditorWindow {
public:
    explicit EditorWindow(VstHost& host) : m_host(host) {}
    ~EditorWindow() { Close(); }
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // False without a display or an editor, or when the plug-in refuses to open it.
    bool Open();
    bool IsOpen() const { return m_opened; }
    // Handles the window's events and idles the editor; closes it once the user closed the
    // window. Whether it is still open.
    bool Idle();
    void Close();

private:
    VstHost& m_host;
    _XDisplay* m_display = nullptr; // Xlib's Display, its Window and Atom ids
    unsigned long m_window = 0;
    unsigned long m_deleteWindow = 0;
    bool m_opened = false;
};

// Has the plug-in render its editor without a display and write it to a PNG file.
bool RenderEditor(VstHost& host, const std::string& file);
