#include "tests/kit_winl/ListViewRig.h"
#include "tests/support/GoldenImage.h"

#include "platform/wsys/Render.h"

#include <cstdio>

namespace winltest {
namespace {

using ListViewLooks = ListViewTest;

constexpr uint32_t kRed = wsys::MakePixel(230, 20, 20), kBlue = wsys::MakePixel(20, 20, 230);

// An image list of two 4 x 4 squares, red then blue.
HIMAGELIST twoSquares() {
    HIMAGELIST list = ImageList_CreateEx();
    for (uint32_t colour : {kRed, kBlue}) {
        std::vector<uint32_t> bits(16, colour);
        HGDIOBJ square = CreateBitmap(4, 4, 1, 32, bits.data());
        ImageList_ReplaceIcon(list, -1, square);
        DeleteObject(square);
    }
    return list;
}

TEST_F(ListViewLooks, AnOwnerDataListAsksOnlyForTheCellsItShows) {
    makeList(LVS_OWNERDATA);
    HIMAGELIST images = twoSquares();
    ListView_SetImageList(list.get(), images, LVSIL_STATE);
    ListView_SetItemCount(list.get(), 1000000);
    EXPECT_EQ(ListView_InsertItem(list.get(), nullptr), 0);
    LVITEM refused{LVIF_TEXT, 0, 0, 0, 0, const_cast<char*>("x"), 0, 0, 0};
    EXPECT_EQ(ListView_InsertItem(list.get(), &refused), -1);
    dispInfo = [](NMLVDISPINFO& info) {
        EXPECT_EQ(info.item.mask, LVIF_TEXT | LVIF_STATE);
        EXPECT_EQ(info.item.cchTextMax, 1023);
        std::snprintf(info.item.pszText, 1024, "row %d", info.item.iItem);
        info.item.state = unsigned(info.item.iItem % 3) << 16; // none, red, blue
    };
    ListView_EnsureVisible(list.get(), 500000, false);
    // The whole 19-million-pixel table asked for: the 5 rows that show in 83 pixels are asked.
    list->DisplayRectIgnoringOpacity(list->Bounds());
    EXPECT_EQ(dispInfos, 5 * 2);
    window->Display();
    const int top = ListView_GetTopIndex(list.get());
    POINT scrolled{};
    ListView_GetScroll(list.get(), &scrolled);
    auto squarePixel = [&](int row) {
        const int y = 27 + row * 19 - scrolled.y + 9, x = 10 + 8;
        return window->ContentPixels()[size_t(y * window->ContentPixelWidth() + x)] & ~0xFFu;
    };
    for (int row = top + 1; row < top + 4; ++row) {
        const uint32_t expected = row % 3 == 1 ? kRed : row % 3 == 2 ? kBlue : wsys::MakePixel(255, 255, 255);
        EXPECT_EQ(squarePixel(row), expected & ~0xFFu) << row;
    }
    ImageList_Destroy(images);
}

TEST_F(ListViewLooks, AReportListLooksLikeOne) {
    makeList(LVS_REPORT, false, 3);
    HIMAGELIST images = twoSquares();
    ListView_SetImageList(list.get(), images, LVSIL_STATE);
    addRows({"Alpha", "Bravo", "Charlie", "Delta", "Echo"});
    for (int i = 0; i < 5; ++i) {
        ListView_SetItemText(list.get(), i, 1, std::to_string(i * 7).c_str());
        ListView_SetItemState(list.get(), i, unsigned(i % 3) << 16, LVIS_STATEIMAGEMASK);
    }
    LVCOLUMN right{LVCF_FMT | LVCF_TEXT, LVCFMT_RIGHT, 0, const_cast<char*>("Count"), 0, 0};
    ListView_SetColumn(list.get(), 1, &right);
    HDITEM up{HDI_FORMAT, 0, nullptr, nullptr, 0, HDF_SORTUP, 0};
    Header_SetItem(list.get(), 0, &up);
    ListView_SetExtendedListViewStyleEx(list.get(), LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
    ListView_SetGridColor(list.get(), 0xB0B0B0);
    ListView_SetTextColor(list.get(), 0x203060);
    const int colours[] = {0xE08020, 0xFFFFFF, 0xC0C0C0, 0x000000};
    ListView_SetSelColors(list.get(), colours, 4);
    ListView_SetItemState(list.get(), 1, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list.get(), 3, LVIS_SELECTED, LVIS_SELECTED);
    window->MakeFirstResponder(list.get());
    window->Display();
    const platform::Image shot = wsys::RenderWindow(window.get());
    const int left = 10, top = 22 + 10, w = 200, h = 100;
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_winl/golden/winl_report_list.png",
                                           &shot.pixels[size_t(top * shot.width + left)], w, h,
                                           shot.width, 16, w * h / 200));
    ImageList_Destroy(images);
}

} // namespace
} // namespace winltest
