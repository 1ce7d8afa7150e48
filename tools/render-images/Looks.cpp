#include "tools/render-images/Looks.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <tuple>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kKnobStart = -0.75f * kPi; // -135 degrees from straight up, clockwise
constexpr float kKnobSweep = 1.5f * kPi;   // 270 degrees

// The parts that look the same in every scheme: graphite bodies, a light lit state. A dark
// edge with a light rim inside it outlines a control on light panels and dark ones alike.
const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kEdge{12, 12, 14}, kRim{150, 154, 160};
const Rgb kBodyOff{66, 69, 74}, kTextOff{184, 188, 194}, kBodyOn{224, 227, 232},
    kTextOn{20, 20, 22}, kShine{104, 108, 114};
// The knob: a light bezel round a dark body, the cap and the pointer far lighter than it.
const Rgb kPointer{250, 250, 250}, kKnobBody{38, 40, 44}, kKnobCap{64, 67, 72},
    kKnobTrack{20, 21, 24};
const Rgb kBezel{150, 154, 160}, kChip{200, 196, 186}, kDarkChip{38, 40, 44};
// How far a veil washes what it lets show through towards its grey: far enough to tell at a
// glance in every scheme, its texts still at 3:1 and its fields' edges at 2:1.
constexpr float kVeil = 0.45f;
const Rgb kVeilGrey{128, 128, 132};
constexpr double kVeiledTextContrast = 3.0, kVeiledMarkContrast = 2.0;

// The least contrast against what lies behind: a text, and a symbol or a control's edge.
constexpr double kTextContrast = 4.5, kMarkContrast = 3.0;

struct Context {
    const ArtFile& art;
    const ImageJob& job;
    const Palette& pal;
    Painter& p;
    const char* variant;
    int frames, fw, fh; // fw x fh: one frame
    bool sideBySide;
    Rgb ink; // the colour a file's name asks for, else the scheme's accent
    std::vector<Rgb> backdrops; // what a control of the file may lie on: its schemes' panels
    std::vector<Rgb> ground;    // what this panel's own items lie on
    std::vector<std::string>& shortfalls;

    int x0(int f) const { return sideBySide ? f * fw : 0; }
    int y0(int f) const { return sideBySide ? 0 : f * fh; }
};

std::string Named(Rgb c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

// Checks that a mark reads on each ground: its clearest colour (an edge of two rings counts by
// the one that stands out) reaches the least contrast there, else names it.
void Check(Context& c, const std::string& what, double least, const std::vector<Rgb>& inks,
           const std::vector<Rgb>& grounds) {
    for (const Rgb& ground : grounds) {
        double best = 0;
        for (const Rgb& ink : inks) best = std::max(best, Contrast(ink, ground));
        if (best >= least) continue;
        char ratio[16], needed[16];
        snprintf(ratio, sizeof ratio, "%.2f", best);
        snprintf(needed, sizeof needed, "%g", least);
        c.shortfalls.push_back(c.job.file + ": " + what + " " + ratio + ":1 on " + Named(ground) +
                               ", needs " + needed);
    }
}

std::vector<std::string> Split(const std::string& text, char by) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, by);)
        parts.push_back(part);
    return parts;
}

// ---- Buttons, LEDs, icons

void Body(Context& c, int x, int y, int w, int h, bool on) {
    Painter& p = c.p;
    const int r = std::min(4, std::min(w, h) / 3);
    p.roundRect(x, y, w, h, r, kEdge);
    p.roundFrame(x + 1, y + 1, w - 2, h - 2, std::max(r - 1, 0), kRim);
    p.roundRect(x + 2, y + 2, w - 4, h - 4, std::max(r - 2, 0), on ? kBodyOn : kBodyOff);
    p.rect(x + r + 1, y + 2, w - 2 * r - 2, 1, on ? kWhite : kShine);
    Check(c, "button edge", kMarkContrast, {kEdge, kRim}, c.backdrops);
}

void Caption(Context& c, const std::string& text, int x, int y, int w, int h, bool on) {
    c.p.text(text, x + 2, y, w - 4, h, std::min(11, h - 5), true, on ? kTextOn : kTextOff,
             Painter::kCentre, 6);
    Check(c, "caption \"" + text + "\"", kTextContrast, {on ? kTextOn : kTextOff},
          {on ? kBodyOn : kBodyOff});
}

// Two frames, off and on; a variant "Off|On" names each frame.
void Toggle(Context& c) {
    const std::vector<std::string> texts = Split(c.variant, '|');
    for (int f = 0; f < c.frames; ++f) {
        Body(c, c.x0(f), c.y0(f), c.fw, c.fh, f > 0);
        if (!texts.empty())
            Caption(c, texts[std::min<size_t>(f, texts.size() - 1)], c.x0(f), c.y0(f), c.fw, c.fh,
                    f > 0);
    }
}

// A name laid on a panel in a small display, as the fields show values: the part whose
// settings the panel holds, beside the panel's own title. Lit in frame 2.
void Badge(Context& c) {
    for (int f = 0; f < c.frames; ++f) {
        const int x = c.x0(f), y = c.y0(f);
        c.p.roundRect(x, y, c.fw, c.fh, 2, f > 0 ? kBodyOn : c.pal.well);
        c.p.roundFrame(x, y, c.fw, c.fh, 2, c.pal.wellEdge);
        c.p.text(c.variant, x + 2, y, c.fw - 4, c.fh, kTitleSize, true, f > 0 ? kTextOn : kTextOff);
    }
    Check(c, "the name's box", kMarkContrast, {c.pal.well, c.pal.wellEdge}, c.backdrops);
    Check(c, "the name", kTextContrast, {kTextOff}, {c.pal.well});
    Check(c, "the lit name", kTextContrast, {kTextOn}, {kBodyOn});
}

