// Bringing a bank file from anywhere into the patches folder, where the next reload finds it.

#include "src/core/Zoz.h"

#include "kit/effect/ByteChunk.h"
#include "src/librarian/BankFile.h"

#include <string>

void Zoz::saveImportedFile(bool midi) {
    IGraphics* gui = GetGUI();
    if (!gui) return;
    KIT_String chosen;
    std::string extensions = midi ? "mid" : "syx vub";
    gui->PromptForFile(&chosen, kFileOpen, &importFolder, extensions.data());
    const std::string source = chosen.Get();
    if (source.empty()) return;

    // The file is copied as it is: the librarian judges its contents when it next loads.
    ByteChunk bytes;
    std::string error;
    if (!BankFile::read(source, &bytes, &error)) {
        log("FILE IMPORTER: ", error);
        return;
    }
    const size_t slash = source.rfind('/');
    const std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
    // A bank of the same name in the patches folder stays as it is.
    const std::string target = BankFile::freeName(getPatchesFolderStr() + "/" + name);
    if (!BankFile::write(target, bytes, &error)) {
        log("FILE IMPORTER: ", error);
        return;
    }
    log("FILE IMPORTER: patch file copied to ", target);
}
