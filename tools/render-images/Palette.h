#pragma once

struct Rgb {
    int r, g, b;
};

// The colours of one look. The run-time texts of each scheme decide them: every scheme draws
// its menus, displays and name fields in light texts (yellow, orange, grey or white) on dark
// wells; scheme 0's panels are light, those of schemes 1 to 4 dark.
struct Palette {
    Rgb mainTop, mainBottom;   // the editor's main background
    Rgb panelTop, panelBottom; // page panels
    Rgb line;                  // section boxes
    Rgb titleBack, titleText;  // the tab that holds a section's title
    Rgb label;                 // control labels
    Rgb well, wellEdge;        // boxes behind displays, menus and name fields
    Rgb accent;                // curves, icons and the editor's name
};

constexpr int kSchemeCount = 5;

// The contrast ratio of two colours (1 to 21) by their relative luminance, as the web's
// accessibility rules measure it: a text needs 4.5, a symbol or a control's edge 3.
double Contrast(Rgb a, Rgb b);
// c laid over ground at alpha.
Rgb Over(Rgb c, Rgb ground, float alpha);

// Scheme 0 yellow, 1 halloween, 2 blue, 3 red (the blue look on a red main background),
// 4 phoenix.
const Palette& SchemePalette(int scheme);
// The common images, shown in every scheme: neutral graphite.
const Palette& CommonPalette();
