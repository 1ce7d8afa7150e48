#include "kit/winl/winl-gdi-text.h"

#include "kit/base/KIT_Mutex.h"
#include "kit/base/KIT_StringKeyedArray.h"
#include "platform/text/FontResolver.h"
#include "platform/text/TextFont.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kMaxTextBytes = 4095;
constexpr size_t kMaxFaceNameBytes = 899;

// Composed face names and where their faces were found, so that fontconfig is asked once per
// name: fonts are made again for every size and style of every text style.
KIT_Mutex& s_fontnamecache_mutex() {
    static KIT_Mutex m;
    return m;
}

KIT_StringKeyedArray<platform::FontLocation*>& s_fontnamecache() {
    static KIT_StringKeyedArray<platform::FontLocation*> cache(
        true, [](platform::FontLocation* v) { delete v; });
    return cache;
}

platform::FontLocation locateFace(const std::string& name) {
    {
        KIT_MutexLock lock(&s_fontnamecache_mutex());
        if (platform::FontLocation** found = s_fontnamecache().GetPtr(name.c_str())) return **found;
    }
    // A name that resolves to nothing is kept too (as no face), so it is not looked up again.
    auto* where = new platform::FontLocation;
    platform::ResolveFontName(name, where);
    const platform::FontLocation result = *where;
    KIT_MutexLock lock(&s_fontnamecache_mutex());
    s_fontnamecache().Insert(name.c_str(), where);
    return result;
}

std::shared_ptr<platform::TextFont> labelFont(float size) {
    static const platform::FontLocation where = [] {
        platform::FontLocation l;
        platform::ResolveLabelFont(&l);
        return l;
    }();
    return platform::TextFont::Open(where, size);
}

// The font that draws when a context has none selected: the label font of size 10.
const std::shared_ptr<platform::TextFont>& defaultFont() {
    static const std::shared_ptr<platform::TextFont> font = labelFont(10);
    return font;
}

platform::TextFont* selectedFont(HDC hdc) {
    if (WINL_IsLiveGDIObject(hdc->font, WINL_OBJ_FONT) && hdc->font->platformFont)
        return hdc->font->platformFont.get();
    return defaultFont().get();
}

// Paints the box (edges on the nearest whole pixels) in the colour, within the clip.
void fillBox(platform::Canvas& gc, double x, double y, double w, double h,
             const platform::CanvasColor& colour) {
    const platform::CanvasRect& clip = gc.Clip();
    x += gc.OriginX();
    y += gc.OriginY();
    const int x0 = int(std::clamp(std::floor(x + 0.5), double(clip.left), double(clip.right)));
    const int x1 = int(std::clamp(std::floor(x + w + 0.5), double(x0), double(clip.right)));
    const int y0 = int(std::clamp(std::floor(y + 0.5), double(clip.top), double(clip.bottom)));
    const int y1 = int(std::clamp(std::floor(y + h + 0.5), double(y0), double(clip.bottom)));
    const auto byte = [](float f) {
        return (unsigned char)std::lround(std::clamp(f, 0.0f, 1.0f) * 255.0f);
    };
    const unsigned char rgb[3] = {byte(colour.red), byte(colour.green), byte(colour.blue)};
    for (int row = y0; row < y1; ++row) {
        auto* px = reinterpret_cast<unsigned char*>(gc.Row(row) + x0);
        for (int col = x0; col < x1; ++col, px += 4)
            memcpy(px + 1, rgb, 3);
    }
}

