#include "platform/dialogs/Dialogs.h"

#include "platform/Clock.h"
#include "platform/dialogs/ChildProgram.h"
#include "platform/dialogs/DrawnDialogs.h"
#include "platform/dialogs/OwnerWindow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

namespace platform::dialogs {

namespace {

enum Chooser { kZenity, kKdialog, kDrawn };
const char* const kChooserNames[] = {"zenity", "kdialog", "drawn"};

// The choosers to try in turn: the forced one alone, else all of them.
std::vector<Chooser> choosers() {
    const char* forced = getenv(kChooserVariable);
    for (Chooser c : {kZenity, kKdialog, kDrawn})
        if (forced && strcmp(forced, kChooserNames[c]) == 0) return {c};
    return {kZenity, kKdialog, kDrawn};
}

// What a chooser program said: exit 0 or 1 is an answer (with its output); an exit code it gives
// when it cannot show itself, or a program missing, passes on to the next chooser. A dialog
// given up on ends the whole prompt.
struct ProgramAnswer {
    enum Outcome { kAnswered, kNext, kGivenUp };
    ProgramAnswer(Outcome outcome, int exitCode = 0, std::string output = "")
        : outcome(outcome), exitCode(exitCode), output(std::move(output)) {}
    Outcome outcome;
    int exitCode;
    std::string output;
};

// The program's dialog is kept above the owner's top-level window, over which window managers
// place such a dialog.
ProgramAnswer ask(Chooser chooser, std::vector<std::string> arguments, const Waiter& wait,
                  int lastAnswerCode, const Owner& owner) {
    const std::string program = FindProgram(kChooserNames[chooser]);
    if (program.empty()) return {ProgramAnswer::kNext};
    arguments.insert(arguments.begin(), program);
    if (const unsigned long window = FindOwnerPlace(owner).topLevel) {
        const std::string id = std::to_string(window);
        if (chooser == kKdialog)
            arguments.insert(arguments.end(), {"--attach", id});
        else
            arguments.push_back("--attach=" + id);
    }
    const ProgramResult result = RunProgram(arguments, wait);
    if (!result.started) return {ProgramAnswer::kNext};
    if (!result.ran) return {ProgramAnswer::kGivenUp};
    if (result.exitCode < 0 || result.exitCode > lastAnswerCode) return {ProgramAnswer::kNext};
    return {ProgramAnswer::kAnswered, result.exitCode, result.output};
}

std::string expandHome(const std::string& folder) {
    const char* home = getenv("HOME");
    if (home && (folder == "~" || folder.rfind("~/", 0) == 0)) return home + folder.substr(1);
    return folder;
}

std::string lowerCase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(tolower(c)); });
    return s;
}

// A saved name without one of the offered types gets the first.
std::string withType(const std::string& path, const FileRequest& request) {
    if (!request.save || request.extensions.empty() || path.empty()) return path;
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        const std::string type = lowerCase(path.substr(dot + 1));
        for (const std::string& offered : request.extensions)
            if (type == lowerCase(offered)) return path;
    }
    return path + "." + request.extensions.front();
}

std::string patterns(const FileRequest& request) {
    std::string all;
    for (const std::string& e : request.extensions)
        all += (all.empty() ? "*." : " *.") + e;
    return all;
}

// Chosen paths come one a line: a name holding a line feed cannot be told apart from two.
std::vector<std::string> fileArguments(Chooser chooser, const FileRequest& request) {
    // The start folder with the proposed name; a trailing "/" opens the folder alone. Never a
    // leading "-": the programs would take it for an option.
    std::string start = request.folder.empty() ? "." : request.folder;
    if (start[0] != '/') start = "./" + start;
    start += (start.back() == '/' ? "" : "/") + request.proposedName;
    if (chooser == kKdialog) {
        if (request.directory) return {"--getexistingdirectory", start};
        std::vector<std::string> a = {request.save ? "--getsavefilename" : "--getopenfilename",
                                      start};
        if (!request.extensions.empty()) a.push_back(patterns(request));
        if (request.multiple) a.insert(a.end(), {"--multiple", "--separate-output"});
        return a;
    }
    std::vector<std::string> a = {"--file-selection", "--filename=" + start};
    if (request.save) {
        a.push_back("--save");
        a.push_back("--confirm-overwrite");
    }
    if (request.directory) a.push_back("--directory");
    if (request.multiple) a.insert(a.end(), {"--multiple", "--separator=\n"});
    if (!request.extensions.empty() && !request.directory)
        a.push_back("--file-filter=" + patterns(request) + " | " + patterns(request));
    return a;
}

