#pragma once

#include "kit/effect/IBitmap.h"

#include <vector>

class ControlLayer;
class IControl;

// What the configuration reader needs of the editor's graphics object: the bundle's
// resource files, the process-wide bitmap cache, whose entries are keyed by id and counted,
// so that several plug-in instances can share them, and the editor's top-level controls and
// layers.
class UIConfigGraphics {
public:
    virtual ~UIConfigGraphics() = default;

    // The whole resource file followed by one zero byte; false (bytes empty) when it cannot
    // be read whole.
    virtual bool LoadFile(int id, const char* name, std::vector<char>& bytes) = 0;

    // Takes one reference on the bitmap cached under id, reading and scaling the file only
    // when the id is not cached yet. An image that cannot be had gives the empty bitmap and
    // takes no reference.
    virtual IBitmap LoadIBitmap(int id, const char* name, double scale, int nStates,
                                bool framesAreHorizontal) = 0;
    // The cached bitmap of id (the empty bitmap when it is not cached); takes no reference.
    virtual IBitmap getImageById(int id, int nStates, bool framesAreHorizontal) = 0;
    // Gives one reference on id back; the bitmap is freed with its last reference.
    virtual void ReleaseBitmapById(int id) = 0;

    // Puts control at the top level of the editor, which owns it from then on; its index, or
    // -1 when it could not be taken (it is then deleted).
    virtual int AttachControl(IControl* control) = 0;
    // The same for a page of the editor.
    virtual int AttachLayer(ControlLayer* layer) = 0;
};
