#include "kit/effect/ControlLayer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kChildren[] = {5, 10, 19, 20, 29, 70, 99, 100, 109, 110, 119, 120, 299, 300, 305};

// The children of a fresh layer switched by showMultiLayers(n) from all hidden or all shown:
// the ids visible, or the ids hidden.
std::string switched(int n, bool fromShown) {
    ControlLayer layer(0, "zones");
    for (int id : kChildren) {
        layer.addChild(new ControlLayer(id, "zone"));
        layer.getChildren().Get(layer.getChildren().GetSize() - 1)->Hide(!fromShown);
    }
    layer.showMultiLayers(n);
    EXPECT_EQ(layer.getSelectedId(), n);
    std::string ids;
    for (int i = 0; i < layer.getChildren().GetSize(); ++i)
        if (layer.getChildren().Get(i)->isVisible() != fromShown)
            ids += std::to_string(kChildren[i]) + " ";
    return ids;
}

} // namespace

TEST(MultiLayers, EachBandSwitchesExactlyItsChildren) {
    const struct {
        int n;
        const char* shownFromHidden;
        const char* hiddenFromShown;
    } rows[] = {
        {9, "", ""},
        {10, "10 ", "5 19 70 99 100 109 110 119 120 299 "},
        {19, "19 ", "5 10 70 99 100 109 110 119 120 299 "},
        {20, "20 ", "5 29 120 299 "},
        {99, "99 ", "5 120 299 "},
        {100, "100 ", "5 109 120 299 "},
        {108, "", "5 100 109 120 299 "},
        {109, "", ""},
        {110, "110 ", "5 119 "},
        {118, "", "5 110 119 "},
        {119, "", ""},
        {120, "5 120 299 ", ""},
        {298, "5 120 299 ", ""},
        {299, "", ""},
        {300, "300 ", "5 305 "},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(switched(row.n, false), row.shownFromHidden) << row.n;
        EXPECT_EQ(switched(row.n, true), row.hiddenFromShown) << row.n;
    }
}
