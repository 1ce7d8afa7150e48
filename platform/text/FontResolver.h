#pragma once

#include <string>

namespace platform {

// Where a face lives: a font file and the face's index inside it. An empty file stands for
// no face.
struct FontLocation {
    std::string file;
    int index = 0;
};

// The installed face for a name as the windowing layer composes it: a family, optionally
// followed by " Bold" and then " Italic". A family that is not installed is replaced by
// "DejaVu Sans Mono" when it names a monospace face, else by "DejaVu Sans", in the same
// style (or by fontconfig's nearest face). False (and an empty location) when fontconfig
// finds no face at all.
bool ResolveFontName(const std::string& name, FontLocation* out);

// The system's label font (the user interface's sans-serif face).
bool ResolveLabelFont(FontLocation* out);

} // namespace platform
