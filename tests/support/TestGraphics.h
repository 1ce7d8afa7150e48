#pragma once

#include "kit/effect/IGraphics.h"

#include <string>

namespace testsupport {

// An editor surface whose file panel answers with a path set by the test ("" cancels) and
// remembers its folder, as the real panel does.
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
    std::string answer;
    EFileAction lastAction = kFileOpen;
    std::string lastExtensions, lastDir;
};

} // namespace testsupport
