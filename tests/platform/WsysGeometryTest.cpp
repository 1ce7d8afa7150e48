#include "tests/platform/WsysTestViews.h"

namespace wsystest {
namespace {

// A titled window whose content (y up) holds A (flipped, bounds origin (5, 7)), which holds B
// (not flipped, bounds origin (-3, 2)); C overlaps B inside A.
class WsysGeometry : public WsysTest {
protected:
    void SetUp() override {
        WsysTest::SetUp();
        window = Make<Window>(Rect(100, 200, 300, 200), kTitledWindowMask);
        a = Make<LogView>(&log, "A", Rect(10, 20, 100, 80), true);
        a->SetBoundsOrigin(Point{5, 7});
        b = Make<LogView>(&log, "B", Rect(30, 10, 40, 20), false);
        b->SetBoundsOrigin(Point{-3, 2});
        c = Make<LogView>(&log, "C", Rect(60, 25, 20, 20), true);
        window->ContentView()->AddSubview(a.get());
        a->AddSubview(b.get());
        a->AddSubview(c.get());
    }
    std::vector<std::string> log;
    Ref<Window> window;
    Ref<LogView> a, b, c;
};

TEST_F(WsysGeometry, PointsCrossFlippedAndUnflippedViewsExactly) {
    // Worked by hand: B (1, 6) is A (34, 26), the content's (39, 81), the screen's (139, 281).
    EXPECT_EQ(b->ConvertPointToView(Point{1, 6}, a.get()), (Point{34, 26}));
    EXPECT_EQ(b->ConvertPointToView(Point{1, 6}, nullptr), (Point{39, 81}));
    EXPECT_EQ(window->ConvertBaseToScreen(Point{39, 81}), (Point{139, 281}));
    EXPECT_EQ(b->ConvertPointFromView(Point{39, 81}, nullptr), (Point{1, 6}));
    EXPECT_EQ(a->ConvertPointFromView(Point{1, 6}, b.get()), (Point{34, 26}));
    EXPECT_EQ(b->ConvertRectToView(Rect(0, 2, 10, 4), a.get()), Rect(33, 26, 10, 4));
    EXPECT_EQ(window->Frame(), Rect(100, 200, 300, 222));
    EXPECT_EQ(window->ContentRect(), Rect(100, 200, 300, 200));
}

TEST_F(WsysGeometry, HitTestsSkipHiddenViewsAndPreferTheFrontOne) {
    View* content = window->ContentView();
    // Base points: B's (1, 6); A's (65, 27), where C overlaps B; A's bottom edge (out) and top
    // edge (in).
    const Point inB{39, 81}, inC{70, 80};
    EXPECT_EQ(content->HitTest(inB), b.get());
    EXPECT_EQ(content->HitTest(inC), c.get());
    c->SetHidden(true);
    EXPECT_EQ(content->HitTest(inC), b.get());
    b->SetHidden(true);
    EXPECT_EQ(content->HitTest(inB), a.get());
    a->SetHidden(true);
    EXPECT_EQ(content->HitTest(inB), content);
    a->SetHidden(false);
    EXPECT_EQ(content->HitTest(Point{39, 20}), content);  // a view running up excludes its bottom
    EXPECT_EQ(content->HitTest(Point{39, 100}), a.get()); // and includes its top
}

TEST_F(WsysGeometry, VisibleRectIsCutByAncestors) {
    b->SetFrame(Rect(90, 70, 40, 20)); // sticks out of A on the right and below
    EXPECT_EQ(b->VisibleRect(), Rect(-3, 5, 15, 17));
}

TEST_F(WsysGeometry, MovingAViewInLeavesNoStaleFocus) {
    b->acceptsFocus = true;
    ASSERT_TRUE(window->MakeFirstResponder(b.get()));
    b->RemoveFromSuperview();
    EXPECT_EQ(window->FirstResponder(), window.get());
    EXPECT_EQ(b->GetWindow(), nullptr);
    c->AddSubview(b.get());
    EXPECT_EQ(b->GetWindow(), window.get());
    EXPECT_EQ(a->Subviews().size(), 1u);
}

} // namespace
} // namespace wsystest
