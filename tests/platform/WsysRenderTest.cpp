#include "tests/platform/WsysTestViews.h"

#include "platform/wsys/Render.h"
#include "tests/support/GoldenImage.h"

#include <cstdio>
#include <png.h>

namespace wsystest {
namespace {

constexpr uint32_t kGrey = MakePixel(236, 236, 236); // a window's background
constexpr uint32_t kRed = MakePixel(255, 0, 0), kBlue = MakePixel(0, 0, 255);

// Fills a rectangle of its own coordinates, through the canvas it is given.
class FillView : public View {
public:
    FillView(const Rect& frame, uint32_t colour, bool flipped, Rect fill = Rect())
        : View(frame), m_colour(colour), m_flipped(flipped), m_fill(fill) {}
    bool IsFlipped() const override { return m_flipped; }
    void Draw(const Rect&) override {
        Canvas* c = GraphicsContext::Current();
        const CanvasRect r = PixelsCovering(ToDrawing(m_fill.IsEmpty() ? Bounds() : m_fill));
        const CanvasRect& clip = c->Clip();
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const int px = x + c->OriginX(), py = y + c->OriginY();
                if (px >= clip.left && px < clip.right && py >= clip.top && py < clip.bottom)
                    c->Row(py)[px] = m_colour;
            }
    }

private:
    uint32_t m_colour;
    bool m_flipped;
    Rect m_fill;
};

using WsysRender = WsysTest;

TEST_F(WsysRender, AFourByFourWindowPixelByPixel) {
    Ref<Window> w = Make<Window>(Rect(10, 10, 4, 4), kBorderlessWindowMask);
    View* content = w->ContentView(); // y up
    // Not flipped, bounds origin moved: its fill of (0, 1, 1, 1) is its top-left pixel.
    auto up = Make<FillView>(Rect(1, 1, 2, 2), kRed, false, Rect(0, 1, 1, 1));
    up->SetBoundsOrigin(Point{0, 0});
    // Flipped, bounds origin (1, 1): filling (1, 1, 9, 9) covers it all, cut to its frame.
    auto down = Make<FillView>(Rect(2, 0, 2, 1), kBlue, true, Rect(1, 1, 9, 9));
    down->SetBoundsOrigin(Point{1, 1});
    content->AddSubview(up.get());
    content->AddSubview(down.get());
    w->OrderFront();
    const Image img = RenderWindow(w.get());
    ASSERT_EQ(img.width, 4);
    ASSERT_EQ(img.height, 4);
    const uint32_t o = kGrey | 255, R = kRed, B = kBlue;
    const uint32_t expected[16] = {o, o, o, o, //
                                   o, R, o, o, //
                                   o, o, o, o, //
                                   o, o, B, B};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(img.pixels[size_t(i)], expected[i]) << "pixel " << i % 4 << ", " << i / 4;
}

TEST_F(WsysRender, OnlyWhatAskedForIsRedrawn) {
    struct Counting : FillView {
        using FillView::FillView;
        void Draw(const Rect& r) override {
            ++draws;
            last = r;
            FillView::Draw(r);
        }
        int draws = 0;
        Rect last;
    };
    Ref<Window> w = Make<Window>(Rect(0, 0, 20, 20), kBorderlessWindowMask);
    auto v = Make<Counting>(Rect(0, 0, 20, 20), kRed, true);
    w->ContentView()->AddSubview(v.get());
    w->OrderFront();
    App().DisplayWindowsIfNeeded();
    App().DisplayWindowsIfNeeded();
    EXPECT_EQ(v->draws, 1);
    v->SetNeedsDisplayInRect(Rect(2, 3, 4, 5));
    App().DisplayWindowsIfNeeded();
    EXPECT_EQ(v->draws, 2);
    EXPECT_EQ(v->last, Rect(2, 3, 4, 5));
}

TEST_F(WsysRender, OverlappingWindowsOnAScreen) {
    App().SetScreens({Rect(0, 0, 320, 200)});
    Ref<Window> back =
        Make<Window>(Rect(20, 40, 180, 100),
                     kTitledWindowMask | kClosableWindowMask | kMiniaturizableWindowMask);
    back->SetTitle("Back Window");
    back->ContentView()->AddSubview(Make<FillView>(Rect(10, 10, 60, 40), kRed, false).get());
    Ref<Window> front = Make<Window>(
        Rect(120, 20, 160, 90), kTitledWindowMask | kClosableWindowMask | kResizableWindowMask);
    front->SetTitle("Fr\xC3\xBChling");
    front->ContentView()->AddSubview(Make<FillView>(Rect(20, 20, 120, 30), kBlue, true).get());
    front->SetAlphaValue(0.9f);
    back->OrderFront();
    front->MakeKeyAndOrderFront();
    Image img = RenderScreen();
    EXPECT_TRUE(testsupport::MatchesGolden("tests/platform/golden/wsys_windows.png",
                                           img.pixels.data(), img.width, img.height, img.width, 8,
                                           60));
    // The file written is a PNG of the same picture.
    const std::string path = ::testing::TempDir() + "wsys_windows.png";
    ASSERT_TRUE(WritePng(img, path));
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&png, path.c_str()));
    png.format = PNG_FORMAT_ARGB;
    std::vector<uint32_t> back_(size_t(png.width) * png.height);
    ASSERT_TRUE(png_image_finish_read(&png, nullptr, back_.data(), 0, nullptr));
    EXPECT_EQ(back_, img.pixels);
    std::remove(path.c_str());
}

TEST(CanvasOrigin, ClipsInDrawingCoordinatesAndRestores) {
    uint32_t pixels[16] = {};
    Canvas c(pixels, 4, 4, 4);
    c.SaveState();
    c.Translate(2, 1);
    c.ClipToRect(CanvasRect{-1, 0, 1, 9});
    EXPECT_EQ(c.Clip().left, 1);
    EXPECT_EQ(c.Clip().top, 1);
    EXPECT_EQ(c.Clip().right, 3);
    EXPECT_EQ(c.Clip().bottom, 4);
    ASSERT_TRUE(c.RestoreState());
    EXPECT_EQ(c.OriginX(), 0);
    EXPECT_EQ(c.OriginY(), 0);
    EXPECT_EQ(c.Clip().right, 4);
}

} // namespace
} // namespace wsystest
