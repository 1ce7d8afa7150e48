#include "kit/effect/IPopupMenu.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(PopupMenu, InsertionSeparatorsSubmenusAndCheckMarks) {
    IPopupMenu sub;
    sub.AddItem("inner");
    {
        IPopupMenu menu;
        menu.AddItem("b");
        menu.AddItem("a", 0);
        menu.AddItem("end", 100);
        menu.AddItem("front", -5, IPopupMenuItem::kTitle);
        IPopupMenuItem* separator = menu.AddSeparator(2);
        IPopupMenuItem* opener = menu.AddItem("More", &sub);
        std::string texts;
        for (int i = 0; i < menu.GetNItems(); ++i)
            texts += std::string(i ? "," : "") + menu.GetItemText(i);
        EXPECT_EQ(texts, "front,a,,b,end,More");
        EXPECT_EQ(separator->GetFlags(), IPopupMenuItem::kSeparator);
        EXPECT_EQ(opener->GetSubmenu(), &sub);
        EXPECT_EQ(menu.GetItem(6), nullptr);
        EXPECT_STREQ(menu.GetItemText(-1), "");

        EXPECT_TRUE(menu.CheckItem(0, true));
        EXPECT_FALSE(menu.CheckItem(6, true));
        EXPECT_EQ(menu.GetItem(0)->GetFlags(), IPopupMenuItem::kTitle | IPopupMenuItem::kChecked);
        menu.CheckItemAlone(2);
        EXPECT_FALSE(menu.IsItemChecked(0));
        EXPECT_TRUE(menu.IsItemChecked(2));
        menu.CheckItemAlone(-1);
        EXPECT_EQ(menu.GetItem(0)->GetFlags(), IPopupMenuItem::kTitle);
    }
    // The parent's items do not own the submenu (ASan watches).
    EXPECT_STREQ(sub.GetItemText(0), "inner");

    sub.SetPrefix(2);
    sub.SetPrefix(4); // ignored
    char buf[16];
    snprintf(buf, sizeof buf, IPopupMenu::PrefixFormat(sub.GetPrefix()), 3);
    EXPECT_STREQ(buf, "03: ");
}
