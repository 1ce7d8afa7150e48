#pragma once

#include "kit/effect/IControl.h"

// An invisible area whose click opens its URL in the system's browser, or the backup URL when
// that fails. Longer texts than the buffers hold are cut.
class IURLControl : public IControl {
public:
    IURLControl(IEffectBase* plug, IRECT rect, const char* url, const char* backupURL = nullptr,
                const char* errorMessage = nullptr);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics*) override { return true; }

protected:
    char m_url[256] = "";
    char m_backupURL[256] = "";
    char m_errorMessage[1024] = "";
};
