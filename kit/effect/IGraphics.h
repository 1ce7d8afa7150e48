#pragma once

#include "kit/base/KIT_String.h"

class IEffectBase;

enum EFileAction { kFileOpen = 0, kFileSave = 1 };

// The editor's drawing surface, owned by the plug-in base once attached. A window class derives
// from it and supplies the platform side (file panel, window, screen copy).
class IGraphics {
public:
    // A frame rate below 1 becomes 25.
    IGraphics(IEffectBase* plug, int w, int h, int fps = 0);
    virtual ~IGraphics() = default;
    IGraphics(const IGraphics&) = delete;
    IGraphics& operator=(const IGraphics&) = delete;

    IEffectBase* GetPlug() const { return m_plug; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int FPS() const { return m_fps; }

    // Readies the surface for drawing; called when the plug-in base attaches it.
    void PrepDraw();

    // Shows a value set by the plug-in itself, without a change reaction and without telling
    // the host. A plain (not normalised) value is also stored into the parameter, through its
    // normalised form so that step rounding and range apply; an unknown index changes nothing.
    void SetParameterFromPlug(int paramIdx, double value, bool normalized);

    // Modal file panel. file proposes a name and receives the chosen path ("" when cancelled);
    // dir is the start folder ("~/Desktop" when empty) and receives the chosen file's folder
    // followed by "/"; extensions are separated by single blanks.
    virtual void PromptForFile(KIT_String* file, EFileAction action, KIT_String* dir,
                               char* extensions) = 0;

    // The editor in the host's window: the first form as a view inside the host's view, the
    // second attached to the host's window. Each returns the editor's view, or null.
    virtual void* OpenWindow(void* parentView) = 0;
    virtual void* OpenWindow(void* /*window*/, void* /*parentControl*/, short /*x*/, short /*y*/) {
        return nullptr;
    }
    virtual void CloseWindow() = 0;

private:
    IEffectBase* m_plug;
    int m_width;
    int m_height;
    int m_fps;
};
