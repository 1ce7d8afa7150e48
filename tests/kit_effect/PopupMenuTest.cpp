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

TEST(PopupMenu, InsertionIndexesAreHeldWithinTheMenu) {
    IPopupMenu menu;
    menu.AddItem("b");
    menu.AddItem("c", -1);
    menu.AddItem("a", 0);
    EXPECT_EQ(texts(menu), "a,b,c");
    menu.AddItem("end", 100);
    menu.AddItem("front", -5);
    menu.AddItem("mid", 2, IPopupMenuItem::kDisabled);
    EXPECT_EQ(texts(menu), "front,a,mid,b,c,end");
    EXPECT_EQ(menu.GetItem(2)->GetFlags(), IPopupMenuItem::kDisabled);
    EXPECT_FALSE(menu.GetItem(2)->GetEnabled());
    EXPECT_EQ(menu.GetItem(6), nullptr);
    EXPECT_EQ(menu.GetItem(-1), nullptr);
    EXPECT_STREQ(menu.GetItemText(9), "");
}

TEST(PopupMenu, SeparatorsSubmenusAndTextlessItems) {
    IPopupMenu sub;
    sub.AddItem("inner");
    {
        IPopupMenu menu;
        IPopupMenuItem* separator = menu.AddSeparator();
        IPopupMenuItem* opener = menu.AddItem("More", &sub);
        IPopupMenuItem* front = menu.AddItem("First", 0, &sub);
        menu.AddItem(static_cast<const char*>(nullptr));
        EXPECT_EQ(menu.GetItem(0), front);
        EXPECT_STREQ(menu.GetItemText(1), "");
        EXPECT_EQ(separator->GetFlags(), IPopupMenuItem::kSeparator);
        EXPECT_EQ(opener->GetSubmenu(), &sub);
        EXPECT_EQ(opener->GetFlags(), 0);
        EXPECT_STREQ(menu.GetItemText(3), "");
    }
    // The parent's items do not own the submenu: it is still whole (ASan watches).
    EXPECT_STREQ(sub.GetItemText(0), "inner");
}

TEST(PopupMenu, CheckMarks) {
    IPopupMenu menu;
    for (const char* t : {"a", "b", "c"})
        menu.AddItem(t, -1, IPopupMenuItem::kTitle);
    EXPECT_TRUE(menu.CheckItem(1, true));
    EXPECT_FALSE(menu.CheckItem(3, true));
    EXPECT_TRUE(menu.IsItemChecked(1));
    EXPECT_FALSE(menu.IsItemChecked(7));
    // Checking keeps the other flags.
    EXPECT_EQ(menu.GetItem(1)->GetFlags(), IPopupMenuItem::kTitle | IPopupMenuItem::kChecked);

    menu.CheckItem(0, true);
    menu.CheckItemAlone(2);
    EXPECT_FALSE(menu.IsItemChecked(0));
    EXPECT_FALSE(menu.IsItemChecked(1));
    EXPECT_TRUE(menu.IsItemChecked(2));
    menu.CheckItemAlone(-1);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(menu.IsItemChecked(i));
    EXPECT_EQ(menu.GetItem(2)->GetFlags(), IPopupMenuItem::kTitle);
    menu.CheckItem(2, true);
    menu.CheckItem(2, false);
    EXPECT_FALSE(menu.IsItemChecked(2));
}

TEST(PopupMenu, PrefixKindsAndChosenItem) {
    IPopupMenu menu;
    EXPECT_EQ(menu.GetPrefix(), IPopupMenu::kPrefixNone);
    EXPECT_EQ(menu.GetChosenItemIdx(), -1);
    menu.SetPrefix(2);
    menu.SetPrefix(4);
    menu.SetPrefix(-1);
    EXPECT_EQ(menu.GetPrefix(), 2);
    char buf[16];
    snprintf(buf, sizeof buf, IPopupMenu::PrefixFormat(menu.GetPrefix()), 3);
    EXPECT_STREQ(buf, "03: ");
    EXPECT_STREQ(IPopupMenu::PrefixFormat(0), "");
    EXPECT_STREQ(IPopupMenu::PrefixFormat(3), "%03d: ");
    EXPECT_STREQ(IPopupMenu::PrefixFormat(9), "");
}
