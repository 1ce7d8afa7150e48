#include "src/core/Zoz.h"

#include "kit/effect/IGraphicsLinux.h"

IGraphics* MakeGraphics(IEffectBase* plug, int width, int height, int frameRate) {
    return new IGraphicsLinux(plug, width, height, frameRate);
}