void Plate(Context& c) {
    Body(c, 0, 0, c.fw, c.fh, false);
    Caption(c, c.variant, 0, 0, c.fw, c.fh, false);
}

// Frame 1 out, frame 2 lit; the inverse LED the other way round.
void Led(Context& c) {
    static const std::map<std::string, std::pair<Rgb, Rgb>> kColours = {
        {"pink", {{255, 64, 168}, {84, 26, 56}}}, {"green", {{96, 236, 120}, {28, 66, 36}}}};
    const std::vector<std::string> how = Split(c.variant, ' ');
    const auto& [lit, dark] = kColours.at(how[0]);
    const bool inverse = how.size() > 1;
    for (int f = 0; f < c.frames; ++f) {
        const float cx = c.x0(f) + c.fw / 2, cy = c.y0(f) + c.fh / 2, r = c.fw / 2.0f - 1.0f;
        const bool on = (f > 0) != inverse;
        // A dark rim for light panels inside a light bezel for dark ones: an LED that is off
        // still shows where it is.
        c.p.disc(cx, cy, r, kEdge);
        c.p.disc(cx, cy, r - 1.0f, kBezel);
        c.p.disc(cx, cy, r - 2.0f, on ? lit : dark);
        c.p.disc(cx - r / 3, cy - r / 3, r / 3, kWhite, on ? 0.7f : 0.15f);
    }
    Check(c, "LED edge", kMarkContrast, {kEdge, kBezel}, c.backdrops);
}

// A fader's handle: a ridged silver cap across the track.
void Handle(Context& c) {
    c.p.roundRect(0, 0, c.fw, c.fh, 2, kEdge);
    c.p.roundRect(1, 1, c.fw - 2, c.fh - 2, 2, {196, 200, 206});
    if (c.fw > c.fh)
        c.p.rect(2, c.fh / 2, c.fw - 4, 1, kEdge);
    else
        c.p.rect(c.fw / 2, 2, 1, c.fh - 4, kEdge);
    Check(c, "fader handle", kMarkContrast, {kEdge, {196, 200, 206}}, c.backdrops);
}

void Glyph(Context& c, int f, Rgb ink, float alpha) {
    Painter& p = c.p;
    const float x = float(c.x0(f)), y = float(c.y0(f)), w = float(c.fw), h = float(c.fh);
    const float cx = x + w / 2, cy = y + h / 2;
    const std::string what = c.variant;
    if (what == "up" || what == "down") {
        const float t = what == "up" ? y + 2 : y + h - 3, b = what == "up" ? y + h - 3 : y + 2;
        p.polygon({cx, t, cx + w / 2 - 4, b, cx - w / 2 + 4, b}, ink, alpha);
    } else if (what == "power") {
        p.arc(cx, cy + 1, 4.0f, 5.5f, 0.2f * kPi, 1.8f * kPi, ink, alpha);
        p.line(cx, cy - 6, cx, cy, 1.5f, ink, alpha);
    } else if (what == "dots") {
        for (int i = -1; i <= 1; ++i)
            p.disc(cx + 5.0f * i, cy, 1.5f, ink, alpha);
    } else if (what == "check") {
        p.roundFrame(int(x) + 1, int(y) + 1, int(w) - 2, int(h) - 2, 2, ink);
        if (f > 0) {
            p.line(x + 3.5f, cy, x + w * 0.42f, y + h - 4, 1.5f, ink);
            p.line(x + w * 0.42f, y + h - 4, x + w - 3.5f, y + 3.5f, 1.5f, ink);
        }
    } else if (what == "lock") {
        // Locked: the shackle down on a solid body. Open: the shackle lifted off its right
        // post over a hollow body, unlike at a glance.
        const bool locked = f > 0;
        const float lift = locked ? 0.0f : 1.5f;
        p.arc(cx, y + 5.5f - lift, 2.5f, 3.8f, -0.5f * kPi, 0.5f * kPi, ink, alpha);
        p.rect(int(cx) - 4, int(y + 5.5f - lift), 1, int(2 + lift), ink, alpha);
        if (locked) p.rect(int(cx) + 3, int(y + 5.5f), 1, 2, ink, alpha);
        if (locked)
            p.roundRect(int(x) + 2, int(y) + 7, int(w) - 4, int(h) - 8, 1, ink, alpha);
        else
            p.roundFrame(int(x) + 2, int(y) + 7, int(w) - 4, int(h) - 8, 1, ink, alpha);
    } else if (what == "gear") {
        // Pressed, it turns by half a tooth.
        for (int k = 0; k < 8; ++k) {
            const float a = (k + (f > 0 ? 0.5f : 0.0f)) * kPi / 4;
            p.line(cx + 4 * std::sin(a), cy - 4 * std::cos(a), cx + 8 * std::sin(a),
                   cy - 8 * std::cos(a), 2.5f, ink, alpha);
        }
        p.ring(cx, cy, 2.0f, 6.0f, ink, alpha);
    }
}

