#pragma once

#include <functional>
#include <string>
#include <vector>

// The editor's file chooser and message box on Linux, shown without loading a GUI toolkit into
// the host: zenity, else kdialog, run as programs of their own, else a small dialog drawn here
// on X11. $ZOZ_FILE_CHOOSER ("zenity", "kdialog" or "drawn") forces one of them.
namespace platform::dialogs {

constexpr const char* kChooserVariable = "ZOZ_FILE_CHOOSER";

// How the caller waits while a dialog is open: it calls `ended` until that is true and returns
// true, or returns false when the dialog must be given up (the editor closes), which cancels it.
using Waiter = std::function<bool(const std::function<bool()>& ended)>;
// A waiter that polls every 10 ms and never gives up.
bool WaitBySleeping(const std::function<bool()>& ended);

// The editor's window that a dialog belongs to: the host's X11 window that holds the editor,
// and the editor's size there from the window's top-left corner. The dialog is kept above the
// host's top-level window that holds it and stands centred on the editor; with no window (0)
// the drawn one stands in the middle of the screen.
struct Owner {
    unsigned long window = 0;
    int width = 0, height = 0;
};

struct FileRequest {
    bool save = false;
    // Where the chooser starts; "~" at its start stands for $HOME.
    std::string folder;
    std::string proposedName;
    // File types without the dot; only these are offered, and a saved name without one of
    // them gets the first. Empty: any file.
    std::vector<std::string> extensions;
    // Open requests only: a folder is chosen instead of files; several files may be chosen.
    // The drawn chooser offers neither: it answers such a request as cancelled.
    bool directory = false;
    bool multiple = false;
};

// The chosen file's path; "" when the user cancelled or no chooser could be shown.
std::string ChooseFile(const FileRequest& request, const Waiter& wait, const Owner& owner = {});
// The chosen paths in the chooser's order; none when the user cancelled or no chooser could be
// shown.
std::vector<std::string> ChooseFiles(const FileRequest& request, const Waiter& wait,
                                     const Owner& owner = {});

// Button sets by message-box type, as the Win32 types number them.
enum MessageType { kOk = 0, kOkCancel = 1, kYesNoCancel = 3, kYesNo = 4 };
// Answers of ShowMessage: the first button (OK, Yes), the second (Cancel of kOkCancel, No) and
// the third (Cancel of kYesNoCancel); 0 for anything else, a closed box among it.
enum MessageAnswer { kNoAnswer = 0, kFirstButton = 1, kThirdButton = 2, kSecondButton = 7 };

// A modal message box with the caption as its title; any other type shows OK alone.
int ShowMessage(const std::string& text, const std::string& caption, int type, const Waiter& wait,
                const Owner& owner = {});

} // namespace platform::dialogs
