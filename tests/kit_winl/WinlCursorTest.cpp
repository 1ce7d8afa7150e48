#include "tests/kit_winl/WinlViewFixture.h"

#include "platform/wsys/Cursor.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace winltest {
namespace {

// A 2 x 2 cursor file, hot spot (1, 1): top row red and green, bottom row blue and a clear
// pixel, as a 32-bit bitmap with its mask.
std::string cursorFile() {
    std::string f = {0, 0, 2, 0, 1, 0};
    const char entry[16] = {2, 2, 0, 0, 1, 0, 1, 0, 64, 0, 0, 0, 22, 0, 0, 0};
    f.append(entry, 16);
    const char header[40] = {40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 32, 0};
    f.append(header, 40);
    // Rows bottom up, bytes blue, green, red, alpha.
    const unsigned char pixels[16] = {0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0xFF, 0, 0xFF};
    f.append(reinterpret_cast<const char*>(pixels), 16);
    f.append(8, '\0'); // the mask
    return f;
}

class WinlCursor : public WinlViewTest {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        char dir[] = "/tmp/winl-cursor-XXXXXX";
        ASSERT_TRUE(mkdtemp(dir));
        folder = dir;
        setenv("TEMP", (folder + "/temp").c_str(), 1);
        mkdir((folder + "/temp").c_str(), 0700);
    }
    void TearDown() override {
        unsetenv("TEMP");
        unsetenv("ZOZ_RESOURCES_DIR");
        std::system(("rm -rf '" + folder + "'").c_str());
        WinlViewTest::TearDown();
    }
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::vector<std::string> tempFiles() {
        std::vector<std::string> names;
        DIR* d = opendir((folder + "/temp").c_str());
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        closedir(d);
        return names;
    }
    std::string folder;
};

TEST_F(WinlCursor, ACursorFileGivesItsPictureAndHotSpotAndLeavesNoTemporaryFile) {
    const std::string path = write("two.CUR", cursorFile());
    HCURSOR c = WINL_LoadCursorFromFile(path.c_str());
    ASSERT_NE(c, nullptr);
    auto* cursor = static_cast<wsys::Cursor*>(c);
    EXPECT_EQ(cursor->HotSpot(), (wsys::Point{1, 1}));
    EXPECT_EQ(cursor->Picture().pixels,
              (std::vector<uint32_t>{wsys::MakePixel(255, 0, 0), wsys::MakePixel(0, 255, 0),
                                     wsys::MakePixel(0, 0, 255), wsys::MakePixel(0, 0, 0, 0)}));
    EXPECT_TRUE(tempFiles().empty());
    c->Release();
}

TEST_F(WinlCursor, MalformedCursorFilesFallBackToThePlainImageLoader) {
    std::string icon = cursorFile();
    icon[2] = 1; // an icon: read as it is, so no hot spot
    HCURSOR c = WINL_LoadCursorFromFile(write("icon.cur", icon).c_str());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(static_cast<wsys::Cursor*>(c)->HotSpot(), (wsys::Point{0, 0}));
    EXPECT_EQ(static_cast<wsys::Cursor*>(c)->Picture().width, 2);
    c->Release();

    // Each header field wrong, the entry's reserved byte, the bitmap's fields.
    const std::pair<size_t, char> wrong[] = {{0, 1}, {1, 1}, {2, 3}, {3, 1}, {4, 2}, {5, 1},
                                             {9, 1}, {22, 41}, {30, 5}, {34, 2}, {36, 24}, {38, 1}};
    for (const auto& [at, value] : wrong) {
        std::string bytes = cursorFile();
        bytes[at] = value;
        EXPECT_EQ(WINL_LoadCursorFromFile(write("bad.cur", bytes).c_str()), nullptr) << at;
    }
    const std::string whole = cursorFile();
    for (size_t n = 0; n < whole.size(); ++n)
        EXPECT_EQ(WINL_LoadCursorFromFile(write("cut.cur", whole.substr(0, n)).c_str()), nullptr)
            << n;
    EXPECT_TRUE(tempFiles().empty());
}

TEST_F(WinlCursor, APlantedLinkInTheTemporaryFolderIsNeverFollowed) {
    const std::string victim = write("victim", "keep");
    ASSERT_EQ(symlink(victim.c_str(), (folder + "/temp/winlcur0.ico").c_str()), 0);
    HCURSOR c = WINL_LoadCursorFromFile(write("a.cur", cursorFile()).c_str());
    ASSERT_NE(c, nullptr);
    c->Release();
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    EXPECT_EQ(tempFiles(), (std::vector<std::string>{"winlcur0.ico"}));
}

