// The graphics object's bitmap and font caches, bitmap drawing and text.

#include "kit/effect/BitmapStorage.h"
#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IGraphics.h"
#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_IFont.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "platform/text/TextFont.h"

#include "tests/kit_effect/PaintedEditor.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using testsupport::PaintedEditor;
using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

BitmapStorage& cache() {
    return BitmapStorage::Instance();
}

// ---- The bitmap cache

TEST(BitmapCache, AnIdIsDecodedAtItsFirstDrawAtItsFirstScaleAndFreedWithItsLastReference) {
    const int before = cache().Count();
    PaintedEditor e(40, 30);
    e.g->AddImage(104, 30, 20, 0xFF0000FF);
    const IBitmap large = e.g->LoadIBitmap(104, "knob.png", 1.15, 2, false);
    const IBitmap normal = e.g->LoadIBitmap(104, "knob.png", 1.0, 3, false);
    EXPECT_EQ(large.W * 100 + large.H, 3423); // 30 × 1.15 truncated to 34
    EXPECT_EQ(normal.mData, large.mData);
    EXPECT_EQ(normal.W * 10 + normal.N, 343);
    EXPECT_EQ(e.g->decodings.count(104), 0u);
    // Drawn twice, decoded once, at the first scale to its last pixel.
    const IRECT all(0, 0, 40, 30);
    for (int i = 0; i < 2; ++i)
        e.paint(all, [&](IGraphics* g) { g->DrawBitmap(&normal, &all, 1, nullptr); });
    EXPECT_EQ(e.g->decodings[104], 1);
    EXPECT_EQ(e.at(33, 22), 0xFF0000FFu);
    EXPECT_EQ(e.at(34, 22), 0u);
    EXPECT_EQ(e.at(33, 23), 0u);
    // What cannot be had gives the empty bitmap and takes nothing; releasing what the cache
    // does not hold frees nothing.
    const IBitmap missing = e.g->LoadIBitmap(105, "missing.png", 1.0, 4, false);
    EXPECT_EQ(missing.mData == nullptr && missing.N == 1, true);
    RAST_MemBitmap outside(2, 2, 4);
    const IBitmap foreign{&outside, 2, 2, 1, false};
    e.g->ReleaseBitmap(&foreign);
    e.g->ReleaseBitmapById(105);
    EXPECT_EQ(cache().References(104), 2);
    EXPECT_EQ(cache().Count(), before + 1);
    e.g->ReleaseBitmap(&large);
    e.g->ReleaseBitmapById(104);
    EXPECT_EQ(cache().Count(), before);
    EXPECT_EQ(e.g->getImageById(104, 1, false).mData, nullptr);
}

TEST(BitmapCache, OneInstanceReleasingLeavesTheOtherDrawing) {
    PaintedEditor first, second;
    first.g->AddImage(106, 4, 4, 0xFF3020FF);
    second.g->AddImage(106, 4, 4, 0xFF3020FF);
    first.g->LoadIBitmap(106, "bg.png", 1.0, 1, false);
    const IBitmap shared = second.g->LoadIBitmap(106, "bg.png", 1.0, 1, false);
    first.g->ReleaseBitmapById(106);
    // The instance that draws first decodes, whoever cached the image.
    const IRECT dest(0, 0, 4, 4);
    second.paint(dest, [&](IGraphics* g) { g->DrawBitmap(&shared, &dest, 1, nullptr); });
    EXPECT_EQ(second.at(3, 3), 0xFF3020FFu);
    EXPECT_EQ(first.g->decodings.count(106) * 10 + second.g->decodings[106], 1u);
    second.g->ReleaseBitmapById(106);
    EXPECT_EQ(cache().References(106), 0);
}

TEST(BitmapCache, TwoThreadsLoadingOneIdKeepOneBitmapWithTwoReferences) {
    // Both threads read the size before either reaches the cache.
    struct Racing : TestGraphics {
        using TestGraphics::TestGraphics;
        bool OSBitmapSize(int, const char*, int* w, int* h) override {
            for (++loading; loading < 2;)
                std::this_thread::yield();
            *w = *h = 3;
            return true;
        }
        std::atomic<int> loading{0};
    };
    TestEffect plug(1, 0);
    Racing g(&plug);
    IBitmap a, b;
    std::thread t([&] { a = g.LoadIBitmap(107, "x.png", 1.0, 1, false); });
    b = g.LoadIBitmap(107, "x.png", 1.0, 1, false);
    t.join();
    EXPECT_EQ(a.mData, b.mData);
    EXPECT_EQ(cache().References(107), 2);
    g.ReleaseBitmap(&a);
    g.ReleaseBitmap(&b);
}

