// The file chooser and message box through fake chooser programs (their arguments, answers and
// the order in which they are tried) and the drawn ones under the virtual display.

#include "platform/dialogs/Dialogs.h"
#include "tests/support/ScriptedChooser.h"
#include "tests/support/Services.h"
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <unistd.h>

// Last: Xlib's macros would clash with the names above.
#include "tests/support/XHostWindow.h"

namespace dialogs = platform::dialogs;
using testsupport::ScriptedChooser;
using Args = std::vector<std::string>;

namespace {

dialogs::FileRequest saveRequest(const std::string& folder, const std::string& name) {
    dialogs::FileRequest r;
    r.save = true;
    r.folder = folder;
    r.proposedName = name;
    r.extensions = {"syx", "vub"};
    return r;
}

// PATH holds only the fake programs made after this, so no real chooser is found.
struct ChooserPrograms : ::testing::Test {
    std::string oldPath = getenv("PATH");
    void SetUp() override { setenv("PATH", "/nonexistent", 1); }
    void TearDown() override { setenv("PATH", oldPath.c_str(), 1); }
};

} // namespace

// Every name stays one argument, whatever a shell would make of it.
TEST_F(ChooserPrograms, ZenityGetsTheRequestAsItsArgumentsAndAnswersWithAPath) {
    ScriptedChooser zenity("zenity");
    const std::string name = "it's \"my\" Bänk $(touch x) -x";
    zenity.answer("/home/u/a b/Bank One");
    EXPECT_EQ(dialogs::ChooseFile(saveRequest("/home/u/a b", name), dialogs::WaitBySleeping),
              "/home/u/a b/Bank One.syx"); // the line feed dropped, the first type added
    zenity.answer("/x/-x.VUB");
    EXPECT_EQ(dialogs::ChooseFile(saveRequest("/x", "-x"), dialogs::WaitBySleeping), "/x/-x.VUB");
    zenity.cancel();
    EXPECT_EQ(dialogs::ChooseFile(saveRequest("/x", ""), dialogs::WaitBySleeping), "");
    setenv("HOME", "/home/u", 1);
    dialogs::FileRequest open;
    open.folder = "~/Desktop";
    open.extensions = {"mid"};
    EXPECT_EQ(dialogs::ChooseFile(open, dialogs::WaitBySleeping), ""); // past the script

    const std::vector<Args> calls = zenity.calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0], (Args{"--file-selection", "--filename=/home/u/a b/" + name, "--save",
                              "--confirm-overwrite", "--file-filter=*.syx *.vub | *.syx *.vub"}));
    EXPECT_EQ(calls[1][1], "--filename=/x/-x");
    EXPECT_EQ(calls[3], (Args{"--file-selection", "--filename=/home/u/Desktop/",
                              "--file-filter=*.mid | *.mid"}));
}

// A folder request and a multiple one: their options, and one path a line back.
TEST_F(ChooserPrograms, FoldersAndSeveralFiles) {
    dialogs::FileRequest folder;
    folder.folder = "/f";
    folder.directory = true;
    folder.extensions = {"mid"};
    dialogs::FileRequest several;
    several.folder = "/f";
    several.multiple = true;
    for (const char* program : {"zenity", "kdialog"}) {
        ScriptedChooser chooser(program);
        chooser.answer("/f/sub");
        chooser.answer("/f/a b.mid\n/f/\xc3\xa9.mid");
        EXPECT_EQ(dialogs::ChooseFiles(folder, dialogs::WaitBySleeping), Args{"/f/sub"});
        EXPECT_EQ(dialogs::ChooseFiles(several, dialogs::WaitBySleeping),
                  (Args{"/f/a b.mid", "/f/\xc3\xa9.mid"}));
        const std::vector<Args> calls = chooser.calls();
        ASSERT_EQ(calls.size(), 2u);
        if (std::string(program) == "zenity") {
            EXPECT_EQ(calls[0], (Args{"--file-selection", "--filename=/f/", "--directory"}));
            EXPECT_EQ(calls[1], (Args{"--file-selection", "--filename=/f/", "--multiple", "--separator=\n"}));
        } else {
            EXPECT_EQ(calls[0], (Args{"--getexistingdirectory", "/f/"}));
            EXPECT_EQ(calls[1], (Args{"--getopenfilename", "/f/", "--multiple", "--separate-output"}));
        }
    }
}

