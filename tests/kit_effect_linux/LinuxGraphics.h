#pragma once

#include "kit/effect/IGraphicsLinux.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Fill.h"

// The Linux graphics object with plain fills; images and texts are not needed here.
class LinuxGraphics : public IGraphicsLinux {
public:
    LinuxGraphics(IEffectBase* plug, int w, int h) : IGraphicsLinux(plug, w, h) {}
    IBitmap LoadIBitmap(int, const char*, double, int, bool) override { return IBitmap(); }
    bool FillIRect(const IColor* c, const IRECT* r, const IChannelBlend*) override {
        const IRECT a = r->Intersect(GetDrawRECT());
        RAST_FillRect(GetDrawBitmap(), a.L, a.T, a.W(), a.H(),
                      RAST_MakePixel(c->R, c->G, c->B, 255), 1.0f, RAST_MODE_COPY);
        return true;
    }
    bool DrawIText(IText*, const char*, IRECT*, bool) override { return true; }
};
