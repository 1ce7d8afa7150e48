#pragma once

// An entry of the image dictionary: the bitmap cache id, the frame count and whether the
// frames lie side by side.
struct ImageInfo {
    int id = 0;
    int frames = 1;
    bool horizontal = false;
};
