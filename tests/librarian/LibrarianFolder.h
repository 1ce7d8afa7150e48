#pragma once

#include "src/librarian/PatchLibrarian.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// A librarian over a data folder of its own, with a "Patches" folder and the debug log on.
struct LibrarianFolder {
    testsupport::TempFolder temp;
    LibrarianTestHost host;
    PatchLibrarian lib{host};
    std::string patches = temp.path() + "/Patches";

    LibrarianFolder() {
        host.data = temp.path() + "/";
        host.logPath = temp.path() + "/log.txt";
        testsupport::writeFile(host.logPath, {});
        std::filesystem::create_directories(patches);
    }
    void put(const std::string& relative, const std::vector<uint8_t>& bytes) {
        std::filesystem::create_directories(
            std::filesystem::path(patches + "/" + relative).parent_path());
        testsupport::writeFile(patches + "/" + relative, bytes);
    }
    void load() { lib.loadPatchesFromFilesystem(patches); }
    std::string log() const {
        const std::vector<uint8_t> b = testsupport::readFile(host.logPath);
        return std::string(b.begin(), b.end());
    }
    std::vector<std::string> names(const std::vector<PatchFile*>& banks) const {
        std::vector<std::string> n;
        for (const PatchFile* b : banks)
            n.push_back(b->fileName);
        return n;
    }
    std::vector<std::string> filesIn(const std::string& folder) const {
        std::vector<std::string> n;
        for (auto& e : std::filesystem::directory_iterator(folder))
            n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }
};