// A symbol: on a button body for the buttons, bare for lock, gear and checkbox. A bare symbol
// that some panel it lies on would hide sits on a chip, light or dark, whichever it reads on.
void Icon(Context& c) {
    const std::string what = c.variant;
    const bool bare = what == "lock" || what == "gear" || what == "check";
    const bool hidden = std::any_of(c.backdrops.begin(), c.backdrops.end(), [&](Rgb ground) {
        return Contrast(c.ink, ground) < kMarkContrast;
    });
    const Rgb chip = Contrast(c.ink, kChip) > Contrast(c.ink, kDarkChip) ? kChip : kDarkChip;
    for (int f = 0; f < c.frames; ++f) {
        const bool on = f > 0;
        if (!bare) {
            Body(c, c.x0(f), c.y0(f), c.fw, c.fh, on);
            Glyph(c, f, on ? kTextOn : kTextOff, 1.0f);
            Check(c, what + " symbol", kMarkContrast, {on ? kTextOn : kTextOff},
                  {on ? kBodyOn : kBodyOff});
            continue;
        }
        if (hidden) c.p.roundRect(c.x0(f), c.y0(f), c.fw, c.fh, 3, chip);
        Glyph(c, f, c.ink, 1.0f);
    }
    if (!bare) return;
    if (hidden) {
        Check(c, what + " symbol", kMarkContrast, {c.ink}, {chip});
        Check(c, what + " edge", kMarkContrast, {chip, c.ink}, c.backdrops);
    } else {
        Check(c, what + " symbol", kMarkContrast, {c.ink}, c.backdrops);
    }
}

// A knob strip: frame k points at -135 + 270 k / (N - 1) degrees, its value arc lit up to it.
void Knob(Context& c) {
    const float r = c.fw / 2.0f - 1.0f;
    for (int k = 0; k < c.frames; ++k) {
        const float cx = float(c.fw / 2), cy = float(c.y0(k) + c.fh / 2);
        const float angle = kKnobStart + kKnobSweep * k / std::max(c.frames - 1, 1);
        Painter& p = c.p;
        p.disc(cx, cy + 1, r, kBlack, 0.5f);
        p.disc(cx, cy, r, kBezel);
        p.disc(cx, cy + 1, r - 1, kKnobBody);
        p.arc(cx, cy, r - 3.0f, r - 1.0f, kKnobStart, kKnobStart + kKnobSweep, kKnobTrack);
        if (k > 0) p.arc(cx, cy, r - 3.0f, r - 1.0f, kKnobStart, angle, c.pal.accent);
        p.disc(cx, cy, r - 4, kKnobCap);
        p.disc(cx, cy - 2, r - 7, {88, 92, 98}, 0.6f);
        const float s = std::sin(angle), co = -std::cos(angle), in = 2.0f, out = r - 4.5f;
        p.line(cx + s * in, cy + co * in, cx + s * out, cy + co * out, c.fw > 32 ? 3.0f : 2.0f,
               kPointer);
    }
    Check(c, "knob edge", kMarkContrast, {kBezel, kKnobBody}, c.backdrops);
    Check(c, "knob pointer", kMarkContrast, {kPointer}, {kKnobCap});
    Check(c, "knob value arc", kMarkContrast, {c.pal.accent}, {kKnobTrack});
}

// Buttons, one frame's size each, across the two frames; frame 2 lights each one.
void Radio(Context& c) {
    const std::vector<std::string>& labels = c.art.radios.at(c.job.name).labels;
    for (int f = 0; f < 2; ++f)
        for (size_t i = 0; i < labels.size(); ++i) {
            const int x = c.sideBySide ? f * c.fw : int(i) * c.fw;
            const int y = c.sideBySide ? int(i) * c.fh : f * c.fh;
            Body(c, x + 1, y + 1, c.fw - 2, c.fh - 2, f > 0);
            Caption(c, labels[i], x + 1, y + 1, c.fw - 2, c.fh - 2, f > 0);
        }
}

// ---- Panels

void Panel(Painter& p, const Palette& pal, Rgb top, Rgb bottom) {
    p.gradient(0, 0, p.width(), p.height(), top, bottom);
    p.rect(0, 0, p.width(), 1, pal.line, 0.6f);
    p.rect(0, p.height() - 1, p.width(), 1, kBlack, 0.5f);
}

// The words of a that every other text holds too, in a's order.
std::string Common(const std::vector<std::string>& texts) {
    std::string kept;
    for (const std::string& word : Split(texts[0], ' ')) {
        bool everywhere = true;
        for (const std::string& other : texts) {
            const std::vector<std::string> words = Split(other, ' ');
            everywhere &= std::find(words.begin(), words.end(), word) != words.end();
        }
        if (everywhere) kept += (kept.empty() ? "" : " ") + word;
    }
    return kept.empty() ? texts[0] : kept;
}

// A menu's mark after its name.
const std::string kMenuMark = " \xE2\x96\xBE";