TEST_F(WinlCursor, ResourcesLoadOnceAndKeepTheirCursor) {
    write("hand.cur", cursorFile());
    setenv("ZOZ_RESOURCES_DIR", folder.c_str(), 1);
    static const char id[] = "hand";
    WINL_CursorResourceIndex missing{id, "nothing", 0, 0, nullptr, nullptr};
    WINL_CursorResourceIndex hand{id, "hand", 0, 0, nullptr, nullptr};
    missing.next = &hand;
    WINL_curmodule_cursorresource_head = &missing;
    HCURSOR c = WINL_LoadCursor(id);
    WINL_curmodule_cursorresource_head = nullptr;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c, hand.cursor);
    EXPECT_EQ(hand.hotspot_x, 1);
    EXPECT_EQ(static_cast<wsys::Cursor*>(c)->HotSpot(), (wsys::Point{1, 1}));
    EXPECT_EQ(WINL_LoadCursor("hand"), nullptr); // ids compare as pointers
    c->Release();
}

TEST_F(WinlCursor, BuiltInCursors) {
    EXPECT_EQ(WINL_LoadCursor(reinterpret_cast<const char*>(-999)), wsys::Cursor::Arrow());
    EXPECT_EQ(WINL_LoadCursor(reinterpret_cast<const char*>(32649)), wsys::Cursor::OpenHand());
    EXPECT_EQ(WINL_LoadCursor(reinterpret_cast<const char*>(-1003)), nullptr);
    auto* move = static_cast<wsys::Cursor*>(WINL_LoadCursor(reinterpret_cast<const char*>(-1002)));
    auto* falling = static_cast<wsys::Cursor*>(WINL_LoadCursor(reinterpret_cast<const char*>(-1006)));
    auto* rising = static_cast<wsys::Cursor*>(WINL_LoadCursor(reinterpret_cast<const char*>(-1007)));
    ASSERT_TRUE(move && falling && rising);
    EXPECT_EQ(WINL_LoadCursor(reinterpret_cast<const char*>(-1007)), rising);
    EXPECT_EQ(move->HotSpot(), (wsys::Point{8, 8}));
    const std::vector<uint32_t>& p = move->Picture().pixels;
    EXPECT_EQ(p[0], wsys::MakePixel(0, 0, 0, 0));
    EXPECT_EQ(p[6], wsys::MakePixel(255, 255, 255, 255));
    EXPECT_EQ(p[7 * 16 + 7], wsys::MakePixel(0, 0, 0, 255));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(rising->Picture().pixels[size_t(y * 16 + x)],
                      falling->Picture().pixels[size_t(y * 16 + 15 - x)]);
    EXPECT_NE(falling->Picture().pixels, rising->Picture().pixels);

    WINL_SetCursor(move);
    EXPECT_EQ(WINL_GetCursor(), move);
    EXPECT_EQ(WINL_GetLastSetCursor(), move);
    WINL_SetCursor(view.get());
    EXPECT_EQ(WINL_GetCursor(), wsys::Cursor::Arrow());
    EXPECT_EQ(WINL_GetLastSetCursor(), nullptr);
}

TEST_F(WinlCursor, HidingDetachesThePointerUntilTheLastShowWarpsItBack) {
    wsys::App().SetLiveState(wsys::Point{300.7, 150.2}, 0, 0);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.y, 151);
    wsys::App().SetLiveState(wsys::Point{110, 260}, 0, 0);
    window->SetAcceptsMouseMovedEvents(true);
    EXPECT_EQ(WINL_ShowCursor(false), -1);
    EXPECT_EQ(WINL_ShowCursor(false), -2);
    EXPECT_TRUE(WINL_SetCursorPos(110, 260));
    EXPECT_EQ(wsys::App().MouseLocation(), (wsys::Point{110, 260})); // only the virtual one moved
    // A move in relative mode moves the virtual pointer by its deltas, (20, -20) here.
    wsys::inject::MoveTo(wsys::Point{130, 240});
    run();
    const Sent* move = find(WM_MOUSEMOVE);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(move->lParam, LPARAM(60 << 16 | 30)); // (130, 240) on the screen
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 130);
    EXPECT_EQ(WINL_ShowCursor(true), -1);
    EXPECT_FALSE(wsys::App().IsMouseAssociated());
    EXPECT_FALSE(WINL_IsCursorVisible());
    EXPECT_EQ(WINL_ShowCursor(true), 0);
    EXPECT_TRUE(wsys::App().IsMouseAssociated());
    EXPECT_TRUE(wsys::App().IsCursorVisible());
    EXPECT_EQ(wsys::App().MouseLocation(), (wsys::Point{130, 240}));
}

} // namespace
} // namespace winltest