TEST(BitmapCache, TwoThreadsDrawingAnImageFirstDecodeItOnce) {
    PaintedEditor first(4, 4), second(4, 4);
    for (PaintedEditor* e : {&first, &second})
        e->g->AddImage(109, 4, 4, 0x5060A0FF);
    const IBitmap a = first.g->LoadIBitmap(109, "both.png", 1.0, 1, false);
    const IBitmap b = second.g->LoadIBitmap(109, "both.png", 1.0, 1, false);
    const IRECT all(0, 0, 4, 4);
    const auto paint = [&](PaintedEditor& e, const IBitmap& bitmap) {
        e.paint(all, [&](IGraphics* g) { g->DrawBitmap(&bitmap, &all, 1, nullptr); });
    };
    std::thread t(paint, std::ref(second), std::cref(b));
    paint(first, a);
    t.join();
    EXPECT_EQ(first.at(3, 3), 0x5060A0FFu);
    EXPECT_EQ(second.at(3, 3), 0x5060A0FFu);
    EXPECT_EQ(first.g->decodings[109] + second.g->decodings[109], 1);
    first.g->ReleaseBitmap(&a);
    second.g->ReleaseBitmap(&b);
}

TEST(BitmapCache, AnImageThatDoesNotDecodeDrawsNothingAndIsTriedOnce) {
    // The header gives a size, the pixels then fail.
    struct Broken : TestGraphics {
        using TestGraphics::TestGraphics;
        RAST_IBitmap* OSLoadBitmap(int, const char*) override {
            ++tries;
            return nullptr;
        }
        int tries = 0;
    };
    TestEffect plug(1, 0);
    auto* g = new Broken(&plug, 4, 4);
    plug.AttachGraphics(g);
    g->AddImage(110, 4, 4, 0xFFFFFFFF);
    const IBitmap broken = g->LoadIBitmap(110, "broken.png", 2.0, 1, false);
    EXPECT_EQ(broken.W * 100 + broken.H, 808);
    const IRECT all(0, 0, 4, 4);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(g->DrawBitmap(&broken, &all, 1, nullptr));
        EXPECT_TRUE(g->DrawRotatedBitmap(&broken, 2, 2, 0.5, 0, nullptr));
        EXPECT_EQ(g->ScaleBitmap(&broken, 2, 2).mData, nullptr);
    }
    EXPECT_EQ(g->tries, 1);
    g->ReleaseBitmap(&broken);
}

TEST(BitmapCache, ScaledCroppedAndRetainedBitmapsAreCountedWithoutAnId) {
    PaintedEditor e;
    const int before = cache().Count();
    e.g->AddImage(108, 4, 4, 0x000000FF)->getBits()[6] = 0x112233FF; // pixel (2, 1)
    const IBitmap loaded = e.g->LoadIBitmap(108, "s.png", 1.0, 2, false);
    const IRECT cut(2, 1, 4, 3);
    const IBitmap cropped = e.g->CropBitmap(&loaded, &cut);
    const IBitmap scaled = e.g->ScaleBitmap(&loaded, 8, 2);
    EXPECT_EQ(cropped.mData->getBits()[0], 0x112233FFu);
    EXPECT_EQ(scaled.mData->getWidth() * 10 + scaled.N, 82);
    // Retaining a cached bitmap counts once more; an outside one is handed to the cache.
    e.g->RetainBitmap(&cropped);
    const IBitmap handed{new RAST_MemBitmap(1, 1, 4), 1, 1, 1, false};
    e.g->RetainBitmap(&handed);
    EXPECT_EQ(cache().Count(), before + 4);
    for (const IBitmap* b : {&cropped, &cropped, &scaled, &handed, &loaded})
        e.g->ReleaseBitmap(b);
    EXPECT_EQ(cache().Count(), before);
}

// ---- Drawing