bool Meet(const IRect& a, const ArtItem& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// The size of the menu places' texts on one background: the largest up to 11 at which each
// fits its box, so that neighbouring menus read alike.
int MenuTextSize(const std::vector<ArtItem>& items) {
    int size = 11;
    for (const ArtItem& item : items)
        if (item.kind == ArtItem::kMenu)
            while (size > 7 && (size > item.h - 5 ||
                                Painter::textWidth(item.text + kMenuMark, size, false) > item.w))
                --size;
    return size;
}

void Item(Context& c, const ArtItem& item, int menuSize) {
    Painter& p = c.p;
    const Palette& pal = c.pal;
    switch (item.kind) {
    case ArtItem::kFrame:
        p.roundFrame(item.x, item.y, item.w, item.h, 4, pal.line);
        break;
    case ArtItem::kArea:
        break;
    case ArtItem::kLabel:
        p.text(item.text, item.x, item.y, item.w, item.h, kLabelSize, false, pal.label,
               Painter::kCentre, kLabelMinSize);
        Check(c, "label \"" + item.text + "\"", kTextContrast, {pal.label}, c.ground);
        break;
    case ArtItem::kField:
    case ArtItem::kMenu:
        p.roundRect(item.x, item.y, item.w, item.h, 2, pal.well);
        p.roundFrame(item.x, item.y, item.w, item.h, 2, pal.wellEdge);
        Check(c, "field edge", kMarkContrast, {pal.well, pal.wellEdge}, c.ground);
        if (item.kind == ArtItem::kMenu) {
            p.text(item.text + kMenuMark, item.x, item.y, item.w, item.h, menuSize, false,
                   pal.accent, Painter::kCentre, menuSize);
            Check(c, "menu \"" + item.text + "\"", kTextContrast, {pal.accent}, {pal.well});
        }
        break;
    }
}

// What the art file puts on the image; an image shown in several places gets each item once,
// with the words its texts share (the effect panels serve both effects).
void Items(Context& c) {
    using Key = std::tuple<int, int, int, int, int>;
    std::vector<Key> order;
    std::map<Key, std::pair<ArtItem, std::vector<std::string>>> items;
    for (const ArtBackground& b : c.art.backgrounds) {
        if (b.image != c.job.name) continue;
        for (const ArtItem& item : b.items) {
            const Key key{item.kind, item.x, item.y, item.w, item.h};
            auto& entry = items[key];
            if (entry.second.empty()) order.push_back(key), entry.first = item;
            entry.second.push_back(item.text);
        }
    }
    std::vector<ArtItem> shown;
    for (const Key& key : order) {
        shown.push_back(items[key].first);
        shown.back().text = Common(items[key].second);
    }
    const int menuSize = MenuTextSize(shown);
    for (const ArtItem& item : shown)
        Item(c, item, menuSize);
    // Titles last, where no menu or display box would cover them.
    for (const ArtItem& frame : shown) {
        if (frame.kind != ArtItem::kFrame || frame.text.empty()) continue;
        const IRect tab = TitleTab(frame);
        if (std::any_of(shown.begin(), shown.end(), [&](const ArtItem& other) {
                return (other.kind == ArtItem::kField || other.kind == ArtItem::kMenu) &&
                       Meet(tab, other);
            }))
            continue;
        c.p.roundRect(tab.x, tab.y, tab.w, tab.h, 3, c.pal.titleBack);
        c.p.text(frame.text, tab.x + 3, tab.y, tab.w - 6, tab.h, kTitleSize, true,
                 c.pal.titleText, Painter::kCentre, kLabelMinSize);
        Check(c, "title \"" + frame.text + "\"", kTextContrast, {c.pal.titleText},
              {c.pal.titleBack});
    }
}

void Page(Context& c) {
    Panel(c.p, c.pal, c.pal.panelTop, c.pal.panelBottom);
    c.ground = {c.pal.panelTop, c.pal.panelBottom};
    Items(c);
}

// A field of its own on the page below, with no ground.
void Inlay(Context& c) {
    c.ground = {c.pal.panelTop, c.pal.panelBottom};
    Items(c);
}

// An effect's panel, over the page in two places: its box and labels on no ground of its own,
// so that the page's own shows round the box's corners.
void Effect(Context& c) {
    c.ground = {c.pal.panelTop, c.pal.panelBottom};
    Items(c);
}

// An effect panel with no effect: its place says so, and where to choose one.
void Bypass(Context& c) {
    Effect(c);
    c.p.text("BYPASS", 0, c.p.height() / 2 - 34, c.p.width(), 44, 40, true, c.pal.label);
    c.p.text("Choose the effect in the menu beside this panel", 0, c.p.height() / 2 + 14,
             c.p.width(), 20, 13, false, c.pal.label);
    Check(c, "the bypass notice", kTextContrast, {c.pal.label}, c.ground);
}

// The editor's own background with its name where the top bar leaves room.
void Main(Context& c) {
    Panel(c.p, c.pal, c.pal.mainTop, c.pal.mainBottom);
    c.p.roundRect(10, 10, 96, 38, 6, c.pal.titleBack);
    c.p.text("ZOZ", 10, 10, 96, 38, 30, true, c.pal.titleText);
    c.p.text("EDITOR", 14, 48, 160, 16, 12, true, c.pal.label, Painter::kLeft);
    c.p.text("Veririz Q / Q+", 14, 66, 160, 14, 10, false, c.pal.label, Painter::kLeft);
    c.ground = {c.pal.mainTop, c.pal.mainBottom};
    Check(c, "the editor's name", kTextContrast, {c.pal.titleText}, {c.pal.titleBack});
    Check(c, "the editor's subtitle", kTextContrast, {c.pal.label}, c.ground);
    Items(c);
}

// A cover over what cannot be edited now (steps past a pattern's length, the effects of parts
// that have none): a grey wash that dims light panels and dark ones alike and leaves what lies
// under it legible. It lies on the boxes the art marks on it, else on the image inset by 2
// pixels, rounded as boxes are, so that neighbouring covers keep a gap between them at every
// size. The progress veil hides the editor while a transfer runs and holds a notice above its
// first cancel button.
void Veil(Context& c) {
    if (std::string(c.variant) != "progress") {
        std::vector<IRect> boxes;
        for (const ArtBackground& b : c.art.backgrounds)
            for (const ArtItem& item : b.image == c.job.name ? b.items : std::vector<ArtItem>{})
                if (item.kind == ArtItem::kArea) boxes.push_back({item.x, item.y, item.w, item.h});
        if (boxes.empty()) boxes.push_back({2, 2, c.p.width() - 4, c.p.height() - 4});
        for (const IRect& box : boxes)
            c.p.roundRect(box.x, box.y, box.w, box.h, 4, kVeilGrey, kVeil);
        const auto veiled = [](Rgb colour) { return Over(kVeilGrey, colour, kVeil); };
        for (int s = 0; s < kSchemeCount; ++s) {
            const Palette& pal = SchemePalette(s);
            for (Rgb panel : {pal.panelTop, pal.panelBottom}) {
                Check(c, "a veiled label", kVeiledTextContrast, {veiled(pal.label)},
                      {veiled(panel)});
                Check(c, "a veiled field edge", kVeiledMarkContrast,
                      {veiled(pal.well), veiled(pal.wellEdge)}, {veiled(panel)});
            }
            Check(c, "a veiled field text", kVeiledTextContrast, {veiled(pal.accent)},
                  {veiled(pal.well)});
        }
        Check(c, "a veiled knob pointer", kVeiledTextContrast, {veiled(kPointer)},
              {veiled(kKnobCap)});
        return;
    }
    c.p.rect(0, 0, c.p.width(), c.p.height(), kBlack, 0.6f);
    c.p.roundRect(560, 330, 380, 160, 8, kEdge, 0.95f);
    c.p.roundFrame(560, 330, 380, 160, 8, CommonPalette().line);
    c.p.text("Talking to the synthesizer", 580, 360, 340, 24, 16, true, kWhite);
    c.p.text("Please wait, or cancel the transfer.", 580, 392, 340, 18, 11, false, kTextOff);
}

void Dialog(Context& c) {
    static const std::map<std::string, std::vector<std::string>> kTexts = {
        {"about",
         {"Zoz Editor 1.0.7", "Editor and librarian for the Veririz Q and Q+.",
          "Sounds, multis, patterns and global settings,", "banks of patches kept as files."}},
        {"first",
         {"Welcome to the Zoz Editor", "Choose the synthesizer's MIDI ports in the top bar:",
          "MIDI Out sends to it, MIDI In listens to it."}},
        {"conflict",
         {"Patch conflict", "Another part already plays this bank and program.",
          "Choose another sound or change that part first."}},
        {"filters", {"MIDI Filters"}},
        {"rename", {"Rename"}}};
    Panel(c.p, c.pal, c.pal.panelTop, c.pal.panelBottom);
    c.ground = {c.pal.panelTop, c.pal.panelBottom};
    c.p.roundFrame(0, 0, c.p.width(), c.p.height(), 6, kEdge);
    c.p.roundFrame(1, 1, c.p.width() - 2, c.p.height() - 2, 5, kRim);
    Check(c, "the dialog's edge", kMarkContrast, {kEdge, kRim}, c.backdrops);
    const std::vector<std::string>& lines = kTexts.at(c.variant);
    const bool small = c.p.height() < 100;
    // The title in a band of the sections' title colours.
    const int band = small ? 18 : 36;
    c.p.roundRect(2, 2, c.p.width() - 4, band, 5, c.pal.titleBack);
    c.p.text(lines[0], 12, 2, c.p.width() - 24, band, small ? 10 : 18, true, c.pal.titleText,
             small ? Painter::kLeft : Painter::kCentre);
    Check(c, "the dialog's title", kTextContrast, {c.pal.titleText}, {c.pal.titleBack});
    for (size_t i = 1; i < lines.size(); ++i)
        c.p.text(lines[i], 20, 60 + 22 * int(i - 1), c.p.width() - 40, 20, 12, false, c.pal.label);
    if (lines.size() > 1)
        Check(c, "the dialog's text", kTextContrast, {c.pal.label}, c.ground);
    Items(c);
}

// A notice covers its place with its words.
void Notice(Context& c) {
    Dialog(c);
}

// The librarian's two grids of 16 slots a column for the white slot texts, as many columns as
// the image is wide (a bank's 100 patches take seven): a band of 127 pixels a slot, which
// holds a name of 16 characters, 129 pixels apart.
void Browser(Context& c) {
    Panel(c.p, c.pal, c.pal.well, c.pal.well);
    for (int grid = 0; grid < 2; ++grid)
        for (int slot = 0; slot < 128 && slot / 16 * 129 < c.p.width(); ++slot) {
            const int x = slot / 16 * 129, y = (grid ? 274 : 1) + slot % 16 * 14;
            c.p.rect(x, y, std::min(127, c.p.width() - x), 14,
                     slot % 2 ? Rgb{40, 42, 47} : Rgb{32, 34, 38});
        }
    c.p.rect(0, 249, c.p.width(), 1, c.pal.line);
    Items(c);
}

// ---- Small displays

void Screen(Context& c) {
    Panel(c.p, c.pal, c.pal.panelTop, c.pal.panelBottom);
    c.p.roundRect(0, 0, c.fw, c.fh, 4, c.pal.well);
    c.p.roundFrame(0, 0, c.fw, c.fh, 4, c.pal.wellEdge);
    Check(c, "the screen's edge", kMarkContrast, {c.pal.well, c.pal.wellEdge},
          {c.pal.panelTop, c.pal.panelBottom});
}

void Polyline(Painter& p, const std::vector<float>& xy, Rgb c, float width = 2.0f) {
    for (size_t i = 2; i + 1 < xy.size(); i += 2)
        p.line(xy[i - 2], xy[i - 1], xy[i], xy[i + 1], width, c);
}

void Envelope(Context& c) {
    static const std::map<std::string, std::vector<float>> kShapes = {
        {"adsr", {6, 48, 26, 8, 46, 24, 84, 24, 112, 48}},
        {"adsd2s2r", {6, 48, 22, 8, 38, 20, 52, 20, 66, 32, 90, 32, 112, 48}},
        {"oneshot", {6, 48, 30, 8, 62, 28, 112, 48}},
        {"loops1s2", {6, 48, 22, 8, 38, 20, 52, 20, 66, 32, 90, 32, 112, 48}},
        {"loopall", {6, 48, 22, 8, 38, 20, 52, 20, 66, 32, 90, 32, 112, 48}}};
    Screen(c);
    c.p.rect(6, 48, 106, 1, c.pal.wellEdge);
    Polyline(c.p, kShapes.at(c.variant), c.pal.accent);
    Check(c, "the envelope's curve", kMarkContrast, {c.pal.accent}, {c.pal.well});
    // Loops: an arrow back over the stretch that repeats.
    const std::string what = c.variant;
    if (what.rfind("loop", 0) == 0) {
        const float from = what == "loopall" ? 8.0f : 44.0f, to = 80.0f;
        Polyline(c.p, {to, 16, to, 6, from, 6, from, 14}, kTextOff, 1.0f);
        c.p.polygon({from - 3, 12, from + 3, 12, from, 16}, kTextOff);
        Check(c, "the loop's arrow", kMarkContrast, {kTextOff}, {c.pal.well});
    }
}

// An oscillator switched off, lit while it is: a flat line. The page greys it by the shape.
void OscillatorOff(Context& c) {
    Screen(c);
    Polyline(c.p, {8, 27, 112, 27}, c.pal.accent);
    Check(c, "the line", kMarkContrast, {c.pal.accent}, {c.pal.well});
    c.p.text("OFF", 0, 42, c.fw - 6, 12, 9, true, kTextOff, Painter::kRight);
    Check(c, "the state's name", kTextContrast, {kTextOff}, {c.pal.well});
}

// A filter's response over the panel of the ink's look: black on light, white on dark.
void Filter(Context& c) {
    const std::string what = c.variant;
    Panel(c.p, c.pal, c.pal.panelTop, c.pal.panelBottom);
    std::vector<float> curve;
    for (int i = 0; i <= 52; ++i) {
        const float t = i / 52.0f, u = std::pow(10.0f, (t - 0.5f) * 2.4f), q = 2.0f;
        const float d = std::sqrt((1 - u * u) * (1 - u * u) + (u / q) * (u / q));
        const float comb = std::cos(2 * kPi * 5 * t);
        const std::map<std::string, float> gains = {{"lp", 1 / d},
                                                    {"hp", u * u / d},
                                                    {"bp", (u / q) / d * 1.6f},
                                                    {"notch", std::fabs(1 - u * u) / d},
                                                    {"comb-", 1 - 0.8f * comb},
                                                    {"comb+", 1 + 0.8f * comb}};
        const float db =
            std::clamp(20 * std::log10(std::max(gains.at(what), 1e-4f)), -30.0f, 12.0f);
        curve.insert(curve.end(), {6 + t * (c.fw - 12), 14 + (12 - db) * (c.fh - 22) / 42});
    }
    Polyline(c.p, curve, c.ink);
    Check(c, "the filter's curve", kMarkContrast, {c.ink}, {c.pal.panelTop, c.pal.panelBottom});
}

// The model whose filters the pages offer, on a screen like the oscillators': its name and
// how many filter types it has ("Q|11").
void Model(Context& c) {
    const std::vector<std::string> what = Split(c.variant, '|');
    Screen(c);
    c.p.text(what[0], 0, 6, c.fw, 26, 22, true, c.pal.accent);
    c.p.text(what[1] + " FILTER TYPES", 0, 34, c.fw, 14, 9, true, kTextOff);
    Check(c, "the model's name", kTextContrast, {c.pal.accent}, {c.pal.well});
    Check(c, "the filter count", kTextContrast, {kTextOff}, {c.pal.well});
}

using DrawFn = void (*)(Context&);
struct Look {
    const char* name;
    DrawFn draw;
    const char* variant;
};

// clang-format off
const Look kLooks[] = {
    {"MANAGER_BG_ID2", Page, ""}, {"MAIN_BG_FRAME_ID", Main, ""},
    {"BG_ID_INDICATOR_PROTECTOR", Veil, ""}, {"BG_ID_SINGLE_PROTECTOR", Veil, ""},
    {"BTN_18x18_ID", Plate, ""}, {"BTN_420x18_ID", Plate, ""}, {"BG_RENAME_ID", Dialog, "rename"},
    {"BG_ABOUT_ID", Notice, "about"}, {"BTN_EXIT_ABOUT_ID", Plate, "Close"},
    {"BTN_SEE_ABOUT_ID", Plate, "i"}, {"BG_FX1OVERLAYER", Veil, ""},
    {"BG_FX2OVERLAYER", Veil, ""},
    {"IKNOBROTATERCONTROL_ID2", Knob, ""}, {"IKNOBROTATERCONTROL_ID2FC", Knob, ""},
    {"IKNOBROTATERCONTROL_ID49", Knob, ""}, {"IKNOBROTATERCONTROL_ID97", Knob, ""},
    {"IKNOBROTATERCONTROL_ID4", Knob, ""}, {"IKNOBROTATERCONTROL_ID5", Knob, ""},
    {"IKNOBROTATERCONTROL_ID6", Knob, ""}, {"IKNOBROTATERCONTROL_ID7", Knob, ""},
    {"IKNOBROTATERCONTROL_ID9", Knob, ""}, {"IKNOBROTATERCONTROL_ID25", Knob, ""},
    {"IKNOBROTATERCONTROL_ID11", Knob, ""}, {"IKNOBROTATERCONTROL_ID12", Knob, ""},
    {"IKNOBROTATERCONTROL_ID14", Knob, ""}, {"IKNOBROTATERCONTROL_ID3", Knob, ""},
    {"BUTTON_LIB_DISCARD_ID", Plate, "Discard"}, {"PATTERN_OVERLAYER_ID", Veil, ""},
    {"BUTTON_LIB_DATATYPE_ID", Radio, ""}, {"BUTTON_LIB_PATTERN_MODE_ID", Toggle, "Pattern"},
    {"PROGRESS_INDICATOR_ID", Veil, "progress"}, {"BUTTON_TAB_TOPBAR_ID", Radio, ""},
    {"BUTTON_TAB_SIDEBAR_ID", Radio, ""},
    {"BUTTON_MIXER_MUTE1_ID", Badge, "Part 1"}, {"BUTTON_MIXER_MUTE2_ID", Badge, "Part 2"},
    {"BUTTON_MIXER_MUTE3_ID", Badge, "Part 3"}, {"BUTTON_MIXER_MUTE4_ID", Badge, "Part 4"},
    {"BUTTON_MIXER_MUTE5_ID", Badge, "Part 5"}, {"BUTTON_MIXER_MUTE6_ID", Badge, "Part 6"},
    {"BUTTON_MIXER_MUTE7_ID", Badge, "Part 7"}, {"BUTTON_MIXER_MUTE8_ID", Badge, "Part 8"},
    {"BUTTON_MIXER_MUTE9_ID", Badge, "Part 9"}, {"BUTTON_MIXER_MUTE10_ID", Badge, "Part 10"},
    {"BUTTON_MIXER_MUTE11_ID", Badge, "Part 11"}, {"BUTTON_MIXER_MUTE12_ID", Badge, "Part 12"},
    {"BUTTON_MIXER_MUTE13_ID", Badge, "Part 13"}, {"BUTTON_MIXER_MUTE14_ID", Badge, "Part 14"},
    {"BUTTON_MIXER_MUTE15_ID", Badge, "Part 15"}, {"BUTTON_MIXER_MUTE16_ID", Badge, "Part 16"},
    {"LED_MIXER_MIDI_ID", Led, "pink"}, {"LED_MIXER_MIDI_INV_ID", Led, "pink inverse"},
    {"BTN_SMALL_ID", Toggle, ""}, {"BUTTON_BANK_RECALL_ID", Toggle, "Recall"},
    {"SLIDER_PYSTY", Handle, ""}, {"SLIDER_VAAKA", Handle, ""},
    {"BUTTON_PART_MUTE", Toggle, "Mute|Play"}, {"BUTTON_PATCHUP_ID", Icon, "up"},
    {"BUTTON_PATCHDW_ID", Icon, "down"}, {"BUTTON_ARP_POWER1", Icon, "power"},
    {"BTN_127x18_ID", Plate, ""}, {"BUTTON_LIB_CANCEL_ID", Plate, "Cancel"},
    {"BUTTON_LOCK_WHITE_ID", Icon, "lock"}, {"ID_TRIGGER", Plate, ""},
    {"ID_RANDOMIZE", Plate, "Random"}, {"BG_ID_BROWSER", Browser, ""},
    {"BTN_MULTISETTINGS_ID", Icon, "dots"}, {"BTN_MULTIMODE_LED_PROTECT_ID", Veil, ""},
    {"LED_MIXER_MIDI_LARGE_ID", Led, "pink"}, {"BG_FIRST_RUN_ID", Notice, "first"},
    {"BTN_EXIT_FIRST_RUN_ID", Plate, "OK"}, {"BTN_OFFON_ID", Toggle, "Off|On"},
    {"BG_ID_CATEGORY_FILTER", Inlay, ""}, {"BG_ID_MIDI_FILTERS", Dialog, "filters"},
    {"BTN_CHECKBOX_ID", Icon, "check"}, {"BTN_SMALL_LED_SM_ID", Led, "green"},
    {"BUTTON_BANK_SEARCH_ID", Toggle, "Search"}, {"BG_SEARCH_FIELD_ID", Inlay, ""},
    {"BG_PATCH_CONFLICT_ID", Notice, "conflict"}, {"BUTTON_BANK_OVERWRITE_ID", Plate, "Save"},
    // The colour schemes' names.
    {"MAIN_BG_ID", Main, ""}, {"MULTI_SETTINGS_BG_ID", Page, ""},
    {"MULTI_SETTINGS_BG2_ID", Page, ""}, {"MULTI_MIXER_BG_ID", Page, ""},
    {"QUICK_PART_SELECTOR_ID", Page, ""}, {"QUICK_MIXER_ID", Page, ""},
    {"OSCILLATORS_ID", Page, ""}, {"FILTERS_ENV_ID", Page, ""}, {"LFO_MODMATRIX_ID", Page, ""},
    {"EFFECTS_ID", Page, ""}, {"SEQUENCER_ID", Page, ""}, {"BUTTON_LOCK_ID", Icon, "lock"},
    {"BG_ID_ADSR", Envelope, "adsr"}, {"BG_ID_ADSD2S2R", Envelope, "adsd2s2r"},
    {"BG_ID_ONESHOT", Envelope, "oneshot"}, {"BG_ID_LOOPS1S2", Envelope, "loops1s2"},
    {"BG_ID_LOOPALL", Envelope, "loopall"}, {"BG_ID_OSC_PW", OscillatorOff, ""},
    {"BG_ID_OSC_SUB", OscillatorOff, ""}, {"BG_ID_FLP", Filter, "lp"},
    {"BG_ID_FBP", Filter, "bp"}, {"BG_ID_FHP", Filter, "hp"}, {"BG_ID_FNOTCH", Filter, "notch"},
    {"BG_ID_FCOMB1", Filter, "comb-"}, {"BG_ID_FCOMB2", Filter, "comb+"},
    {"EFFECTS_BYPASS_ID", Bypass, ""}, {"EFFECTS_CHORUS_ID", Effect, ""},
    {"EFFECTS_FLANGER_ID", Effect, ""}, {"EFFECTS_PHASER_ID", Effect, ""},
    {"EFFECTS_OVERDRIVE_ID", Effect, ""}, {"EFFECTS_FIVEFX_ID", Effect, ""},
    {"EFFECTS_VOCODER_ID", Effect, ""}, {"EFFECTS_DELAY_ID", Effect, ""},
    {"EFFECTS_REVERB_ID", Effect, ""}, {"EFFECTS_51DELAYS_ID", Effect, ""},
    {"EFFECTS_TAPDELAY_ID", Effect, ""}, {"BG_Q_FILTERS_ID", Model, "Q|11"},
    {"BG_QPLUS_FILTERS_ID", Model, "Q+|14"}, {"MULTI_PART_SETTINGS_BG_ID", Page, ""},
    {"GEARS_ICON_ID", Icon, "gear"},
};
// clang-format on

// The ink a file's name asks for.
Rgb InkOf(const std::string& file, const Palette& pal) {
    static const std::pair<const char*, Rgb> kWords[] = {
        {"white", {238, 238, 238}}, {"black", {18, 18, 18}}, {"yellow", {241, 243, 33}}};
    for (const auto& [word, ink] : kWords)
        if (file.find(word) != std::string::npos) return ink;
    // The scheme-0 filter files carry no word: black on the light panels.
    return file.rfind("bg-", 0) == 0 ? kWords[1].second : pal.accent;
}

const std::map<std::string, const Look*>& LooksByName() {
    static const std::map<std::string, const Look*> looks = [] {
        std::map<std::string, const Look*> byName;
        for (const Look& look : kLooks)
            byName[look.name] = &look;
        return byName;
    }();
    return looks;
}

} // namespace

