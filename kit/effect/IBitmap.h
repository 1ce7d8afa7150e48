#pragma once

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
};
