#pragma once

#include "kit/rast/RAST_MemBitmap.h"
#include "tools/render-images/Palette.h"

#include <string>
#include <vector>

// Draws onto a bitmap that holds premultiplied colour, so that shapes laid over transparent
// pixels compose as a person expects; StraightAlpha turns it into the straight alpha that the
// PNG loader reads. Each shape is drawn white on black into a coverage mask with the raster
// graphics' antialiased primitives and then laid on in its colour. Text is DejaVu Sans through
// the raster graphics' cached fonts, which one lock serialises across threads.
class Painter {
public:
    // A transparent w x h bitmap.
    Painter(int w, int h);

    RAST_MemBitmap& bitmap() { return target; }
    int width() const { return target.getWidth(); }
    int height() const { return target.getHeight(); }

    // Colours from top to bottom row of the rectangle.
    void gradient(int x, int y, int w, int h, Rgb top, Rgb bottom, float alpha = 1.0f);
    void rect(int x, int y, int w, int h, Rgb c, float alpha = 1.0f);
    void roundRect(int x, int y, int w, int h, int radius, Rgb c, float alpha = 1.0f);
    // A one-pixel outline along the rectangle's inside.
    void roundFrame(int x, int y, int w, int h, int radius, Rgb c, float alpha = 1.0f);
    void disc(float cx, float cy, float r, Rgb c, float alpha = 1.0f);
    // The ring between radii inner and outer.
    void ring(float cx, float cy, float inner, float outer, Rgb c, float alpha = 1.0f);
    // The ring between the radii from angle a0 to a1 (radians from straight up, clockwise).
    void arc(float cx, float cy, float inner, float outer, float a0, float a1, Rgb c,
             float alpha = 1.0f);
    void line(float x1, float y1, float x2, float y2, float width, Rgb c, float alpha = 1.0f);
    // A convex polygon of points (x, y, x, y ...), its edges antialiased.
    void polygon(const std::vector<float>& xy, Rgb c, float alpha = 1.0f);

    enum Align { kLeft, kCentre, kRight };
    // The text in the box, vertically centred, at size pixels or smaller down to minSize
    // when it is too wide; what still does not fit is cut at the box.
    void text(const std::string& s, int x, int y, int w, int h, int size, bool bold, Rgb c,
              Align align = kCentre, int minSize = 0);

    // The width of the text at size pixels.
    static int textWidth(const std::string& s, int size, bool bold);

    // Premultiplied to straight alpha; transparent pixels become all zero.
    void StraightAlpha();

private:
    template <class Shape> void shape(int x, int y, int w, int h, Rgb c, float alpha, Shape draw);
    void cover(int x, int y, int w, int h, Rgb c, float alpha);

    RAST_MemBitmap target;
    RAST_MemBitmap mask;
};

// True when DejaVu Sans is installed (fontconfig resolves the face to one of its files).
bool LabelFontInstalled();
// Frees the fonts made so far; after the last drawing.
void ReleaseFonts();
