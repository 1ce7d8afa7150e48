// How the controls look. Drawing coordinates run down from the top-left corner of the bounds.
#include "platform/wsys/Controls.h"
#include "platform/wsys/Menu.h"
#include "platform/wsys/Paint.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

namespace {

constexpr uint32_t kFace = MakePixel(252, 252, 252);
constexpr uint32_t kPressedFace = MakePixel(206, 206, 206);
constexpr uint32_t kFlatFace = MakePixel(240, 240, 240);
constexpr uint32_t kEdge = MakePixel(160, 160, 160);
constexpr uint32_t kAccent = MakePixel(58, 130, 247);
constexpr uint32_t kPressedAccent = MakePixel(32, 96, 210);
constexpr uint32_t kWhite = MakePixel(255, 255, 255);
constexpr uint32_t kTrack = MakePixel(190, 190, 190);
constexpr uint32_t kBoxLine = MakePixel(182, 182, 182);
constexpr uint32_t kSelection = MakePixel(179, 215, 255);
constexpr uint32_t kCaret = MakePixel(0, 0, 0);
constexpr CanvasColor kDisabledInk{0.6f, 0.6f, 0.6f, 1};
constexpr CanvasColor kLightInk{1, 1, 1, 1};
constexpr int kMark = 14; // side of a check box's square and a radio button's circle

CanvasColor colourOf(const Color& c) {
    return CanvasColor{float(c.red), float(c.green), float(c.blue), float(c.alpha)};
}

constexpr CanvasColor kInk{float(kControlTextColor.red), float(kControlTextColor.green),
                           float(kControlTextColor.blue), 1};

// The control's own text colour, else the standard one (grey while disabled).
CanvasColor inkOf(const Control& c) {
    if (c.TextColor()) return colourOf(*c.TextColor());
    return c.IsEnabled() ? kInk : kDisabledInk;
}

std::u32string decoded(const std::string& utf8) {
    std::u32string text;
    DecodeUtf8(utf8, &text);
    return text;
}

int lineHeightOf(TextFont& font) {
    return int(std::ceil(font.Ascent() + font.Descent() + font.Leading()));
}

// A bezel with its corners cut by a pixel (or square), filled and edged.
void drawBezel(Canvas& c, int w, int h, bool rounded, uint32_t face) {
    const int cut = rounded ? 1 : 0;
    FillPixels(c, 1, 1, w - 1, h - 1, face);
    FillPixels(c, cut, 0, w - cut, 1, kEdge);
    FillPixels(c, cut, h - 1, w - cut, h, kEdge);
    FillPixels(c, 0, cut, 1, h - cut, kEdge);
    FillPixels(c, w - 1, cut, w, h - cut, kEdge);
}

// A small triangle pointing down (or up), its tip row at tipY.
void drawArrow(Canvas& c, int centreX, int tipY, bool down, uint32_t pixel) {
    for (int row = 0; row < 4; ++row) {
        const int y = down ? tipY - row : tipY + row;
        FillPixels(c, centreX - row, y, centreX + row + 1, y + 1, pixel);
    }
}

// A tick two pixels thick in a check box's square at (left, top).
void drawTick(Canvas& c, int left, int top) {
    for (int i = 0; i < 3; ++i) // down stroke
        FillPixels(c, left + 3 + i, top + 6 + i, left + 5 + i, top + 8 + i, kWhite);
    for (int i = 0; i < 6; ++i) // up stroke
        FillPixels(c, left + 5 + i, top + 8 - i, left + 7 + i, top + 10 - i, kWhite);
}

// Greedy lines of at most width pixels, broken at blanks (a word longer than a line stays
// whole) and at line feeds.
std::vector<std::u32string> wrapped(TextFont& font, const std::u32string& text, double width) {
    std::vector<std::u32string> lines(1);
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == U'\n') {
            lines.emplace_back();
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && text[end] != U' ' && text[end] != U'\n')
            ++end;
        const std::u32string word = text.substr(i, end - i);
        std::u32string& line = lines.back();
        const std::u32string joined = line.empty() ? word : line + U' ' + word;
        if (line.empty() || font.LineWidth(joined) <= width)
            line = joined;
        else
            lines.push_back(word);
        i = end < text.size() && text[end] == U' ' ? end + 1 : end;
    }
    return lines;
}

} // namespace

