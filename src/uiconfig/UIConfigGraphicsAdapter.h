#pragma once

#include "kit/effect/IGraphics.h"
#include "src/uiconfig/UIConfigGraphics.h"

// The configuration reader's view of the editor's graphics object.
class UIConfigGraphicsAdapter : public UIConfigGraphics {
public:
    explicit UIConfigGraphicsAdapter(IGraphics* graphics) : graphics(graphics) {}

    bool LoadFile(int id, const char* name, std::vector<char>& bytes) override {
        return graphics->LoadFile(id, name, bytes);
    }
    IBitmap LoadIBitmap(int id, const char* name, double scale, int nStates,
                        bool framesAreHorizontal) override {
        return graphics->LoadIBitmap(id, name, scale, nStates, framesAreHorizontal);
    }
    IBitmap getImageById(int id, int nStates, bool framesAreHorizontal) override {
        return graphics->getImageById(id, nStates, framesAreHorizontal);
    }
    void ReleaseBitmapById(int id) override { graphics->ReleaseBitmapById(id); }
    int AttachControl(IControl* control) override { return graphics->AttachControl(control); }
    int AttachLayer(ControlLayer* layer) override { return graphics->AttachLayer(layer); }

private:
    IGraphics* graphics;
};
