// The graphics object's images, drawing primitives and text.
#include "kit/effect/IGraphics.h"

#include "kit/effect/BitmapStorage.h"
#include "kit/effect/FontStorage.h"
#include "kit/effect/ICachedImage.h"
#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_CachedFont.h"
#include "kit/rast/RAST_Circle.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_Line.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_Polygon.h"
#include "kit/rast/RAST_RotatedBlit.h"
#include "kit/rast/RAST_ScaledBlit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// The raster combine mode of each blend method; other methods blend like kBlendNone.
const int kBlendModes[] = {
    RAST_MODE_COPY | RAST_MODE_SOURCE_ALPHA, // kBlendNone
    RAST_MODE_COPY,                          // kBlendCopy: source alpha ignored
    RAST_MODE_ADD | RAST_MODE_SOURCE_ALPHA,  // kBlendAdd
    RAST_MODE_COLORDODGE | RAST_MODE_SOURCE_ALPHA,
};

int modeOf(const IChannelBlend* blend) {
    const int method = blend ? blend->mMethod : IChannelBlend::kBlendNone;
    return method >= 0 && method < int(sizeof kBlendModes / sizeof kBlendModes[0])
               ? kBlendModes[method]
               : kBlendModes[IChannelBlend::kBlendNone];
}

float weightOf(const IChannelBlend* blend) {
    return blend ? blend->mWeight : 1.0f;
}

RAST_pixel pixelOf(const IColor* c) {
    return RAST_MakePixel(c->R, c->G, c->B, c->A);
}

// Font quality codes by the text's quality 0..3; any other quality gives 3.
const char kFontQualities[] = {0, 3, 4, 4};

IBitmap cachedIBitmap(RAST_IBitmap* bitmap, int nStates, bool framesAreHorizontal) {
    if (!bitmap) return IBitmap();
    return IBitmap{bitmap, bitmap->getWidth(), bitmap->getHeight(), nStates, framesAreHorizontal};
}

bool sameSize(const IBitmap* a, const IBitmap* b) {
    return a->W == b->W && a->H == b->H;
}

// The rows that a character of the text's cached font takes, drawn white on black at the top
// of a box; false when it shows no ink.
bool inkRows(IText* text, const char* character, int* top, int* height) {
    RAST_IFont* font = text->mCached;
    const int lineHeight = font ? font->GetLineHeight() : 0;
    if (lineHeight <= 0 || lineHeight > 1024) return false;
    RAST_MemBitmap scratch(2 * lineHeight + 8, 2 * lineHeight + 8);
    if (!scratch.getBits()) return false;
    RAST_FillRect(&scratch, 0, 0, scratch.getWidth(), scratch.getHeight(),
                  RAST_MakePixel(0, 0, 0, 255), 1.0f, RAST_MODE_COPY);
    font->SetTextColor(RAST_MakePixel(255, 255, 255, 255));
    RECT box{0, 0, scratch.getWidth(), scratch.getHeight()};
    font->DrawText(&scratch, character, -1, &box, DT_LEFT | DT_TOP | DT_NOCLIP);
    int first = -1, last = -1;
    for (int y = 0; y < scratch.getHeight(); ++y)
        for (int x = 0; x < scratch.getWidth(); ++x)
            if (RAST_GetRed(*RAST_PixelAt(scratch, x, y)) >= 128) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    if (first < 0) return false;
    *top = first;
    *height = last - first + 1;
    return true;
}

// Sets the text's capital and dash rows from its cached font. The windowing layer pads a
// line's box below its baseline, so its middle lies under the middle of the capitals.
void measureRows(IText* text) {
    if (!inkRows(text, "H", &text->mCapTop, &text->mCapHeight)) text->mCapHeight = 0;
    if (!inkRows(text, "-", &text->mDashTop, &text->mDashHeight)) text->mDashHeight = 0;
}

// A placeholder such as "---" has no capitals to centre.
bool onlyDashes(const char* str) {
    return str[strspn(str, "- ")] == '\0' && strchr(str, '-') != nullptr;
}

} // namespace

// ---- Images