void Button::SetImagePosition(int position) {
    m_imagePosition = position;
    SetNeedsDisplay(true);
}

void Button::SetCell(ButtonCell* cell) {
    m_cell = cell;
    SetNeedsDisplay(true);
}

void Button::Draw(const Rect&) {
    if (m_cell) {
        Ref<ButtonCell> keep(m_cell);
        keep->DrawWithFrame(Bounds(), this);
        return;
    }
    Canvas* c = GraphicsContext::Current();
    std::shared_ptr<TextFont> font = Font();
    if (!c) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height);
    const std::u32string title = decoded(Title());
    if (m_type == kSwitchButton || m_type == kRadioButton) {
        const int top = (h - kMark) / 2;
        const uint32_t edge = IsHighlighted() ? kPressedAccent : kEdge;
        if (m_type == kRadioButton) {
            FillDisc(*c, 1 + kMark / 2.0, top + kMark / 2.0, kMark / 2.0, edge);
            FillDisc(*c, 1 + kMark / 2.0, top + kMark / 2.0, kMark / 2.0 - 1, kFace);
            if (m_state == kOnState) FillDisc(*c, 1 + kMark / 2.0, top + kMark / 2.0, 3.5, kAccent);
        } else {
            FillPixels(*c, 1, top, 1 + kMark, top + kMark, m_state == kOffState ? kFace : kAccent);
            FramePixels(*c, 1, top, 1 + kMark, top + kMark, m_state == kOffState ? edge : kAccent);
            if (m_state == kMixedState) FillPixels(*c, 4, top + 6, kMark - 2, top + 8, kWhite);
            if (m_state == kOnState) drawTick(*c, 1, top);
        }
        if (font)
            DrawTextLine(*c, *font, title, int(kMark + 5), 0, w, h, kLeftTextAlignment, inkOf(*this));
        return;
    }
    const bool flat = m_bezel == kShadowlessSquareBezelStyle;
    const bool accent = IsDefaultButton() && !flat;
    drawBezel(*c, w, h, !flat,
              accent ? (IsHighlighted() ? kPressedAccent : kAccent)
                     : IsHighlighted() ? kPressedFace : flat ? kFlatFace : kFace);
    if (m_image) {
        const int side = std::min({w - 4, h - 4, std::max(m_image->width, m_image->height)});
        if (side > 0) DrawImage(*c, *m_image, (w - side) / 2, (h - side) / 2, side, side);
    }
    if (font)
        DrawTextLine(*c, *font, title, 4, 0, w - 4, h, kCenterTextAlignment,
                     accent && IsEnabled() ? kLightInk : inkOf(*this));
}

void PopUpButton::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    std::shared_ptr<TextFont> font = Font();
    if (!c) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height);
    const bool flat = GetBezelStyle() == kShadowlessSquareBezelStyle;
    drawBezel(*c, w, h, !flat, IsHighlighted() ? kPressedFace : flat ? kFlatFace : kFace);
    const int arrowX = w - 10, mid = h / 2;
    if (m_arrow == kArrowAtBottom) {
        drawArrow(*c, arrowX, mid + 2, true, kEdge);
    } else {
        drawArrow(*c, arrowX, mid - 5, false, kEdge);
        drawArrow(*c, arrowX, mid + 4, true, kEdge);
    }
    if (font)
        DrawTextLine(*c, *font, decoded(Title()), 8, 0, w - 18, h, kLeftTextAlignment, inkOf(*this));
}

