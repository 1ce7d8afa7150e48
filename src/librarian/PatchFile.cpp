#include "src/librarian/PatchFile.h"

PatchFile* PatchFile::clone() const {
    auto* copy = new PatchFile;
    const bool soundOrMulti = bankType == kSoundBank || bankType == kMultiBank;
    copy->bankType = soundOrMulti ? bankType : kPatternBank;
    if (soundOrMulti)
        copy->sourceModel = (sourceModel == kQ || sourceModel == kMicroQ) ? sourceModel : kBlofeld;
    copy->entries = entries;
    copy->fileName = fileName;
    return copy;
}
