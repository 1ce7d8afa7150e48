#pragma once

#include <string>

// The editor's images: rows of the common set, loaded in every colour scheme, and rows of
// the colour-scheme sets (same names in every scheme; ids and files differ). Files lie in
// "resources/img/". An id always goes with the same file.
struct CommonImageRow {
    const char* name;
    int id;
    int frames;
    bool horizontal;
    const char* file;
};

constexpr int kColourSchemeCount = 5; // 0 yellow, 1 halloween, 2 blue, 3 red, 4 phoenix

struct SchemeImageRow {
    const char* name;
    int frames;
    bool horizontal;
    int ids[kColourSchemeCount];
    // Per scheme; null where the file follows from the scheme-0 file (schemeImageFile).
    const char* files[kColourSchemeCount];
};

constexpr int kCommonImageCount = 79;
constexpr int kSchemeImageCount = 40;
extern const CommonImageRow kCommonImages[kCommonImageCount];
extern const SchemeImageRow kSchemeImages[kSchemeImageCount];

// The row's file name in a scheme (0 to 4): the table's own, or the scheme-0 file with the
// scheme's word ("halloween", "silver", "silver", "phoenix") in place of "yellow", or put
// before ".png" after a hyphen when the name holds no "yellow".
std::string schemeImageFile(const SchemeImageRow& row, int scheme);