TEST(Drawing, FramesStartAlongTheStripAndDrawOnlyInsideTheRepaintedArea) {
    PaintedEditor e;
    // Three 30-pixel frames of a 2 × 90 strip; pixel (x, y) holds y in red and x in green.
    RAST_MemBitmap strip(2, 90, 4);
    for (int i = 0; i < 180; ++i)
        strip.getBits()[i / 2 * strip.getRowSpan() + i % 2] = RAST_MakePixel(i / 2, i % 2, 0, 255);
    const IBitmap frames{&strip, 2, 90, 3, false};
    const IRECT one(0, 0, 1, 1);
    auto drawn = [&](int state, int srcX, int srcY) {
        e.paint(IRECT(0, 0, 8, 8),
                [&](IGraphics* g) { g->DrawBitmap(&frames, &one, state, srcX, srcY, nullptr); });
        return RAST_GetRed(e.at(0, 0)) + 100 * RAST_GetGreen(e.at(0, 0));
    };
    // The frame replaces only the offset along the strip; states 0 and 1 keep it.
    EXPECT_EQ(drawn(3, 0, 0), 60);
    EXPECT_EQ(drawn(3, 1, 5), 160);
    EXPECT_EQ(drawn(1, 0, 5), 5);
    EXPECT_EQ(drawn(0, 0, 7), 7);

    // Neither a destination outside the repainted area nor the empty bitmap draws.
    e.at(0, 0) = 0;
    const IRECT outside(5, 5, 7, 7);
    const IBitmap empty;
    e.paint(IRECT(0, 0, 4, 4), [&](IGraphics* g) {
        g->DrawBitmap(&frames, &outside, 1, nullptr);
        g->DrawBitmap(&empty, &one, 1, nullptr);
    });
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(e.at(i % 8, i / 8), 0u) << i;
}

TEST(Drawing, EachBlendDrawsWithItsModeAndWeight) {
    const struct {
        int method;
        float weight;
        int mode;
    } blends[] = {{IChannelBlend::kBlendNone, 1.0f, 0x10000},
                  {IChannelBlend::kBlendCopy, 0.5f, 0},
                  {IChannelBlend::kBlendAdd, 1.0f, 0x10001},
                  {IChannelBlend::kBlendColorDodge, 0.75f, 0x10002},
                  {7, 1.0f, 0x10000}};
    RAST_MemBitmap src(4, 4, 4);
    for (int i = 0; i < 16; ++i)
        src.getBits()[i] = RAST_MakePixel(16 * i, 200 - 9 * i, 90, 17 * i);
    const IBitmap bitmap{&src, 4, 4, 1, false};
    const IRECT all(0, 0, 4, 4);
    for (const auto& b : blends) {
        PaintedEditor e(4, 4);
        RAST_MemBitmap expected(4, 4, 4);
        for (int i = 0; i < 16; ++i)
            e.at(i % 4, i / 4) = expected.getBits()[i] = RAST_MakePixel(40 * i, 60, 5 * i, 255);
        // Only the repainted 2 × 2 in the middle takes the blit.
        RAST_Blit(&expected, &src, 1, 1, 1, 1, 2, 2, b.weight, b.mode);
        const IChannelBlend blend(b.method, b.weight);
        e.paint(IRECT(1, 1, 3, 3), [&](IGraphics* g) { g->DrawBitmap(&bitmap, &all, 1, &blend); });
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(e.at(i % 4, i / 4), expected.getBits()[i]) << b.method << " " << i;
    }
}

TEST(Drawing, ColoursArePixelWordsAndForcedPixelsStayInTheBitmap) {
    PaintedEditor e(6, 3); // rows 8 pixels apart: two of padding
    const IColor colour(0xFF, 0x11, 0x22, 0x33), forced(0x80, 1, 2, 3);
    const IRECT r(1, 0, 6, 3);
    e.g->FillIRect(&colour, &r, nullptr);
    EXPECT_EQ(e.at(5, 2), 0x332211FFu);
    EXPECT_EQ(e.g->GetPoint(5, 2), colour);
    for (const auto& p : {std::pair{0, 2}, {6, 0}, {0, 3}, {-1, 1}})
        e.g->ForcePixel(&forced, p.first, p.second);
    EXPECT_EQ(e.at(0, 2), 0x03020180u); // the last row's first pixel
    EXPECT_EQ(e.at(6, 0), 0u);          // the padding right of the first row
}

TEST(Drawing, ARotatedMaskNeedsThreeBitmapsOfOneSize) {
    PaintedEditor e;
    RAST_MemBitmap base(4, 4, 4), clear(4, 4, 4), small(3, 4, 4);
    RAST_Clear(&base, RAST_MakePixel(200, 10, 20, 255));
    RAST_Clear(&clear, 0);
    const IBitmap b{&base, 4, 4, 1, false}, c{&clear, 4, 4, 1, false}, s{&small, 3, 4, 1, false};
    const IChannelBlend copy(IChannelBlend::kBlendCopy);
    for (const IBitmap* top : {&s, &c})
        e.paint(IRECT(0, 0, 8, 8),
                [&](IGraphics* g) { g->DrawRotatedMask(&b, &c, top, 2, 2, 90.0, &copy); });
    // Only the second drew: the base, its alpha emptied, under a clear mask and top.
    EXPECT_EQ(e.at(5, 5), RAST_MakePixel(200, 10, 20, 0));
    EXPECT_EQ(e.at(6, 6), 0u);
}

