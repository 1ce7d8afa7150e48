#pragma once

#include "kit/effect/IGraphics.h"

#include <string>

namespace testsupport {

// An editor surface whose file panel answers with a path set by the test ("" cancels) and
// remembers its folder, as the real panel does; its window records how it was opened.
class TestGraphics : public IGraphics {
public:
    explicit TestGraphics(IEffectBase* plug) : IGraphics(plug, 100, 50, 0) {}
    void PromptForFile(KIT_String* file, EFileAction action, KIT_String* dir,
                       char* extensions) override {
        lastAction = action;
        lastExtensions = extensions;
        lastDir = dir->Get();
        file->Set(answer.c_str());
        const size_t slash = answer.rfind('/');
        if (slash != std::string::npos) dir->Set(answer.substr(0, slash + 1).c_str());
    }
    void* OpenWindow(void* parentView) override { return open('v', parentView); }
    void* OpenWindow(void* window, void*, short, short) override { return open('w', window); }
    void CloseWindow() override { ++closes; }

    std::string answer;
    EFileAction lastAction = kFileOpen;
    std::string lastExtensions, lastDir;
    bool refuseOpen = false;
    char openedAs = 0; // 'v' inside the host's view, 'w' attached to the host's window
    void* openedIn = nullptr;
    int closes = 0;

private:
    void* open(char kind, void* parent) {
        if (refuseOpen) return nullptr;
        openedAs = kind;
        openedIn = parent;
        return this;
    }
};

} // namespace testsupport