int saturate(int64_t v) {
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// The text as it is drawn: carriage returns dropped, ampersands resolved, and line feeds
// turned into spaces for a single line.
std::string prepareText(const char* text, int len, int flags) {
    std::string out;
    for (int64_t read = 0;
         (len < 0 || read < len) && text[read] && int(out.size()) < kMaxTextBytes;) {
        char c = text[read++];
        if (c == '\r') continue;
        if (c == '&' && !(flags & DT_NOPREFIX)) {
            if ((len >= 0 && read >= len) || !text[read]) break;
            c = text[read++];
        }
        out.push_back(c);
    }
    if (flags & DT_SINGLELINE) std::replace(out.begin(), out.end(), '\n', ' ');
    return out;
}

// Lines split at line feeds; a final line feed ends the last line without opening another.
std::vector<std::u32string_view> splitLines(const std::u32string& text) {
    std::vector<std::u32string_view> lines;
    const std::u32string_view all(text);
    size_t start = 0;
    while (start < all.size()) {
        const size_t end = std::min(all.find(U'\n', start), all.size());
        lines.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

HFONT CreateFont(int height, int width, int, int orientation, int weight, char italic, char, char,
                 char, char, char, char quality, char, const char* faceName) {
    HFONT font = GDP_OBJECT_NEW();
    if (!font) return nullptr;
    font->type = WINL_OBJ_FONT;
    int64_t size = std::llabs(int64_t(height ? height : width));
    if (size > 8192 || size < 2) size = 10;
    font->fontRotation = float(orientation) / 10.0f;

    std::string name(faceName ? faceName : "", faceName ? strnlen(faceName, kMaxFaceNameBytes) : 0);
    if (weight >= 700) name += " Bold";
    if (italic) name += " Italic";
    if (!name.empty()) font->platformFont = platform::TextFont::Open(locateFace(name), float(size));
    if (!font->platformFont) font->platformFont = labelFont(float(size));

    font->fontQuality = quality == NONANTIALIASED_QUALITY || quality == ANTIALIASED_QUALITY
                            ? (unsigned char)quality
                            : 0;
    return font;
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
    if (!lf) return nullptr;
    const std::string face(lf->lfFaceName, strnlen(lf->lfFaceName, sizeof lf->lfFaceName));
    return CreateFont(lf->lfHeight, lf->lfWidth, 0, lf->lfOrientation, lf->lfWeight, lf->lfItalic,
                      0, 0, 0, 0, 0, lf->lfQuality, 0, face.c_str());
}

void SetTextColor(HDC hdc, int colour) {
    if (!WINL_IsLiveContext(hdc)) return;
    hdc->textColor = colour;
    hdc->textColorRef = CreateColor(colour);
}

int GetTextColor(HDC hdc) {
    return WINL_IsLiveContext(hdc) ? hdc->textColor : -1;
}

void SetBkColor(HDC hdc, int colour) {
    if (WINL_IsLiveContext(hdc)) hdc->bkColor = colour;
}

void SetBkMode(HDC hdc, int mode) {
    if (WINL_IsLiveContext(hdc)) hdc->bkMode = mode;
}

int GetTextMetrics(HDC hdc, TEXTMETRIC* tm) {
    if (!tm) return 0;
    *tm = TEXTMETRIC{16, 12, 4, 3, 10};
    if (!WINL_IsLiveContext(hdc)) return 0;
    const platform::TextFont* font = selectedFont(hdc);
    if (!font) return 1;
    tm->tmInternalLeading = int(font->Leading());
    tm->tmAscent = int(font->Ascent());
    tm->tmDescent = int(font->Descent());
    const int height = tm->tmAscent + tm->tmDescent + tm->tmInternalLeading;
    tm->tmAveCharWidth = 2 * height / 3;
    tm->tmHeight = height ? height + 1 : 0;
    return 1;
}

int WINL_DrawText(HDC hdc, const char* text, int len, RECT* r, int flags) {
    if (!WINL_IsLiveContext(hdc) || !text || !r) return 0;
    const std::string prepared = prepareText(text, len, flags);
    std::u32string codes;
    if (prepared.empty() || !platform::DecodeUtf8(prepared, &codes)) return 0;
    platform::TextFont* font = selectedFont(hdc);
    if (!font) return 0;

    const double ascent = font->Ascent();
    const double lineHeight = ascent + font->Descent() + font->Leading();
    const std::vector<std::u32string_view> lines = splitLines(codes);
    const bool multiLine = codes.find(U'\n') != std::u32string::npos;
    std::vector<double> widths;
    int64_t width = 0;
    for (std::u32string_view line : lines) {
        widths.push_back(font->LineWidth(line));
        width = std::max(width, int64_t(std::floor(widths.back() + 0.5)));
    }
    const int64_t height = int64_t(lines.size()) * int64_t(std::floor(lineHeight + 1.5));
    const int64_t H = height ? height + 1 : 0;

    if (flags & DT_CALCRECT) {
        r->right = saturate(int64_t(r->left) + width);
        r->bottom = saturate(int64_t(r->top) + H);
        return int(H);
    }

    const int64_t left = r->left, top = r->top, right = r->right, bottom = r->bottom;
    int64_t x = left;
    if (flags & DT_RIGHT)
        x += right - left - width;
    else if (flags & DT_CENTER)
        x += (right - left) / 2 - width / 2;
    int64_t y = top;
    if (flags & DT_BOTTOM)
        y += bottom - H - top;
    else if (flags & DT_VCENTER)
        y += (bottom - top) / 2 - H / 2;

    platform::Canvas* gc = hdc->gc;
    if (!gc) return int(H);
    gc->SaveState();
    if (!(flags & DT_NOCLIP)) gc->ClipToRect({r->left, r->top, r->right, r->bottom});
    const HGDIOBJ selected = hdc->font;
    if (WINL_IsLiveGDIObject(selected, WINL_OBJ_FONT) && selected->fontQuality != 0)
        gc->SetShouldAntialias(selected->fontQuality == ANTIALIASED_QUALITY);
    const bool opaque = hdc->bkMode == OPAQUE;
    const platform::CanvasColor background = CreateColor(hdc->bkColor);
    const platform::CanvasColor ink = hdc->textColorRef ? *hdc->textColorRef : CreateColor(0);

    if (!multiLine) {
        if (opaque) fillBox(*gc, double(x), double(y), double(width), double(H), background);
        font->DrawLine(*gc, double(x), double(y) + ascent, lines[0], ink);
    } else {
        double lineTop = double(y);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (opaque) fillBox(*gc, double(x), lineTop, widths[i], lineHeight, background);
            font->DrawLine(*gc, double(x), lineTop + ascent, lines[i], ink);
            lineTop += std::floor(lineHeight + 0.5);
        }
    }
    gc->RestoreState();
    return int(H);
}
