#include "WinlViewFixture.h"

#include "kit/winl/winl-wnd-factory.h"
#include "platform/wsys/Menu.h"

#include <string>

namespace winltest {
namespace {

namespace inject = wsys::inject;

// The item calls on a drop-down list (style 3) or an editable combo box, either by dialog and
// id or through CB_* messages to the control.
struct ComboCase {
    const char* name;
    int kind;
    bool messages;
};

class WinlCombo : public WinlViewTest, public ::testing::WithParamInterface<ComboCase> {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    }
    // A new combo of the case's kind with the items, CBS_SORT when sorted.
    void make(std::vector<const char*> items, bool sorted = false) {
        if (combo) DestroyWindow(combo);
        combo = WINL_MakeCombo(9, 0, 0, 80, 0, GetParam().kind | (sorted ? int(CBS_SORT) : 0));
        for (const char* item : items)
            add(item);
    }
    bool msg() const { return GetParam().messages; }
    int add(const char* text) {
        return msg() ? int(SendMessage(combo, CB_ADDSTRING, 0, LPARAM(text))) : WINL_CB_AddString(view.get(), 9, text);
    }
    int insert(int at, const char* text) {
        return msg() ? int(SendMessage(combo, CB_INSERTSTRING, WPARAM(at), LPARAM(text)))
                     : WINL_CB_InsertString(view.get(), 9, at, text);
    }
    void remove(int at) {
        if (msg())
            EXPECT_EQ(SendMessage(combo, CB_DELETESTRING, WPARAM(at), 0), 1);
        else
            WINL_CB_DeleteString(view.get(), 9, at);
    }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        const int n = msg() ? int(SendMessage(combo, CB_GETCOUNT, 0, 0)) : WINL_CB_GetNumItems(view.get(), 9);
        for (int i = 0; i < n; ++i) {
            char text[1024];
            EXPECT_TRUE(msg() ? SendMessage(combo, CB_GETLBTEXT, WPARAM(i), LPARAM(text)) : WINL_CB_GetItemText(view.get(), 9, i, text, sizeof text));
            out.push_back(text);
        }
        return out;
    }
    std::vector<LPARAM> words() {
        std::vector<LPARAM> out;
        for (int i = 0; i < WINL_CB_GetNumItems(view.get(), 9); ++i)
            out.push_back(msg() ? SendMessage(combo, CB_GETITEMDATA, WPARAM(i), 0) : WINL_CB_GetItemData(view.get(), 9, i));
        return out;
    }
    void setWord(int at, LPARAM value) {
        if (msg())
            SendMessage(combo, CB_SETITEMDATA, WPARAM(at), value);
        else
            WINL_CB_SetItemData(view.get(), 9, at, value);
    }
    int find(int start, const char* text, bool exact) {
        return msg() ? int(SendMessage(combo, exact ? CB_FINDSTRINGEXACT : CB_FINDSTRING, WPARAM(start), LPARAM(text)))
                     : WINL_CB_FindString(view.get(), 9, start, text, exact);
    }
    int selected() {
        return msg() ? int(SendMessage(combo, CB_GETCURSEL, 0, 0)) : WINL_CB_GetCurSel(view.get(), 9);
    }
    void select(int at) {
        if (msg())
            EXPECT_EQ(SendMessage(combo, CB_SETCURSEL, WPARAM(at), 0), 0);
        else
            WINL_CB_SetCurSel(view.get(), 9, at);
    }

    HWND combo = nullptr;
};

TEST_P(WinlCombo, SortedAppendsBisectAndPositionsAreHeld) {
    for (const auto& [text, position] : {std::pair{"b", 1}, {"0", 0}, {"d", 2}, {"c", 1}}) {
        make({"a", "c"}, true);
        EXPECT_EQ(add(text), position) << text;
    }
    make({}, true);
    EXPECT_EQ(add("b"), 0);
    for (const char* text : {"\xC3\xA9t\xC3\xA9", "Z", "a", "c", "B"})
        add(text);
    EXPECT_EQ(texts(), (std::vector<std::string>{"B", "Z", "a", "b", "c", "été"})); // code points
    EXPECT_EQ(insert(0, "zz"), 0); // an insert is never sorted

    make({"x", "y", "z"});
    EXPECT_EQ(add("a"), 3);
    EXPECT_EQ(insert(9, "tail"), 4);
    EXPECT_EQ(insert(-5, "head"), 0);
    EXPECT_EQ(insert(WINL_CB_APPEND, "end"), 6);
    EXPECT_EQ(texts(), (std::vector<std::string>{"head", "x", "y", "z", "a", "tail", "end"}));
}

TEST_P(WinlCombo, DataWordsStayWithTheirItems) {
    make({"a", "b", "c"});
    for (int i = 0; i < 3; ++i)
        setWord(i, 10 * (i + 1));
    remove(1);
    remove(5);
    EXPECT_EQ(words(), (std::vector<LPARAM>{10, 30}));
    insert(0, "new");
    EXPECT_EQ(words(), (std::vector<LPARAM>{0, 10, 30}));
    setWord(-1, 99);
    setWord(3, 99);
    EXPECT_EQ(words(), (std::vector<LPARAM>{0, 10, 30}));
    if (msg())
        EXPECT_EQ(SendMessage(combo, CB_RESETCONTENT, 0, 0), 0);
    else
        WINL_CB_Empty(view.get(), 9);
    EXPECT_EQ(texts().size(), 0u);
    add("again");
    EXPECT_EQ(words(), (std::vector<LPARAM>{0}));
}

