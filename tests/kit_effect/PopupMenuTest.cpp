#include "kit/effect/IPopupMenu.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string texts(const IPopupMenu& menu) {
    std::string all;
    for (int i = 0; i < menu.GetNItems(); ++i)
        all += std::string(i ? "," : "") + menu.GetItemText(i);
    return all;
}

} // namespace

TEST(PopupMenu, InsertionSeparatorsAndSubmenus) {
    IPopupMenu sub;
    sub.AddItem("inner");
    {
        IPopupMenu menu;
        menu.AddItem("b");
        menu.AddItem("a", 0);
        menu.AddItem("end", 100);
        menu.AddItem("front", -5, IPopupMenuItem::kDisabled);
        IPopupMenuItem* separator = menu.AddSeparator(2);
        IPopupMenuItem* opener = menu.AddItem("More", &sub);
        EXPECT_EQ(texts(menu), "front,a,,b,end,More");
        EXPECT_EQ(menu.GetItem(0)->GetFlags(), IPopupMenuItem::kDisabled);
        EXPECT_EQ(separator->GetFlags(), IPopupMenuItem::kSeparator);
        EXPECT_EQ(opener->GetSubmenu(), &sub);
        EXPECT_EQ(opener->GetFlags(), 0);
        EXPECT_EQ(menu.GetItem(6), nullptr);
        EXPECT_STREQ(menu.GetItemText(-1), "");
    }
    // The parent's items do not own the submenu (ASan watches).
    EXPECT_STREQ(sub.GetItemText(0), "inner");
}

TEST(PopupMenu, CheckMarksAndPrefixes) {
    IPopupMenu menu;
    for (const char* t : {"a", "b", "c"})
        menu.AddItem(t, -1, IPopupMenuItem::kTitle);
    EXPECT_TRUE(menu.CheckItem(0, true));
    EXPECT_FALSE(menu.CheckItem(3, true));
    EXPECT_EQ(menu.GetItem(0)->GetFlags(), IPopupMenuItem::kTitle | IPopupMenuItem::kChecked);
    menu.CheckItemAlone(2);
    EXPECT_FALSE(menu.IsItemChecked(0));
    EXPECT_TRUE(menu.IsItemChecked(2));
    menu.CheckItemAlone(-1);
    EXPECT_EQ(menu.GetItem(2)->GetFlags(), IPopupMenuItem::kTitle);

    menu.SetPrefix(2);
    menu.SetPrefix(4); // ignored
    char buf[16];
    snprintf(buf, sizeof buf, IPopupMenu::PrefixFormat(menu.GetPrefix()), 3);
    EXPECT_STREQ(buf, "03: ");
}