// A chooser that is missing, or that exits with neither an answer nor a cancel, passes the
// prompt on to the next.
TEST_F(ChooserPrograms, TheNextChooserTakesOver) {
    unsetenv("ZOZ_FILE_CHOOSER");
    ScriptedChooser kdialog("kdialog", false);
    kdialog.answer("/b/c.mid");
    dialogs::FileRequest open;
    open.folder = "/b";
    open.extensions = {"mid"};
    EXPECT_EQ(dialogs::ChooseFile(open, dialogs::WaitBySleeping), "/b/c.mid");
    EXPECT_EQ(kdialog.calls().at(0), (Args{"--getopenfilename", "/b/", "*.mid"}));

    ScriptedChooser zenity("zenity", false);
    zenity.reply(255, "");
    kdialog.answer("/b/d.mid");
    EXPECT_EQ(dialogs::ChooseFile(open, dialogs::WaitBySleeping), "/b/d.mid");
    EXPECT_EQ(zenity.calls().size(), 1u);
}

TEST_F(ChooserPrograms, MessageBoxAnswersByButton) {
    const struct {
        const char* program;
        int type;
        int exitCode;
        const char* output;
        int expected;
    } rows[] = {
        {"zenity", dialogs::kYesNoCancel, 1, "", 7},
        {"zenity", dialogs::kYesNoCancel, 1, "Cancel\n", 2},
        {"zenity", dialogs::kOkCancel, 0, "", 1},
        {"zenity", 2, 1, "", 0}, // OK alone, closed
        {"kdialog", dialogs::kYesNoCancel, 2, "", 2},
    };
    for (const auto& row : rows) {
        ScriptedChooser program(row.program);
        program.reply(row.exitCode, row.output);
        EXPECT_EQ(dialogs::ShowMessage("Save <b>&</b>?", "Bank", row.type,
                                       dialogs::WaitBySleeping),
                  row.expected)
            << row.program << " " << row.type << " " << row.exitCode;
    }
    ScriptedChooser zenity("zenity");
    dialogs::ShowMessage("Save <b>?", "Bank", dialogs::kYesNo, dialogs::WaitBySleeping);
    EXPECT_EQ(zenity.calls().at(0),
              (Args{"--question", "--ok-label=Yes", "--cancel-label=No", "--no-markup",
                    "--title=Bank", "--text=Save <b>?"}));
}

// A program's dialog is kept above the host's top-level window that holds the editor: the one
// that a window manager manages, else the one under the screen's root.
TEST_F(ChooserPrograms, ProgramsStandOverTheHostsTopLevelWindow) {
    testsupport::XHostWindow host(300, 200);
    if (!host.Ok())
        GTEST_SKIP() << testsupport::Lacking("display", "no X display (scripts/test starts Xvfb)");
    Display* d = host.display();
    const Window client = XCreateSimpleWindow(d, host.window(), 0, 0, 300, 200, 0, 0, 0);
    const Window editor = XCreateSimpleWindow(d, client, 0, 0, 300, 200, 0, 0, 0);
    XSync(d, False);
    const dialogs::Owner owner{editor, 300, 200};
    {
        ScriptedChooser zenity("zenity");
        dialogs::ShowMessage("Save?", "Bank", dialogs::kYesNo, dialogs::WaitBySleeping, owner);
        EXPECT_EQ(zenity.calls().at(0).back(), "--attach=" + std::to_string(host.window()));
    }
    // A window manager's frame around the host's window, which it manages.
    const long normalState[] = {1, 0};
    const Atom wmState = XInternAtom(d, "WM_STATE", False);
    XChangeProperty(d, client, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(normalState), 2);
    XSync(d, False);
    ScriptedChooser kdialog("kdialog");
    dialogs::ChooseFile(saveRequest("/x", "y"), dialogs::WaitBySleeping, owner);
    const Args call = kdialog.calls().at(0);
    EXPECT_EQ(Args(call.end() - 2, call.end()), (Args{"--attach", std::to_string(client)}));
}