IBitmap IGraphics::LoadIBitmap(int id, const char* name, double scale, int nStates,
                               bool framesAreHorizontal) {
    BitmapStorage& cache = BitmapStorage::Instance();
    if (RAST_IBitmap* cached = cache.Retain(id))
        return cachedIBitmap(cached, nStates, framesAreHorizontal);
    // Only the size now; the pixels when the image is first drawn. Add keeps whichever image
    // reached the cache first.
    int width = 0, height = 0;
    if (!OSBitmapSize(id, name, &width, &height)) return IBitmap();
    const int w = TruncToInt(width * scale), h = TruncToInt(height * scale);
    if (w <= 0 || h <= 0) return IBitmap();
    return cachedIBitmap(cache.Add(new ICachedImage(id, name, w, h), id), nStates,
                         framesAreHorizontal);
}

bool IGraphics::OSBitmapSize(int id, const char* name, int* w, int* h) {
    const std::unique_ptr<RAST_IBitmap> decoded(OSLoadBitmap(id, name));
    if (!decoded) return false;
    *w = decoded->getWidth();
    *h = decoded->getHeight();
    return true;
}

RAST_IBitmap* IGraphics::PixelsOf(const IBitmap* bitmap) {
    if (auto* image = dynamic_cast<ICachedImage*>(bitmap->mData))
        return image->Decode(*this) ? image : nullptr;
    return bitmap->mData;
}

IBitmap IGraphics::getImageById(int id, int nStates, bool framesAreHorizontal) {
    return cachedIBitmap(BitmapStorage::Instance().Find(id), nStates, framesAreHorizontal);
}

IBitmap IGraphics::ScaleBitmap(const IBitmap* bitmap, int destW, int destH) {
    RAST_IBitmap* source = PixelsOf(bitmap);
    if (!source || destW <= 0 || destH <= 0) return IBitmap();
    auto* scaled = new RAST_MemBitmap(destW, destH, 4);
    RAST_ScaledBlit(scaled, source, 0, 0, destW, destH, 0.0f, 0.0f, float(bitmap->W),
                    float(bitmap->H), 1.0f, RAST_MODE_BILINEAR);
    return cachedIBitmap(BitmapStorage::Instance().Add(scaled, -1), bitmap->N, false);
}

IBitmap IGraphics::CropBitmap(const IBitmap* bitmap, const IRECT* r) {
    RAST_IBitmap* source = PixelsOf(bitmap);
    if (!source || r->W() <= 0 || r->H() <= 0) return IBitmap();
    auto* cropped = new RAST_MemBitmap(r->W(), r->H(), 4);
    RAST_Blit(cropped, source, 0, 0, r->L, r->T, r->W(), r->H(), 1.0f, RAST_MODE_COPY);
    return cachedIBitmap(BitmapStorage::Instance().Add(cropped, -1), bitmap->N, false);
}

void IGraphics::RetainBitmap(const IBitmap* bitmap) {
    BitmapStorage::Instance().Add(bitmap->mData, -1);
}

void IGraphics::ReleaseBitmap(const IBitmap* bitmap) {
    BitmapStorage::Instance().Remove(bitmap->mData);
}

void IGraphics::ReleaseBitmapById(int id) {
    BitmapStorage::Instance().RemoveById(id);
}

// ---- Bitmaps

bool IGraphics::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend) {
    RAST_IBitmap* draw = surface();
    RAST_IBitmap* pixels = draw ? PixelsOf(bitmap) : nullptr;
    if (!pixels) return true;
    const IRECT r = dest->Intersect(m_drawRect);
    RAST_Blit(draw, pixels, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T,
              r.W(), r.H(), weightOf(blend), modeOf(blend));
    return true;
}