TEST_P(WinlCombo, FindLooksAfterTheStartWithoutWrapping) {
    make({"abc", "ABD", "xyz", "ABC", "Gr\xC3\xBC\xC3\x9F" "e"});
    const struct {
        int start;
        const char* text;
        bool exact;
        int found;
    } cases[] = {{2, "ab", false, 3}, {2, "abd", false, -1}, {-1, "ab", false, 0}, {-7, "abd", false, 1},
                 {0, "abc", true, 3},  {-1, "ab", true, -1},  {3, "", false, 4},   {4, "a", false, -1},
                 {-1, "gr\xC3\xBC", false, 4}, {-1, "GR\xC3\x9C", false, -1}}; // bytes >= 0x80 keep their case
    for (const auto& c : cases)
        EXPECT_EQ(find(c.start, c.text, c.exact), c.found) << c.start << " " << c.text;
    EXPECT_EQ(SendMessage(combo, CB_FINDSTRING, 0, 0), -1);
    EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, 0, 0), -1);

    // An item is compared as far as 4095 bytes of it fit the search buffer.
    const std::string fits(4095, 'q'), cut(4096, 'q');
    make({fits.c_str(), cut.c_str()});
    EXPECT_EQ(find(-1, cut.c_str(), true), -1);
    EXPECT_EQ(find(0, fits.c_str(), true), 1);
}

TEST_P(WinlCombo, SelectionAndTextsStayWithinTheItems) {
    make({"a", "b", "c"});
    select(1);
    for (int outside : {-1, 3, 5})
        select(outside);
    EXPECT_EQ(selected(), 1);
    char text[8] = "junk";
    EXPECT_FALSE(WINL_CB_GetItemText(view.get(), 9, -1, text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(WINL_CB_GetItemText(view.get(), 9, 3, text, sizeof text));
    EXPECT_TRUE(WINL_CB_GetItemText(view.get(), 9, 2, text, 1)); // only the terminator fits
    EXPECT_STREQ(text, "");
    EXPECT_EQ(SendMessage(combo, 0x145, 0, 0), 0); // a CB_ number without meaning
}

INSTANTIATE_TEST_SUITE_P(, WinlCombo,
                         ::testing::Values(ComboCase{"ListCalls", 3, false}, ComboCase{"ListMessages", 3, true},
                                           ComboCase{"BoxCalls", 0, false}, ComboCase{"BoxMessages", 0, true}),
                         [](const ::testing::TestParamInfo<ComboCase>& info) { return std::string(info.param.name); });

using WinlComboModel = WinlViewTest;

TEST_F(WinlComboModel, ControlsWithoutItemsOrIdsAnswerNothing) {
    EXPECT_EQ(WINL_CB_AddString(view.get(), 5, "x"), 0);
    EXPECT_EQ(WINL_CB_GetCurSel(view.get(), 5), -1);
    EXPECT_EQ(WINL_CB_FindString(view.get(), 5, -1, "x", false), 0);
    EXPECT_EQ(WINL_CB_GetItemData(view.get(), 5, 0), 0);
    EXPECT_EQ(SendMessage(view.get(), CB_GETCOUNT, 0, 0), 0);
}

// Opens a combo's list by a click on its arrow and picks the item.
void pick(wsys::View* combo, const std::vector<const char*>& items, int index) {
    const wsys::Rect b = combo->Bounds();
    inject::Click(inject::ScreenPoint(combo, {b.MaxX() - 4, b.MinY() + b.size.height / 2}));
    wsys::Ref<wsys::Menu> shape = wsys::Make<wsys::Menu>();
    for (const char* item : items)
        shape->AddItem(wsys::Make<wsys::MenuItem>(item, nullptr, std::u16string()).get());
    const wsys::Rect f = wsys::Menu::ItemFrameInPopUp(*shape, index);
    const wsys::Point corner = inject::ScreenPoint(combo, {b.MinX(), combo->IsFlipped() ? b.MaxY() : b.MinY()});
    inject::Click(wsys::Point{corner.x + 10, corner.y - (f.MinY() + f.size.height / 2)});
    wsys::App().DispatchPendingEvents();
}

TEST_F(WinlComboModel, APickSelectsTheItemAndTellsTheDialog) {
    WINL_MakeSetCurParms(1, 1, 0, 0, view.get(), false, false);
    const std::vector<const char*> items = {"One", "Two", "Three"};
    HWND box = WINL_MakeCombo(4, 10, 10, 120, 0, 0);
    HWND list = WINL_MakeCombo(5, 10, 60, 120, 0, 3);
    for (const char* item : items) {
        WINL_CB_AddString(view.get(), 4, item);
        WINL_CB_AddString(view.get(), 5, item);
    }
    g_sent.clear();
    pick(static_cast<wsys::View*>(box), items, 2);
    pick(static_cast<wsys::View*>(list), items, 1);
    std::vector<std::pair<int, int>> commands;
    for (const Sent& s : g_sent)
        if (s.msg == WM_COMMAND) commands.emplace_back(int(s.wParam & 0xFFFF), int(s.wParam >> 16));
    EXPECT_EQ(commands, (std::vector<std::pair<int, int>>{{4, 7}, {4, 1}, {5, 1}}));
    EXPECT_EQ(WINL_CB_GetCurSel(view.get(), 4), 2);
    EXPECT_EQ(WINL_CB_GetCurSel(view.get(), 5), 1);
    char text[16];
    GetDlgItemText(view.get(), 4, text, sizeof text);
    EXPECT_STREQ(text, "Three");

    // Typing in the box's text is an edit change of a combo box.
    g_sent.clear();
    inject::Click(inject::CenterOf(static_cast<wsys::View*>(box)));
    inject::Type(u"x");
    wsys::App().DispatchPendingEvents();
    EXPECT_EQ(find(WM_COMMAND)->wParam, WPARAM(4 | 5 << 16));
}

} // namespace
} // namespace winltest