void Slider::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    const double radius = KnobRadius();
    const int w = int(Bounds().size.width), mid = int(Bounds().size.height) / 2;
    const double span = m_max > m_min ? (m_value - m_min) / (m_max - m_min) : 0;
    const double knob = radius + span * (w - 2 * radius);
    FillPixels(*c, int(radius), mid - 2, w - int(radius), mid + 2, kTrack);
    FillPixels(*c, int(radius), mid - 2, int(knob), mid + 2, IsEnabled() ? kAccent : kTrack);
    FillDisc(*c, knob, mid, radius, kEdge);
    FillDisc(*c, knob, mid, radius - 1, IsHighlighted() ? kPressedFace : kFace);
}

void TextField::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    std::shared_ptr<TextFont> font = Font();
    if (!c) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height);
    if (m_drawsBackground) FillPixels(*c, 0, 0, w, h, kWhite);
    if (m_bordered) FramePixels(*c, 0, 0, w, h, kEdge);
    if (!font || CurrentEditor()) return;
    const Rect area = TextArea();
    const int left = int(area.MinX() - Bounds().MinX()), right = int(area.MaxX() - Bounds().MinX());
    const int top = int(std::ceil((h - area.size.height) / 2));
    const std::u32string shown = Shown();
    if (!m_wraps) {
        DrawTextLine(*c, *font, shown, left, top, right, h - top, Alignment(), inkOf(*this));
        return;
    }
    const int line = lineHeightOf(*font);
    const std::vector<std::u32string> lines = wrapped(*font, shown, right - left);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int y = top + int(i) * line;
        if (y >= h) break;
        DrawTextLine(*c, *font, lines[i], left, y, right, y + line, Alignment(), inkOf(*this));
    }
}

void ComboBox::Draw(const Rect& r) {
    TextField::Draw(r);
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height);
    const int left = w - 18;
    FillPixels(*c, left, 0, w, h, IsEnabled() ? kAccent : kTrack);
    drawArrow(*c, left + 9, h / 2 + 2, true, kWhite);
}

void TextView::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    std::shared_ptr<TextFont> font = Font();
    if (!c) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height);
    FillPixels(*c, 0, 0, w, h, kWhite);
    if (!font) return;
    const int line = int(LineHeight());
    const bool focused = GetWindow() && GetWindow()->FirstResponder() == this;
    const size_t selStart = m_selection.location, selEnd = selStart + m_selection.length;
    size_t at = 0;
    for (int row = 0; at <= m_text.size(); ++row) {
        const size_t end = std::min(m_text.find(u'\n', at), m_text.size());
        std::u32string text;
        for (size_t i = at; i < end; ++i)
            text += char32_t(m_text[i]);
        const int top = row * line;
        auto xOf = [&](size_t offset) {
            return 2 + int(std::lround(font->LineWidth(text.substr(0, offset - at))));
        };
        const size_t from = std::max(selStart, at), to = std::min(selEnd, end);
        if (focused && m_selection.length && from < to)
            FillPixels(*c, xOf(from), top, xOf(to), top + line, kSelection);
        if (focused && !m_selection.length && selStart >= at && selStart <= end)
            FillPixels(*c, xOf(selStart), top, xOf(selStart) + 1, top + line, kCaret);
        DrawTextLine(*c, *font, text, 2, top, w, top + line, kLeftTextAlignment, kInk);
        at = end + 1;
    }
}

void Box::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    std::shared_ptr<TextFont> font = SystemFont();
    if (!c) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height);
    const int titleHeight = font && !m_title.empty() ? lineHeightOf(*font) : 0;
    FramePixels(*c, 0, titleHeight, w, h, kBoxLine);
    if (titleHeight)
        DrawTextLine(*c, *font, decoded(m_title), 2, 0, w - 2, titleHeight,
                     m_titleCentered ? kCenterTextAlignment : kLeftTextAlignment,
                     m_titleColor ? colourOf(*m_titleColor) : kInk);
}

} // namespace platform::wsys