bool IGraphics::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int bmpState, int srcX,
                           int srcY, const IChannelBlend* blend) {
    if (bmpState >= 2 && bitmap->N >= 2)
        (bitmap->mFramesAreHorizontal ? srcX : srcY) = bitmap->FrameOffset(bmpState);
    return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawBitmap(const IBitmap* bitmap, const IRECT* dest, int bmpState,
                           const IChannelBlend* blend) {
    return DrawBitmap(bitmap, dest, bmpState, 0, 0, blend);
}

bool IGraphics::DrawRotatedBitmap(const IBitmap* bitmap, int cx, int cy, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend) {
    RAST_IBitmap* draw = surface();
    RAST_IBitmap* pixels = draw ? PixelsOf(bitmap) : nullptr;
    if (!pixels) return true;
    const int w = bitmap->W, h = bitmap->H;
    RAST_RotatedBlit(draw, pixels, cx - w / 2, cy - h / 2, w, h, 0.0f, 0.0f,
                     float(w), float(h), float(angle), false, weightOf(blend),
                     modeOf(blend) + RAST_MODE_BILINEAR, 0.0f, float(yOffsetZeroDeg));
    return true;
}

bool IGraphics::DrawRotatedMask(const IBitmap* base, const IBitmap* mask, const IBitmap* top, int x,
                                int y, double angle, const IChannelBlend* blend) {
    RAST_IBitmap* draw = surface();
    if (!draw || !sameSize(base, mask) || !sameSize(base, top)) return true;
    RAST_IBitmap* basePixels = PixelsOf(base);
    RAST_IBitmap* maskPixels = PixelsOf(mask);
    RAST_IBitmap* topPixels = PixelsOf(top);
    if (!basePixels || !maskPixels || !topPixels) return true;
    if (!m_scratchBitmap) m_scratchBitmap = new RAST_MemBitmap(0, 0, 4);
    const int w = base->W, h = base->H;
    RAST_Copy(m_scratchBitmap, basePixels);
    RAST_ClearRect(m_scratchBitmap, 0, 0, w, h, 0xFFFFFF00, 0);
    const float radians = float(angle * 3.141592653589793 / 180.0);
    const float xOff = w % 2 ? -0.5f : 0.0f;
    RAST_RotatedBlit(m_scratchBitmap, maskPixels, 0, 0, w, h, 0.0f, 0.0f, float(w), float(h),
                     radians, true, 1.0f,
                     RAST_MODE_ADD | RAST_MODE_BILINEAR | RAST_MODE_SOURCE_ALPHA, xOff, 0.0f);
    RAST_RotatedBlit(m_scratchBitmap, topPixels, 0, 0, w, h, 0.0f, 0.0f, float(w), float(h),
                     radians, true, 1.0f,
                     RAST_MODE_COPY | RAST_MODE_BILINEAR | RAST_MODE_SOURCE_ALPHA, xOff, 0.0f);
    const IRECT r = IRECT(x, y, x + w, y + h).Intersect(m_drawRect);
    RAST_Blit(draw, m_scratchBitmap, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(),
              weightOf(blend), modeOf(blend));
    return true;
}

// ---- Shapes

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool) {
    if (RAST_IBitmap* draw = surface())
        RAST_PutPixel(draw, int(x + 0.5f), int(y + 0.5f), pixelOf(color), weightOf(blend),
                      modeOf(blend));
    return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y) {
    RAST_IBitmap* draw = surface();
    if (draw && draw->getBits() && x >= 0 && y >= 0 && x < draw->getWidth() &&
        y < draw->getHeight())
        *RAST_PixelAt(*draw, x, y) = pixelOf(color);
    return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool aa) {
    if (RAST_IBitmap* draw = surface())
        RAST_Line(draw, int(x1), int(y1), int(x2), int(y2), pixelOf(color), weightOf(blend),
                  modeOf(blend), aa);
    return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool aa) {
    if (RAST_IBitmap* draw = surface())
        RAST_Arc(draw, cx, cy, r, minAngle, maxAngle, pixelOf(color), weightOf(blend),
                 modeOf(blend), aa);
    return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool aa) {
    if (RAST_IBitmap* draw = surface())
        RAST_Circle(draw, cx, cy, r, pixelOf(color), weightOf(blend), modeOf(blend), aa);
    return true;
}

