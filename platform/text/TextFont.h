#pragma once

#include "platform/Canvas.h"
#include "platform/text/FontResolver.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct FT_FaceRec_;

namespace platform {

// One face at one size, keeping every glyph it has measured or rendered: text is drawn on
// every repaint. Opening the same face at the same size again gives the same object, so the
// glyphs outlive the font objects that come and go above. Each call holds the font's own lock,
// so a font may be shared between threads.
class TextFont {
public:
    // Null when the file holds no usable face. size: pixels per em (points at 72 per inch).
    static std::shared_ptr<TextFont> Open(const FontLocation& where, float size);
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    float Size() const { return m_size; }
    // Typographic line metrics in pixels, none negative.
    float Ascent() const { return m_ascent; }
    float Descent() const { return m_descent; }
    float Leading() const { return m_leading; }

    // The sum of the characters' advances; control characters advance nothing.
    double LineWidth(std::u32string_view text);
    // Combines the characters' coverage into the canvas' pixels in the colour, the first
    // character's origin at (x, baseline) of the canvas' drawing coordinates, each origin on
    // the nearest whole pixel. Honours the canvas' clip and anti-aliasing switch; the pixels'
    // unused byte is left alone.
    void DrawLine(Canvas& canvas, double x, double baseline, std::u32string_view text,
                  const CanvasColor& colour);

private:
    // Coverage bytes of a rendered glyph, rows top to bottom; (left, top) is the top-left
    // corner relative to the origin on the baseline, y up.
    struct Coverage {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        std::vector<unsigned char> bytes;
    };
    struct Glyph {
        unsigned int index = 0;
        double advance = 0;
        // By anti-aliasing: [0] one bit a pixel, [1] grey levels.
        bool rendered[2] = {false, false};
        Coverage coverage[2];
    };

    TextFont(FT_FaceRec_* face, float size);
    Glyph& glyph(char32_t code);
    Glyph load(char32_t code);
    bool render(unsigned int index, bool antialias, Coverage* out);
    const Coverage* coverage(Glyph& g, bool antialias, Coverage* scratch);

    FT_FaceRec_* m_face;
    float m_size;
    float m_ascent = 0;
    float m_descent = 0;
    float m_leading = 0;
    // How far any glyph's ink reaches from its origin, in pixels.
    double m_reach = 0;
    std::mutex m_lock;
    std::array<std::optional<Glyph>, 256> m_latin;
    std::unordered_map<char32_t, Glyph> m_others;
};

// Decodes UTF-8 into code points; false for malformed text (overlong forms, surrogates, code
// points beyond U+10FFFF, cut sequences).
bool DecodeUtf8(std::string_view text, std::u32string* out);

} // namespace platform
