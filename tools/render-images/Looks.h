#pragma once

#include "tools/render-images/ArtFile.h"
#include "tools/render-images/Painter.h"

#include <memory>
#include <string>
#include <vector>

// One file of the image set to draw.
struct ImageJob {
    std::string name; // the image table's name
    std::string file; // its file in the colour scheme that uses it
    const Palette* palette;
    std::vector<int> schemes; // the colour schemes that show it; empty: every one
};

// Labels are drawn at kLabelSize pixels, smaller down to kLabelMinSize where the box is
// narrow; titles in bold at kTitleSize.
constexpr int kLabelSize = 9, kLabelMinSize = 8, kTitleSize = 9;

struct IRect {
    int x, y, w, h;
};

// The tab at a section box's top right that holds its title.
IRect TitleTab(const ArtItem& frame);

// How an image stands where it is shown: a panel paints over what lies under it and carries
// the art file's items; an inlay carries them with no ground; a picture (an envelope, oscillator or filter diagram, the model plate,
// the effect panel that says no effect is chosen) is content of its own; a veil lets what lies
// under it show through; the rest are the faces of controls.
enum class ImageRole { kPanel, kInlay, kPicture, kVeil, kControl };
ImageRole RoleOf(const std::string& image);

// Draws the file at its art size (frame size times frames, buttons across them), in
// straight alpha. Each text that reads below 4.5:1, and each symbol or control edge below
// 3:1, against what lies behind it in a scheme that shows the file is added to shortfalls,
// named with the file, the mark, its contrast and the colour behind.
std::unique_ptr<Painter> DrawImage(const ArtFile& art, const ImageJob& job,
                                   std::vector<std::string>* shortfalls);
