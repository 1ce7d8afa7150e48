#pragma once

#include "platform/wsys/Window.h"

#include <functional>
#include <string>
#include <vector>

namespace platform::wsys {

// The save panel and, as a kind of it, the open panel: what the caller set up (title, allowed
// file types without the dot, folder, proposed name, accessory view, selection rules) and,
// after an OK, the chosen paths. Running it asks the file-panel provider, which stands for
// the person at the panel.
class SavePanel : public Panel, public AccessoryPanel {
public:
    SavePanel();

    View* AccessoryView() const override { return m_accessory.get(); }
    void SetAccessoryView(View* v) override { m_accessory = v; }
    const std::vector<std::string>& AllowedFileTypes() const { return m_types; }
    void SetAllowedFileTypes(const std::vector<std::string>& types) { m_types = types; }
    const std::string& Directory() const { return m_directory; }
    const std::string& NameFieldValue() const { return m_name; }

    bool IsOpenPanel() const { return m_open; }
    bool AllowsMultipleSelection() const { return m_multiple; }
    void SetAllowsMultipleSelection(bool on) { m_multiple = on; }
    bool CanChooseFiles() const { return m_files; }
    void SetCanChooseFiles(bool on) { m_files = on; }
    bool CanChooseDirectories() const { return m_directories; }
    void SetCanChooseDirectories(bool on) { m_directories = on; }
    bool CanCreateDirectories() const { return m_createDirectories; }
    void SetCanCreateDirectories(bool on) { m_createDirectories = on; }
    bool ResolvesAliases() const { return m_resolvesAliases; }
    void SetResolvesAliases(bool on) { m_resolvesAliases = on; }

    // Starts in the folder with the name proposed (either may be empty), runs modally and
    // answers 1 for OK, 0 for cancel.
    int RunModalForDirectory(const std::string& directory, const std::string& name);
    // The paths chosen by the last OK.
    const std::vector<std::string>& Filenames() const { return m_filenames; }
    // The provider's answer.
    void SetFilenames(const std::vector<std::string>& paths) { m_filenames = paths; }

protected:
    explicit SavePanel(bool open);

private:
    Ref<View> m_accessory;
    std::vector<std::string> m_types;
    std::string m_directory;
    std::string m_name;
    std::vector<std::string> m_filenames;
    bool m_open;
    bool m_multiple = false;
    bool m_files = true;
    bool m_directories = false;
    bool m_createDirectories = false;
    bool m_resolvesAliases = true;
};

class OpenPanel : public SavePanel {
public:
    OpenPanel() : SavePanel(true) {}
};

// Answers a running panel: 1 with the chosen paths set on it, or 0.
using FilePanelProvider = std::function<int(SavePanel& panel)>;
// Null restores the default: the Linux file choosers, which cannot show an accessory view.
void SetFilePanelProvider(FilePanelProvider provider);

} // namespace platform::wsys
