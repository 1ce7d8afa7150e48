#include "kit/winl/winl-miscdlg.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-menu.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Alert.h"
#include "platform/wsys/FilePanel.h"

#include <cstdlib>
#include <cstring>

namespace wsys = platform::wsys;

namespace {

constexpr size_t kMaxPath = 2047;
constexpr size_t kMaxExtension = 31;

struct Template {
    const char* dlgid = nullptr;
    DLGPROC dlgproc = nullptr;
    WINL_DialogResourceIndex* reshead = nullptr;
} g_template;

std::string limited(const char* s) {
    return s ? std::string(s, strnlen(s, kMaxPath)) : "";
}

// The folder and name to start in.
std::pair<std::string, std::string> startingPoint(const char* initialDir, const char* initialFile) {
    const std::string file = limited(initialFile);
    const size_t slash = file.rfind('/');
    std::string folder = slash == std::string::npos ? "" : slash == 0 ? "/" : file.substr(0, slash);
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    if (folder.empty()) folder = limited(initialDir);
    return {folder, name};
}

// One panel run: the accessory dialog from the template, the modal menu while it runs, the
// focused window's menu after.
class PanelRun {
public:
    PanelRun(wsys::SavePanel* panel, const char* title) : m_panel(panel) {
        panel->SetTitle(title ? title : "");
        if (g_template.dlgid)
            m_accessory = WINL_CreateDialog(g_template.reshead, g_template.dlgid, panel,
                                            g_template.dlgproc, 0);
        g_template = Template{};
        m_menu = WINL_DuplicateMenu(WINL_GetDefaultModalWindowMenu());
        WINL_SetCurrentMenu(m_menu);
    }
    ~PanelRun() {
        WINL_SetCurrentMenu(GetMenu(GetFocus()));
        DestroyMenu(m_menu);
        m_panel->Close();
    }
    // The chosen paths, none when cancelled.
    std::vector<std::string> Run(const std::string& folder, const std::string& name) {
        const bool ok = m_panel->RunModalForDirectory(folder, name) == 1;
        if (m_accessory) {
            wsys::Ref<wsys::Object> keep(m_accessory);
            SendMessage(m_accessory, WM_DESTROY, 0, 0);
            if (auto* v = dynamic_cast<wsys::View*>(m_accessory)) v->RemoveFromSuperview();
            m_panel->SetAccessoryView(nullptr);
        }
        std::vector<std::string> paths = ok ? m_panel->Filenames() : std::vector<std::string>{};
        for (std::string& p : paths)
            p.resize(std::min(p.size(), kMaxPath));
        return paths;
    }

private:
    wsys::Ref<wsys::SavePanel> m_panel;
    HWND m_accessory = nullptr;
    HMENU m_menu = nullptr;
};

} // namespace

void BrowseFile_SetTemplate(const char* dlgid, DLGPROC dlgproc, WINL_DialogResourceIndex* reshead) {
    g_template = Template{dlgid, dlgproc, reshead};
}

std::vector<std::string> extensionsFromList(const char* extList) {
    std::vector<std::string> types;
    for (const char* p = extList; p && *p;) {
        const char* pattern = p + strlen(p) + 1;
        if (!*pattern) break;
        p = pattern + strlen(pattern) + 1;
        for (const char* q = pattern;;) {
            const char* dot = strchr(q, '.');
            if (!dot) break;
            std::string extension(dot + 1, strnlen(dot + 1, kMaxExtension));
            extension = extension.substr(0, extension.find(';'));
            if (!extension.empty() && extension[0] != '*') types.push_back(extension);
            const char* semicolon = strchr(dot + 1, ';');
            if (!semicolon) break;
            q = semicolon + 1;
        }
    }
    return types;
}

bool BrowseForSaveFile(const char* title, const char* initialDir, const char* initialFile,
                       const char* extList, char* buf, int bufSize) {
    wsys::Ref<wsys::SavePanel> panel = wsys::Make<wsys::SavePanel>();
    PanelRun run(panel.get(), title);
    panel->SetAllowedFileTypes(extensionsFromList(extList));
    const auto [folder, name] = startingPoint(initialDir, initialFile);
    const std::vector<std::string> chosen = run.Run(folder, name);
    if (chosen.empty() || chosen.front().empty()) return false;
    lstrcpyn(buf, chosen.front().c_str(), bufSize);
    return true;
}

bool BrowseForDirectory(const char* title, const char* initialDir, char* buf, int bufSize) {
    wsys::Ref<wsys::OpenPanel> panel = wsys::Make<wsys::OpenPanel>();
    PanelRun run(panel.get(), title);
    panel->SetCanChooseFiles(false);
    panel->SetCanChooseDirectories(true);
    panel->SetCanCreateDirectories(true);
    panel->SetResolvesAliases(true);
    const std::vector<std::string> chosen = run.Run(limited(initialDir), "");
    if (chosen.empty()) return false;
    lstrcpyn(buf, chosen.front().c_str(), bufSize);
    return true;
}

char* BrowseForFiles(const char* title, const char* initialDir, const char* initialFile,
                     bool allowMultiple, const char* extList) {
    wsys::Ref<wsys::OpenPanel> panel = wsys::Make<wsys::OpenPanel>();
    PanelRun run(panel.get(), title);
    panel->SetAllowsMultipleSelection(allowMultiple);
    panel->SetCanChooseFiles(true);
    panel->SetCanChooseDirectories(false);
    panel->SetResolvesAliases(true);
    panel->SetAllowedFileTypes(extensionsFromList(extList));
    const auto [folder, name] = startingPoint(initialDir, initialFile);
    std::vector<std::string> chosen = run.Run(folder, name);
    if (chosen.empty()) return nullptr;
    if (chosen.size() == 1 || !allowMultiple) chosen.resize(1);
    std::string block = chosen.size() == 1 ? "" : std::string(1, '\0');
    for (const std::string& path : chosen)
        block += path + '\0';
    block += '\0';
    char* out = static_cast<char*>(malloc(block.size()));
    if (out) memcpy(out, block.data(), block.size());
    return out;
}

namespace {

// The buttons of each message-box type, default first, and their answers.
struct MessageBoxKind {
    int type;
    const char* buttons[3];
    int answers[3];
};
const MessageBoxKind kMessageBoxKinds[] = {
    {MB_OK, {"OK", "", ""}, {IDOK, 0, 0}},
    {MB_OKCANCEL, {"OK", "Cancel", ""}, {IDOK, IDCANCEL, 0}},
    {MB_YESNOCANCEL, {"Yes", "Cancel", "No"}, {IDYES, IDCANCEL, IDNO}},
    {MB_YESNO, {"Yes", "No", ""}, {IDYES, IDNO, 0}},
    {MB_RETRYCANCEL, {"Retry", "Cancel", ""}, {IDRETRY, IDCANCEL, 0}},
};

} // namespace

int MessageBox(HWND, const char* text, const char* caption, int type) {
    for (const MessageBoxKind& kind : kMessageBoxKinds) {
        if (kind.type != type) continue;
        const int answer = wsys::RunAlertPanel(caption ? caption : "", text ? text : "",
                                               kind.buttons[0], kind.buttons[1], kind.buttons[2]);
        const int index = answer == wsys::kAlertDefaultReturn ? 0 : answer == wsys::kAlertAlternateReturn ? 1 : 2;
        return kind.answers[index];
    }
    return 0;
}