bool IGraphics::RoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                          int cornerRadius, bool aa) {
    if (RAST_IBitmap* draw = surface())
        RAST_RoundRect(draw, float(rect->L), float(rect->T), float(rect->W()),
                       float(rect->H()), cornerRadius, pixelOf(color), weightOf(blend),
                       modeOf(blend), aa);
    return true;
}

bool IGraphics::FillRoundRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend,
                              int cr, bool aa) {
    RAST_IBitmap* draw = surface();
    if (!draw) return true;
    const int x = rect->L, y = rect->T, w = rect->W(), h = rect->H();
    const RAST_pixel pixel = pixelOf(color);
    const float weight = weightOf(blend);
    const int mode = modeOf(blend);
    RAST_FillRect(draw, x + cr, y, w - 2 * cr, h, pixel, weight, mode);
    RAST_FillRect(draw, x, y + cr, cr, h - 2 * cr, pixel, weight, mode);
    RAST_FillRect(draw, x + w - cr, y + cr, cr, h - 2 * cr, pixel, weight, mode);
    const int corners[4][2] = {{x + cr, y + cr},
                               {x + w - cr - 1, y + h - cr - 1},
                               {x + w - cr - 1, y + cr},
                               {x + cr, y + h - cr - 1}};
    for (const auto& c : corners)
        RAST_FillCircle(draw, float(c[0]), float(c[1]), float(cr), pixel, weight, mode, aa);
    return true;
}

bool IGraphics::FillIRect(const IColor* color, const IRECT* rect, const IChannelBlend* blend) {
    if (RAST_IBitmap* draw = surface())
        RAST_FillRect(draw, rect->L, rect->T, rect->W(), rect->H(), pixelOf(color),
                      weightOf(blend), modeOf(blend));
    return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool aa) {
    if (RAST_IBitmap* draw = surface())
        RAST_FillCircle(draw, float(cx), float(cy), r, pixelOf(color), weightOf(blend),
                        modeOf(blend), aa);
    return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend) {
    if (RAST_IBitmap* draw = surface())
        RAST_FillTriangle(draw, x1, y1, x2, y2, x3, y3, pixelOf(color), weightOf(blend),
                          modeOf(blend));
    return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, const int* x, const int* y, int n,
                                   const IChannelBlend* blend) {
    if (RAST_IBitmap* draw = surface())
        RAST_FillConvexPolygon(draw, x, y, n, pixelOf(color), weightOf(blend),
                               modeOf(blend));
    return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int yLo, int yHi) {
    if (RAST_IBitmap* draw = surface()) RAST_Line(draw, x, yLo, x, yHi, pixelOf(color), 1.0f, 0, false);
    return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int xLo, int xHi) {
    if (RAST_IBitmap* draw = surface()) RAST_Line(draw, xLo, y, xHi, y, pixelOf(color), 1.0f, 0, false);
    return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, const IRECT* rect, float x) {
    const int xi = rect->L + int(std::clamp(x, 0.0f, 1.0f) * rect->W());
    return DrawVerticalLine(color, xi, rect->T, rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, const IRECT* rect, float y) {
    const int yi = rect->B - int(std::clamp(y, 0.0f, 1.0f) * rect->H());
    return DrawHorizontalLine(color, yi, rect->L, rect->R);
}

bool IGraphics::DrawRect(const IColor* color, const IRECT* rect) {
    return DrawHorizontalLine(color, rect->T, rect->L, rect->R) &&
           DrawHorizontalLine(color, rect->B, rect->L, rect->R) &&
           DrawVerticalLine(color, rect->L, rect->T, rect->B) &&
           DrawVerticalLine(color, rect->R, rect->T, rect->B);
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool aa) {
    const float s = std::sin(angle), c = std::cos(angle);
    return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend, aa);
}

IColor IGraphics::GetPoint(int x, int y) {
    RAST_IBitmap* draw = surface();
    const RAST_pixel p = draw ? RAST_GetPixel(draw, x, y) : 0;
    return IColor(RAST_GetAlpha(p), RAST_GetRed(p), RAST_GetGreen(p), RAST_GetBlue(p));
}

RAST_pixel* IGraphics::GetBits() {
    RAST_IBitmap* draw = surface();
    return draw ? draw->getBits() : nullptr;
}

