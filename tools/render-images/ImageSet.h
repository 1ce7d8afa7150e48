#pragma once

#include "tools/render-images/ArtFile.h"
#include "tools/render-images/Palette.h"

#include <string>
#include <vector>

// One file of the editor's image set: the image table gives one file per id, shared by every
// row and scheme that names the id.
struct ImageFile {
    std::string file;
    std::string name;         // the image table's name
    std::vector<int> schemes; // the colour schemes whose rows name it; empty: the common rows
};

// The 222 files, in the order the table first names them.
std::vector<ImageFile> ImageFiles();

// A file of one scheme takes that scheme's colours; the blue and red schemes share theirs
// but for the main background; a file that schemes of different colours share takes the
// common, neutral look.
const Palette& PaletteOf(const ImageFile& file);

// Draws every file into folder (which must exist) with up to threads threads, and a contact
// sheet of all of them grouped by scheme into sheet (none when empty). False with a message
// when a file cannot be written or a mark does not stand out against what lies behind it
// (DrawImage), naming each.
bool RenderImageSet(const ArtFile& art, const std::string& folder, const std::string& sheet,
                    int threads, std::string* error);
