#pragma once

#include "platform/dialogs/Dialogs.h"

#include <optional>
#include <string>
#include <vector>

namespace platform::dialogs {

// The chooser drawn on X11: a folder's sub-folders and files of the request's types, a name
// field and the buttons. Keys: Up and Down choose a row, Return opens a folder or takes the
// name (a folder typed is opened), Escape cancels; a double click opens or takes a row. The
// chosen path ("" cancelled); none when no window could be shown. The request's folder must
// be expanded.
std::optional<std::string> DrawnChooseFile(const FileRequest& request, const Waiter& wait,
                                           const Owner& owner);

// A message box drawn on X11 with these buttons, the first focused: Return presses the focused
// one, Left and Right move the focus, Escape presses the one labelled "Cancel". The index of
// the button pressed, -1 when the box was closed otherwise; none when it could not be shown.
std::optional<int> DrawnMessage(const std::string& text, const std::string& caption,
                                const std::vector<std::string>& buttons, const Waiter& wait,
                                const Owner& owner);

} // namespace platform::dialogs
