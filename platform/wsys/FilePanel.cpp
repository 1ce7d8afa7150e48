#include "platform/wsys/FilePanel.h"

#include "platform/Clock.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/wsys/Application.h"

namespace platform::wsys {

namespace {

// While a chooser program runs, the application's timers and display go on in the modal
// mode; termination gives the chooser up.
bool waitModally(const std::function<bool()>& ended) {
    while (!ended()) {
        if (App().IsTerminated()) return false;
        RunLoop::Main().RunUntil(NowNanos() + 10'000'000, kModalPanelRunLoopMode);
    }
    return true;
}

int chooseWithLinuxChoosers(SavePanel& panel) {
    dialogs::FileRequest request;
    request.save = !panel.IsOpenPanel();
    request.folder = panel.Directory();
    request.proposedName = panel.NameFieldValue();
    request.extensions = panel.AllowedFileTypes();
    request.directory = panel.IsOpenPanel() && panel.CanChooseDirectories() && !panel.CanChooseFiles();
    request.multiple = panel.IsOpenPanel() && panel.AllowsMultipleSelection();
    const std::vector<std::string> chosen = dialogs::ChooseFiles(request, waitModally);
    panel.SetFilenames(chosen);
    return chosen.empty() ? 0 : 1;
}

FilePanelProvider& provider() {
    static FilePanelProvider p = chooseWithLinuxChoosers;
    return p;
}

} // namespace

SavePanel::SavePanel() : SavePanel(false) {}

SavePanel::SavePanel(bool open) : Panel(Rect(0, 0, 500, 400), kTitledWindowMask), m_open(open) {}

int SavePanel::RunModalForDirectory(const std::string& directory, const std::string& name) {
    m_directory = directory;
    m_name = name;
    m_filenames.clear();
    Ref<SavePanel> keep(this);
    const int answer = provider()(*this) == 1 ? 1 : 0;
    if (!answer) m_filenames.clear();
    return answer;
}

void SetFilePanelProvider(FilePanelProvider p) {
    provider() = p ? std::move(p) : chooseWithLinuxChoosers;
}

} // namespace platform::wsys