// ---- Text

RAST_IFont* IGraphics::CacheFont(IText* text) {
    FontStorage& cache = FontStorage::Instance();
    KIT_MutexLock lock(cache.Lock());
    if (RAST_IFont* found = cache.Find(text)) {
        text->mCached = found;
        measureRows(text);
        return found;
    }
    const int quality = text->mQuality >= 0 && text->mQuality < int(sizeof kFontQualities)
                            ? kFontQualities[text->mQuality]
                            : 3;
    const auto makeFont = [&](int height) {
        return CreateFont(std::max(height, 2), 0, 10 * text->mOrientation, 10 * text->mOrientation,
                          text->mStyle == IText::kStyleBold ? 700 : 400,
                          text->mStyle == IText::kStyleItalic, 0, 0, 0, 0, 0, char(quality), 0,
                          text->mFont);
    };
    HFONT handle = makeFont(text->mSize);
    if (!handle) return nullptr;
    auto* font = new RAST_CachedFont;
    font->SetFromHFont(handle, RAST_FONT_OWNS_HFONT | RAST_FONT_NATIVE);
    // One correction, so that the line height comes near the size asked for.
    const int used = std::max(text->mSize, 2);
    const int lineHeight = font->GetLineHeight();
    if (lineHeight > 0 && lineHeight != used) {
        const double squared = text->mSize < 2 ? 4.0 : double(text->mSize) * text->mSize;
        if (HFONT second = makeFont(int(squared / lineHeight + 0.5)))
            font->SetFromHFont(second, RAST_FONT_OWNS_HFONT | RAST_FONT_NATIVE);
    }
    text->mCached = cache.Add(font, text);
    measureRows(text);
    return text->mCached;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* r, bool measure) {
    if (!str || !*str) return true;
    // Every editor draws with the same cached fonts: one drawer at a time.
    KIT_MutexLock lock(FontStorage::Instance().Lock());
    RAST_IFont* font = text->mCached ? text->mCached : CacheFont(text);
    if (!font) return false;
    const IColor& colour = text->mColor;
    font->SetTextColor(pixelOf(&colour));
    unsigned int flags = DT_NOCLIP;
    if ((colour.A & 0xFF) != 255) flags |= RAST_DT_USEFGALPHA;
    flags |= text->mAlign == IText::kAlignNear     ? DT_LEFT
             : text->mAlign == IText::kAlignCenter ? DT_CENTER
                                                   : DT_RIGHT;
    flags |= text->mVAlign == IText::kVAlignTop      ? DT_TOP
             : text->mVAlign == IText::kVAlignBottom ? DT_BOTTOM
                                                     : DT_VCENTER;
    RAST_IBitmap* draw = surface();
    if (!measure) {
        if (!draw) return true;
        RECT box{r->L, r->T, r->R, r->B};
        const bool dashes = onlyDashes(str) && text->mDashHeight > 0;
        const int top = dashes ? text->mDashTop : text->mCapTop;
        const int height = dashes ? text->mDashHeight : text->mCapHeight;
        if (text->mVAlign == IText::kVAlignMiddle && height > 0 && !strchr(str, '\n')) {
            // One line: its capitals in the middle of the box (half a pixel down when they
            // cannot be exactly there, as scaled boxes lose up to a pixel at their ends).
            box.top = r->T + (r->H() - height + 1) / 2 - top;
            box.bottom = std::max(box.top, r->B);
            flags = (flags & ~DT_VCENTER) | DT_TOP;
        }
        font->DrawText(draw, str, -1, &box, flags);
        return true;
    }
    RECT m{0, 0, 0, 0};
    font->DrawText(draw, str, -1, &m, flags | DT_CALCRECT);
    if (text->mAlign == IText::kAlignCenter) {
        r->L = int((r->L + r->R) * 0.5) - m.right / 2;
        r->R = r->L + m.right;
    } else if (text->mAlign == IText::kAlignNear) {
        r->R = r->L + m.right;
    } else {
        r->L = r->R - m.right;
    }
    r->B = r->T + m.bottom;
    return true;
}
