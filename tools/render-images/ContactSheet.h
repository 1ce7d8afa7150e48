#pragma once

#include "kit/rast/RAST_MemBitmap.h"
#include "tools/render-images/ImageSet.h"

#include <memory>
#include <string>
#include <vector>

// A picture for a person: every file of the set scaled into a labelled grid, one block for
// the common images and one for each colour scheme's rows.
class ContactSheet {
public:
    explicit ContactSheet(const std::vector<ImageFile>& files);

    // Keeps a preview of file index (up to five of its frames, in a row). Threads may add
    // different indexes at once.
    void add(size_t index, const RAST_IBitmap& image, int frames, bool sideBySide);
    bool write(const std::string& path) const;

private:
    const std::vector<ImageFile>& files;
    std::vector<std::unique_ptr<RAST_MemBitmap>> previews;
};
