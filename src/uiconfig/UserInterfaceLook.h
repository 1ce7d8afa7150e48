#pragma once

// The editor's colour schemes (UserInterfaceStyle) and window sizes (UserInterfaceSize) by
// index, with the words the settings file gives them.
constexpr const char* kUserInterfaceStyleWords[] = {"yellow", "halloween", "blue", "red",
                                                    "phoenix"};

struct UserInterfaceSize {
    const char* word;
    double scale; // of the 1500 x 757 editor
};
constexpr UserInterfaceSize kUserInterfaceSizes[] = {
    {"small", 0.85}, {"normal", 1.0}, {"large", 1.15}};
