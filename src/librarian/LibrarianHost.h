#pragma once

#include <string>

// What the librarian needs of the plug-in that owns it: its log, its data folder, its mode
// flags, the remembered banks of the bank menus and the save dialog.
class LibrarianHost {
public:
    // The six chooser positions whose last bank (file name and holding folder) the plug-in keeps.
    enum BankPosition {
        kUpperSound,
        kLowerSound,
        kUpperMulti,
        kLowerMulti,
        kUpperPattern,
        kLowerPattern
    };

    virtual ~LibrarianHost() = default;

    virtual bool isDebugLogOn() const = 0;
    virtual std::string logFilePath() const = 0;
    // The data folder, ending in "/".
    virtual std::string dataFolder() const = 0;
    virtual bool isMultiMode() const = 0;
    virtual bool isSequenceMode() const = 0;

    // The save dialog, allowing the one extension given: the chosen full path, or "" when the
    // user cancelled or no dialog can be shown.
    virtual std::string promptForSaveFile(const std::string& proposedName,
                                          const std::string& startFolder,
                                          const std::string& extension) = 0;
    virtual void setRememberedFileName(BankPosition position, const std::string& fileName) = 0;
    virtual void setRememberedFolder(BankPosition position, const std::string& folder) = 0;
    // A short message on the display's name line.
    virtual void showDisplayName(const std::string& text) = 0;
};
