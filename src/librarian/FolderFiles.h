#pragma once

#include <memory>
#include <string>
#include <vector>

class PatchFile;

// The three levels of a folder tree that the bank menus are built from. Nodes only point at
// banks; the banks belong to the librarian's bank lists.
struct SubFolderFiles2 {
    std::string name;
    std::vector<PatchFile*> files;
};

struct SubFolderFiles {
    std::string name;
    std::vector<SubFolderFiles2> subFolders;
    std::vector<PatchFile*> files;
};

struct FolderFiles {
    FolderFiles() = default;
    FolderFiles(const std::string& n, const SubFolderFiles& first) : name(n), subFolders{first} {}

    std::string name;
    std::vector<SubFolderFiles> subFolders;
    std::vector<PatchFile*> files;
};

using FolderTree = std::vector<std::unique_ptr<FolderFiles>>;
