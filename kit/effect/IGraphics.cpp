#include "kit/effect/IGraphics.h"

#include "kit/effect/IEffectBase.h"

IGraphics::IGraphics(IEffectBase* plug, int w, int h, int fps)
    : m_plug(plug), m_width(w), m_height(h), m_fps(fps < 1 ? 25 : fps) {}

void IGraphics::PrepDraw() {
    // The draw and scratch bitmaps are made here once the surface draws through the raster
    // graphics; until then there is nothing to ready.
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized) {
    if (normalized || !m_plug) return;
    IParam* param = m_plug->GetParam(paramIdx);
    if (param) param->SetNormalized(param->GetNormalized(value));
}