// A chooser given up on (the editor closes) is ended at once.
TEST_F(ChooserPrograms, AChooserGivenUpOnEnds) {
    ScriptedChooser zenity("zenity");
    std::ofstream(zenity.folder() + "/zenity") << "#!/bin/sh\nexec sleep 30\n";
    int polls = 0;
    const dialogs::Waiter closing = [&](const std::function<bool()>& ended) {
        for (; !ended(); usleep(10000))
            if (++polls == 3) return false;
        return true;
    };
    EXPECT_EQ(dialogs::ChooseFile(saveRequest("/x", "y"), closing), "");
}

namespace {

// The drawn dialogs, forced, on the virtual display; typed into with xdotool.
struct DrawnDialogs : ::testing::Test {
    testsupport::TempFolder folder;
    void SetUp() override {
        if (!getenv("DISPLAY"))
            GTEST_SKIP() << testsupport::Lacking("display",
                                                 "no X display (scripts/test starts Xvfb)");
        setenv("ZOZ_FILE_CHOOSER", "drawn", 1);
    }
    void TearDown() override { unsetenv("ZOZ_FILE_CHOOSER"); }
    // Types into the window of that title once it is shown and has the keyboard. The keys go
    // through the keyboard, not to the window, which may be gone before a key is released.
    // The focus is asked for again until it holds: waiting on one request hung when the window
    // lost the focus after it was given.
    static void type(const char* title, const std::vector<std::string>& keys) {
        const bool focused = testsupport::WaitUntil(
            [&] {
                std::string window, focus;
                return testsupport::Xdotool({"search", "--onlyvisible", "--name", title},
                                            &window) == 0 &&
                       testsupport::Xdotool({"windowfocus", firstLine(window)}) == 0 &&
                       testsupport::Xdotool({"getwindowfocus", "-f"}, &focus) == 0 &&
                       firstLine(focus) == firstLine(window);
            },
            20000);
        EXPECT_TRUE(focused) << title;
        EXPECT_EQ(testsupport::Xdotool(keys), 0);
    }
    static std::string firstLine(const std::string& text) {
        return text.substr(0, text.find('\n'));
    }
};

} // namespace

TEST_F(DrawnDialogs, TheChooserTakesATypedNameOrEscape) {
    std::filesystem::create_directories(folder.path() + "/Sub");
    std::ofstream(folder.path() + "/old.syx") << "x";
    auto chosen = std::async(std::launch::async, [&] {
        return dialogs::ChooseFile(saveRequest(folder.path(), ""), dialogs::WaitBySleeping);
    });
    type("Save File", {"type", "--delay", "20", "Sub"});
    type("Save File", {"key", "Return"}); // opens the folder typed
    type("Save File", {"type", "--delay", "20", "Bank 1"});
    type("Save File", {"key", "Return"});
    EXPECT_EQ(chosen.get(), folder.path() + "/Sub/Bank 1.syx");

    // Ctrl+A selects the proposed name, which what is typed then replaces.
    auto renamed = std::async(std::launch::async, [&] {
        return dialogs::ChooseFile(saveRequest(folder.path(), "Bank 2"), dialogs::WaitBySleeping);
    });
    type("Save File", {"key", "ctrl+a"});
    type("Save File", {"type", "--delay", "20", "Mine"});
    type("Save File", {"key", "Return"});
    EXPECT_EQ(renamed.get(), folder.path() + "/Mine.syx");

    auto cancelled = std::async(std::launch::async, [&] {
        return dialogs::ChooseFile(saveRequest(folder.path(), "name"), dialogs::WaitBySleeping);
    });
    type("Save File", {"key", "Escape"});
    EXPECT_EQ(cancelled.get(), "");
}

TEST_F(DrawnDialogs, TheMessageBoxAnswersReturnAndEscape) {
    const struct {
        std::vector<std::string> keys;
        int type;
        int expected;
    } rows[] = {
        {{"key", "Right", "Return"}, dialogs::kYesNo, 7},
        {{"key", "Escape"}, dialogs::kYesNoCancel, 2},
    };
    for (const auto& row : rows) {
        auto answer = std::async(std::launch::async, [&] {
            return dialogs::ShowMessage("Replace the bank?", "Zoz test box", row.type,
                                        dialogs::WaitBySleeping);
        });
        type("Zoz test box", row.keys);
        EXPECT_EQ(answer.get(), row.expected) << row.type;
    }
}
