#pragma once

#include "src/uiconfig/ImageInfo.h"

#include <map>
#include <string>
#include <vector>

// The description of the editor's art (resources/editor-art.txt): the size of one frame of
// every image, the buttons of the radio images, and what each page background shows.

struct ArtImage {
    int frames = 1;
    int w = 0, h = 0; // one frame, unscaled pixels
};

// A radio image holds its buttons, each one frame's size, across its frames: side by side
// when the frames are stacked, one above the other when the frames lie side by side.
struct ArtRadio {
    std::vector<std::string> labels; // one per button
};

struct ArtItem {
    enum Kind {
        kFrame, // a section's box with its title
        kArea,  // a section that draws no box
        kLabel, // the text under a control, centred in w (h is one text line)
        kField, // a dark well behind a menu or display
        kMenu   // the box behind a menu drawn in the scheme's menu colour
    };
    Kind kind;
    int x, y, w, h;
    std::string group, text; // frames and areas: group and title; labels: the text
};

// One place where a background image is shown; items are in the image's coordinates.
struct ArtBackground {
    std::string image;
    int x, y;
    std::vector<ArtItem> items;
};

struct ArtFile {
    std::map<std::string, ArtImage> images;
    std::map<std::string, ArtRadio> radios;
    std::vector<ArtBackground> backgrounds;

    // The image's whole size: its frames along the table's orientation and, for a radio,
    // its buttons across them.
    void imageSize(const std::string& name, int* w, int* h) const;
};

// The image table's frame count and orientation of each of its names (ids left 0).
const std::map<std::string, ImageInfo>& ImageTableByName();

// Reads and checks the art file against the image table: every table name once with the
// table's frame count and a size of 1 to 4096 pixels, radios and backgrounds of known images.
// False with a message naming the line when anything is wrong.
bool ReadArtFile(const std::string& path, ArtFile* art, std::string* error);
