#pragma once

#include "kit/base/KIT_String.h"
#include "kit/effect/IBitmap.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IGraphics.h"

#include <string>

// A button that asks for a file with the system's file panel; each finished choice flips the
// value between 0 and 1, is pushed, and makes the control report dirty once more. The chosen
// path is kept for the plug-in.
class IFileSelectorControl : public IControl {
public:
    enum EFileSelectorState { kFSNone = 0, kFSSelecting, kFSDone };

    // dir is the folder the panel starts in; extensions are separated by single blanks. The
    // bitmap is drawn from its top-left corner while drawBitmap is set.
    IFileSelectorControl(IEffectBase* plug, IRECT rect, int paramIdx, const IBitmap* bitmap,
                         EFileAction action, const char* dir = "", const char* extensions = "",
                         bool drawBitmap = true);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
    bool IsDirty() override;

    void GetLastSelectedFileForPlug(KIT_String* path) const { path->Set(m_file.Get()); }
    void SetLastSelectedFileFromPlug(const char* path) { m_file.Set(path); }
    EFileSelectorState GetState() const { return m_state; }

protected:
    bool m_drawBitmap;
    IBitmap m_bitmap;
    KIT_String m_dir, m_file;
    std::string m_extensions;
    EFileAction m_action;
    EFileSelectorState m_state = kFSNone;
};