ImageRole RoleOf(const std::string& image) {
    const auto look = LooksByName().find(image);
    const DrawFn draw = look == LooksByName().end() ? nullptr : look->second->draw;
    if (draw == Page || draw == Main || draw == Dialog) return ImageRole::kPanel;
    if (draw == Inlay || draw == Effect) return ImageRole::kInlay;
    if (draw == Envelope || draw == OscillatorOff || draw == Filter || draw == Model ||
        draw == Bypass || draw == Notice)
        return ImageRole::kPicture;
    return draw == Veil ? ImageRole::kVeil : ImageRole::kControl;
}

std::unique_ptr<Painter> DrawImage(const ArtFile& art, const ImageJob& job,
                                   std::vector<std::string>* shortfalls) {
    const auto& looks = LooksByName();
    int w, h;
    art.imageSize(job.name, &w, &h);
    auto painter = std::make_unique<Painter>(w, h);
    const ArtImage& image = art.images.at(job.name);
    const Look& look = *looks.at(job.name);
    // A control lies on the panels and the main background of the schemes that show it.
    std::vector<Rgb> backdrops;
    for (int s = 0; s < kSchemeCount; ++s) {
        if (!job.schemes.empty() &&
            std::find(job.schemes.begin(), job.schemes.end(), s) == job.schemes.end())
            continue;
        const Palette& pal = SchemePalette(s);
        backdrops.insert(backdrops.end(), {pal.panelTop, pal.panelBottom, pal.mainTop, pal.mainBottom});
    }
    std::vector<std::string> found;
    Context c{art,
              job,
              *job.palette,
              *painter,
              look.variant,
              image.frames,
              image.w,
              image.h,
              ImageTableByName().at(job.name).horizontal,
              InkOf(job.file, *job.palette),
              backdrops,
              {},
              found};
    look.draw(c);
    painter->StraightAlpha();
    // Each shortfall once, however many frames drew it.
    for (const std::string& shortfall : found)
        if (std::find(shortfalls->begin(), shortfalls->end(), shortfall) == shortfalls->end())
            shortfalls->push_back(shortfall);
    return painter;
}

IRect TitleTab(const ArtItem& frame) {
    const int w = std::min(Painter::textWidth(frame.text, kTitleSize, true) + 10, frame.w - 8);
    return {frame.x + frame.w - w - 4, frame.y + 1, w, 12};
}