std::vector<std::string> lines(const std::string& output) {
    std::vector<std::string> all;
    for (size_t at = 0; at < output.size();) {
        size_t end = output.find('\n', at);
        if (end == std::string::npos) end = output.size();
        if (end > at) all.push_back(output.substr(at, end - at));
        at = end + 1;
    }
    return all;
}

// The button sets by message-box type, with each program's form of them.
struct MessageKind {
    int type;
    std::vector<std::string> buttons;
    std::vector<std::string> zenity;
    std::vector<std::string> kdialog; // the text follows the first
};
const MessageKind kMessageKinds[] = {
    {kOk, {"OK"}, {"--info"}, {"--msgbox"}},
    {kOkCancel,
     {"OK", "Cancel"},
     {"--question", "--ok-label=OK", "--cancel-label=Cancel"},
     {"--yesno", "--yes-label", "OK", "--no-label", "Cancel"}},
    {kYesNoCancel,
     {"Yes", "No", "Cancel"},
     {"--question", "--ok-label=Yes", "--cancel-label=No", "--extra-button=Cancel"},
     {"--yesnocancel"}},
    {kYesNo, {"Yes", "No"}, {"--question", "--ok-label=Yes", "--cancel-label=No"}, {"--yesno"}},
};
const MessageAnswer kAnswers[] = {kFirstButton, kSecondButton, kThirdButton};

} // namespace

bool WaitBySleeping(const std::function<bool()>& ended) {
    while (!ended())
        SleepMillis(10);
    return true;
}

std::string ChooseFile(const FileRequest& request, const Waiter& wait, const Owner& owner) {
    const std::vector<std::string> chosen = ChooseFiles(request, wait, owner);
    return chosen.empty() ? "" : chosen.front();
}

std::vector<std::string> ChooseFiles(const FileRequest& given, const Waiter& wait,
                                     const Owner& owner) {
    FileRequest request = given;
    request.folder = expandHome(request.folder);
    request.directory = request.directory && !request.save;
    request.multiple = request.multiple && !request.save && !request.directory;
    for (Chooser chooser : choosers()) {
        if (chooser == kDrawn) {
            if (request.directory || request.multiple) return {};
            const std::string path =
                withType(DrawnChooseFile(request, wait, owner).value_or(""), request);
            if (path.empty()) return {};
            return {path};
        }
        const ProgramAnswer answer = ask(chooser, fileArguments(chooser, request), wait, 1, owner);
        if (answer.outcome == ProgramAnswer::kGivenUp) return {};
        if (answer.outcome == ProgramAnswer::kNext) continue;
        if (answer.exitCode != 0) return {};
        std::vector<std::string> paths = lines(answer.output);
        if (!request.multiple) paths.resize(std::min<size_t>(paths.size(), 1));
        for (std::string& path : paths)
            path = withType(path, request);
        return paths;
    }
    return {};
}

int ShowMessage(const std::string& text, const std::string& caption, int type, const Waiter& wait,
                const Owner& owner) {
    const MessageKind* kind = &kMessageKinds[0];
    for (const MessageKind& k : kMessageKinds)
        if (k.type == type) kind = &k;
    const int buttons = int(kind->buttons.size());
    const auto answer = [&](int button) {
        return button >= 0 && button < buttons ? kAnswers[button] : kNoAnswer;
    };
    for (Chooser chooser : choosers()) {
        if (chooser == kDrawn)
            return answer(DrawnMessage(text, caption, kind->buttons, wait, owner).value_or(-1));
        std::vector<std::string> arguments;
        if (chooser == kZenity) {
            arguments = kind->zenity;
            arguments.insert(arguments.end(),
                             {"--no-markup", "--title=" + caption, "--text=" + text});
        } else {
            arguments = {"--title", caption, kind->kdialog.front(), text};
            arguments.insert(arguments.end(), kind->kdialog.begin() + 1, kind->kdialog.end());
        }
        // kdialog answers a third button with 2; zenity's extra button prints its label.
        const ProgramAnswer reply =
            ask(chooser, arguments, wait, chooser == kKdialog ? 2 : 1, owner);
        if (reply.outcome == ProgramAnswer::kGivenUp) return kNoAnswer;
        if (reply.outcome == ProgramAnswer::kNext) continue;
        if (chooser == kZenity && reply.exitCode == 1 && buttons == 3 &&
            reply.output.rfind(kind->buttons[2], 0) == 0)
            return answer(2);
        return answer(reply.exitCode);
    }
    return kNoAnswer;
}

} // namespace platform::dialogs
