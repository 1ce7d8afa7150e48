// The clipboard over the system and private pasteboards, and the queries on drop blocks.

#include "kit/winl/winl-clipboard.h"
#include "platform/wsys/Pasteboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace wsys = platform::wsys;

namespace {

HGLOBAL block(const std::string& bytes) {
    HGLOBAL h = GlobalAlloc(0, int(bytes.size()));
    memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

std::string text(HGLOBAL h) {
    return std::string(static_cast<const char*>(h), size_t(GlobalSize(h)));
}

// A drop block as the drop target lays it out.
std::string dropBytes(int x, int y, int nonClient, const std::string& names) {
    const int32_t header[4] = {16, x, y, nonClient};
    return std::string(reinterpret_cast<const char*>(header), 16) + names;
}

} // namespace

// Ids are handed out in registration order, the text format first; text and other formats
// travel to the pasteboard CloseClipboard picks, and the handles it gave are freed there
// (ASan reports a leak or a double free otherwise).
TEST(Clipboard, FormatsTravelToTheirPasteboards) {
    wsys::Pasteboard::ResetAll();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(RegisterClipboardFormat("WINL__CF_TEXT"), 1u);
    const unsigned patch = RegisterClipboardFormat("zoz.patch");
    const unsigned bank = RegisterClipboardFormat("zoz.bank");
    EXPECT_EQ(RegisterClipboardFormat("zoz.patch"), patch);
    EXPECT_EQ(patch, 2u);

    // Only private formats: the private pasteboard.
    SetClipboardData(patch, block(std::string("\xF0\x00\x7F\xF7", 4)));
    SetClipboardData(bank, block("b"));
    CloseClipboard();
    wsys::Pasteboard* mine = wsys::Pasteboard::WithName("WINL_APP");
    EXPECT_EQ(mine->Types(), (std::vector<std::string>{"zoz.patch", "zoz.bank"}));
    EXPECT_TRUE(wsys::Pasteboard::General()->Types().empty());

    // The system clipboard's text is never listed; the private formats are, in its order.
    wsys::Pasteboard::General()->DeclareTypes({wsys::kStringPboardType}, nullptr);
    wsys::Pasteboard::General()->SetString("caf\xC3\xA9 100%", wsys::kStringPboardType);
    OpenClipboard(nullptr);
    EXPECT_EQ(EnumClipboardFormats(0), patch);
    EXPECT_EQ(EnumClipboardFormats(patch), bank);
    EXPECT_EQ(EnumClipboardFormats(bank), 0u);
    EXPECT_EQ(EnumClipboardFormats(99), 0u);
    HGLOBAL t = GetClipboardData(1);
    EXPECT_EQ(text(t), std::string("caf\xC3\xA9 100%\0", 11));
    EXPECT_EQ(text(GetClipboardData(patch)), std::string("\xF0\x00\x7F\xF7", 4));
    EXPECT_EQ(GetClipboardData(0), nullptr);
    EXPECT_EQ(GetClipboardData(99), nullptr);

    // Text among the records: everything goes to the system clipboard; what was set before
    // EmptyClipboard is dropped.
    SetClipboardData(bank, block("dropped"));
    EmptyClipboard();
    SetClipboardData(1, block(std::string("\xE2\x82\xAC\0junk", 8)));
    SetClipboardData(bank, block("b2"));
    CloseClipboard();
    EXPECT_EQ(wsys::Pasteboard::General()->StringForType(wsys::kStringPboardType), "\xE2\x82\xAC");
    EXPECT_EQ(wsys::Pasteboard::General()->StringForType("zoz.bank"), "b2");
    EXPECT_EQ(mine->StringForType("zoz.bank"), "b"); // untouched
    OpenClipboard(nullptr);
    EXPECT_EQ(text(GetClipboardData(1)), std::string("\xE2\x82\xAC\0", 4));
    CloseClipboard();
}

TEST(DragQueryFile, NamesCountsAndBufferLimits) {
    HGLOBAL drop = block(dropBytes(-3, 7, 0, std::string("/a/\xC3\xA9.syx\0/b/two.mid\0\0", 22)));
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFile(drop, 0, nullptr, 0), 9u);
    EXPECT_EQ(DragQueryFile(drop, 2, nullptr, 0), 0u);
    char buf[16];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(DragQueryFile(drop, 0, buf, 4), 3u);
    EXPECT_EQ(std::string(buf, 5), std::string("/a/\0x", 5));
    EXPECT_EQ(DragQueryFile(drop, 1, buf, 11), 10u); // the exact size
    EXPECT_STREQ(buf, "/b/two.mid");
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(DragQueryFile(drop, 1, buf, 0), 10u);
    EXPECT_EQ(DragQueryFile(drop, 1, buf, -1), 10u);
    EXPECT_EQ(buf[0], 'x');
    POINT pt{};
    EXPECT_TRUE(DragQueryPoint(drop, &pt));
    EXPECT_EQ(pt.x, -3);
    EXPECT_EQ(pt.y, 7);
    DragFinish(drop);
    GlobalFree(drop);

    // A last name without its terminator inside the block ends the list; a non-client drop.
    drop = block(dropBytes(0, 0, 1, std::string("/one\0/two", 9)));
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 1u);
    EXPECT_EQ(DragQueryFile(drop, 1, buf, 16), 0u);
    EXPECT_FALSE(DragQueryPoint(drop, &pt));
    GlobalFree(drop);
    // An offset past the block, and blocks too short for a header.
    std::string bad = dropBytes(0, 0, 0, std::string("/x\0\0", 4));
    bad[0] = 100;
    drop = block(bad);
    EXPECT_EQ(DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 0u);
    GlobalFree(drop);
    drop = block("ab");
    EXPECT_EQ(DragQueryFile(drop, 0, nullptr, 0), 0u);
    EXPECT_FALSE(DragQueryPoint(drop, &pt));
    GlobalFree(drop);
    EXPECT_EQ(DragQueryFile(nullptr, 0xFFFFFFFF, nullptr, 0), 0u);
}
