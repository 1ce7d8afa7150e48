#pragma once

#include "kit/effect/IGraphics.h"

#include "tests/support/TestControl.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <functional>

// A small editor whose background runs a test's drawing while an area is repainted, so that
// drawing calls see the repainted area as controls do.

namespace testsupport {

struct PaintedEditor {
    explicit PaintedEditor(int w = 8, int h = 8, int nParams = 2, int nHidden = 1)
        : plug(nParams, nHidden), g(new TestGraphics(&plug, w, h)) {
        plug.AttachGraphics(g);
        g->AttachControl(probe = new TestControl(&plug, IRECT()));
    }
    // Repaints area with the drawing as the background.
    void paint(IRECT area, std::function<void(IGraphics*)> draw) {
        probe->onDraw = std::move(draw);
        g->Draw(&area);
    }
    RAST_pixel& at(int x, int y) { return g->GetBits()[y * g->GetDrawBitmap()->getRowSpan() + x]; }

    TestEffect plug;
    TestGraphics* g; // owned by plug
    TestControl* probe;
};

} // namespace testsupport