// ---- Text

TEST(Text, AColourBelowFullAlphaDrawsTranslucent) {
    for (int alpha : {255, 128}) {
        PaintedEditor e(40, 30);
        IText text;
        text.mSize = 20;
        text.mColor = IColor(alpha, 255, 255, 255);
        IRECT r(0, 0, 40, 30);
        EXPECT_TRUE(e.g->DrawIText(&text, "W", &r, false));
        int brightest = 0;
        for (int i = 0; i < 40 * 30; ++i)
            brightest = std::max(brightest, RAST_GetRed(e.at(i % 40, i / 40)));
        EXPECT_NEAR(brightest, alpha, 2);
    }
}

TEST(Text, MeasuringPlacesTheExtentByTheAlignment) {
    PaintedEditor e;
    IText text;
    IRECT r[3];
    for (int align : {IText::kAlignNear, IText::kAlignCenter, IText::kAlignFar}) {
        text.mAlign = align;
        r[align] = IRECT(100, 10, 300, 30);
        ASSERT_TRUE(e.g->MeasureIText(&text, "Cutoff", &r[align]));
    }
    const int w = r[0].W(), h = r[0].H();
    EXPECT_EQ(r[0].L, 100);
    EXPECT_GT(w * h, 20 * 8);
    EXPECT_EQ(r[1], IRECT(200 - w / 2, 10, 200 - w / 2 + w, 10 + h));
    EXPECT_EQ(r[2], IRECT(300 - w, 10, 300, 10 + h));
}

TEST(Text, FontsAreSharedByKeyAndNeverBelowTwoPixels) {
    PaintedEditor e;
    IText a, b, tiny;
    b.mColor = COLOR_RED;
    b.mQuality = 0;
    tiny.mSize = 1;
    RAST_IFont* font = e.g->CacheFont(&a);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(a.mCached, font);
    EXPECT_EQ(e.g->CacheFont(&b), font);
    ASSERT_NE(e.g->CacheFont(&tiny), nullptr);
    EXPECT_EQ(tiny.mCached->GetHFont()->platformFont->Size(), 2.0f);
}

// A text in the middle of its box centres its capitals, not its padded line, and a
// placeholder of dashes its dashes, at every size a field takes; odd leftovers put the extra
// pixel above.
TEST(Text, CapitalsAndDashesSitInTheMiddleOfTheirBox) {
    for (const char* str : {"HE", "---"})
        for (int size : {11, 13, 16, 18}) {
            SCOPED_TRACE(str);
            PaintedEditor e(60, 40);
            IText style = testsupport::MonospaceText(size);
            IRECT box(0, 5, 60, 5 + size + 2);
            e.paint(IRECT(0, 0, 60, 40),
                    [&](IGraphics* g) { g->DrawIText(&style, str, &box, false); });
            int top = -1, bottom = -1;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 60; ++x)
                    if (RAST_GetGreen(e.at(x, y)) >= 128) {
                        if (top < 0) top = y;
                        bottom = y;
                    }
            ASSERT_GE(top, 0) << size;
            const int above = top - box.T, below = box.B - 1 - bottom;
            EXPECT_GE(above - below, 0) << size;
            EXPECT_LE(above - below, 1) << size;
        }
}

TEST(Text, CaptionsInTheLayoutFaceFallBackToAnInstalledMonospaceFace) {
    PaintedEditor e(160, 40);
    IText style = testsupport::MonospaceText(13);
    e.plug.GetParam(0)->InitDouble("Cutoff", 64.0, 0.0, 127.0, 1.0, "Hz");
    e.plug.GetParam(1)->InitEnum("Shape", 1, 2);
    e.plug.GetParam(1)->SetDisplayText(0, "Sine");
    e.plug.GetParam(1)->SetDisplayText(1, "Sawtooth");
    e.g->AttachControl(new ICaptionControl(&e.plug, IRECT(0, 0, 160, 20), 0, &style, true));
    style.mAlign = IText::kAlignNear;
    e.g->AttachControl(new ICaptionControl(&e.plug, IRECT(0, 20, 160, 40), 1, &style, false));
    IRECT all(0, 0, 160, 40);
    e.g->Draw(&all);
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_effect/golden/captions.png", e.g->GetBits(),
                                           160, 40, e.g->GetDrawBitmap()->getRowSpan(), 16,
                                           160 * 40 / 100));
}

} // namespace
