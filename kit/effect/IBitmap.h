#pragma once

#include "kit/effect/IParam.h"

class RAST_IBitmap;

// A reference to a bitmap of the graphics' bitmap cache (not owned): the whole strip's
// size in pixels, its frame count and whether the frames lie side by side. The empty
// bitmap has no data, 0 × 0 pixels and one frame.
struct IBitmap {
    RAST_IBitmap* mData = nullptr;
    int W = 0;
    int H = 0;
    int N = 1;
    bool mFramesAreHorizontal = false;

    // One frame's size: the strip divided by the frame count along its direction.
    int FrameW() const { return mFramesAreHorizontal && N > 0 ? W / N : W; }
    int FrameH() const { return !mFramesAreHorizontal && N > 0 ? H / N : H; }
    // Where frame k (from 1) starts along the strip, in pixels.
    int FrameOffset(int k) const {
        const int length = mFramesAreHorizontal ? W : H;
        return N < 2 ? 0 : TruncToInt(double(k - 1) * length / N + 0.5);
    }
    // The frame (from 1) that shows a normalised value: the nearest of the N frames.
    int FrameForValue(double value) const {
        const int i = TruncToInt((N - 1) * value + 0.5);
        if (N < 2 || i < 0) return 1;
        return i < N ? i + 1 : N;
    }
};
