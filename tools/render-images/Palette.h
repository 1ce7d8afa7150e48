#pragma once

struct Rgb {
    int r, g, b;
};

// The colours of one look. The run-time texts of each scheme decide them: scheme 0 draws its
// menus in black on light panels and its displays in yellow (241, 243, 33) and orange
// (255, 173, 0) in dark wells; schemes 1 to 4 draw light texts, so their panels are dark.
struct Palette {
    Rgb mainTop, mainBottom;   // the editor's main background
    Rgb panelTop, panelBottom; // page panels
    Rgb line;                  // section boxes
    Rgb titleBack, titleText;  // the tab that holds a section's title
    Rgb label;                 // control labels
    Rgb well, wellEdge;        // boxes behind displays and light-text menus
    Rgb menuBox, menuEdge;     // boxes behind menus in the scheme's menu colour
    Rgb accent;                // curves, icons and the editor's name
};

constexpr int kSchemeCount = 5;

// Scheme 0 yellow, 1 halloween, 2 blue, 3 red (the blue look on a red main background),
// 4 phoenix.
const Palette& SchemePalette(int scheme);
// The common images, shown in every scheme: neutral graphite.
const Palette& CommonPalette();
