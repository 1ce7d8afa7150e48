#include "src/browser/BankChooser.h"

#include "kit/effect/IEffectBase.h"
#include "kit/effect/IGraphics.h"
#include "src/browser/BrowserPlugin.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

// The folder of the banks that lie directly in the patches folder, and of the search results.
const std::string kPatchesFolder = "Patches";

enum Shape {
    kFolders,    // a submenu per folder and per sub-folder, the patches folder's banks on top
    kCategories, // a submenu per category
    kSearch      // the banks on top, no submenus
};

using Banks = std::vector<PatchFile*>;
using Position = LibrarianHost::BankPosition;

struct Member {
    FolderTree PatchLibrarian::*tree;
    Banks PatchLibrarian::*banks;
    bool upper;
    // Written on a choice and searched by the plug-in's rebuilds.
    Position remembered;
    // Searched by the build at start-up.
    Position atStart;
    Shape shape;
};

using L = PatchLibrarian;
using H = LibrarianHost;
// By BankChooser::Row.
const Member kMembers[] = {
    {&L::soundTree, &L::soundBanks, true, H::kUpperSound, H::kUpperSound, kFolders},
    {&L::soundTree, &L::soundBanks, false, H::kLowerSound, H::kLowerSound, kFolders},
    {&L::multiTree, &L::multiBanks, true, H::kUpperMulti, H::kUpperMulti, kFolders},
    {&L::multiTree, &L::multiBanks, false, H::kLowerMulti, H::kLowerMulti, kFolders},
    {&L::patternTree, &L::patternBanks, true, H::kUpperPattern, H::kUpperPattern, kFolders},
    {&L::patternTree, &L::patternBanks, false, H::kLowerPattern, H::kLowerPattern, kFolders},
    {&L::categoryTree, &L::categoryBanks, false, H::kLowerSound, H::kLowerSound, kCategories},
    {&L::searchTree, &L::searchBanks, false, H::kLowerSound, H::kLowerSound, kSearch},
    {&L::multiTree, &L::multiBanks, true, H::kUpperMulti, H::kLowerMulti, kFolders},
    {&L::soundTree, &L::soundBanks, true, H::kUpperSound, H::kLowerSound, kFolders},
};

} // namespace

// The one check of a build goes to the first bank appended that is the remembered one or
// stands at the given running position.
struct BankChooser::CheckTest {
    int index;
    const std::string& name;
    const std::string& folder;
    int position = 0;
    bool checked = false;
};

BankChooser::BankChooser(IEffectBase* plug, PatchLibrarian* librarian, IRECT area,
                         BrowserPlugin* browser, Row row)
    : IControl(plug, area), m_librarian(librarian), m_browser(browser), m_row(row) {
    const Position start = kMembers[row].atStart;
    refreshFolderStructure(0, browser->rememberedFileName(start),
                           browser->rememberedFolder(start));
}

BankChooser::~BankChooser() = default;

bool BankChooser::isUpper() const {
    return kMembers[m_row].upper;
}

IPopupMenu* BankChooser::newMenu() {
    m_menus.push_back(std::make_unique<IPopupMenu>());
    return m_menus.back().get();
}

bool BankChooser::refreshFolderStructure(int index, const std::string& name,
                                         const std::string& folder) {
    for (int k : refill(index, name, folder)) {
        showBank(k, true);
        if (kMembers[m_row].shape == kFolders) checkMenuItemAlone(k);
    }
    return true;
}

std::vector<int> BankChooser::refill(int index, const std::string& name,
                                     const std::string& folder) {
    m_registered.clear();
    m_menus.clear();
    m_top = std::make_unique<IPopupMenu>();
    std::vector<int> matches;
    KIT_MutexLock lock(&m_librarian->mutex());
    CheckTest test{index, name, folder};
    build(test);
    const Banks& banks = m_librarian->*kMembers[m_row].banks;
    for (size_t k = 0; k < banks.size(); ++k)
        if (banks[k]->fileName == name && banks[k]->holdingFolder == folder)
            matches.push_back(int(k));
    return matches;
}

void BankChooser::rebuild(bool select) {
    const Position remembered = kMembers[m_row].remembered;
    const std::string& name = m_browser->rememberedFileName(remembered);
    const std::string& folder = m_browser->rememberedFolder(remembered);
    if (select)
        refreshFolderStructure(0, name, folder);
    else
        refill(0, name, folder);
}

void BankChooser::build(CheckTest& test) {
    const Shape shape = kMembers[m_row].shape;
    const FolderTree& tree = m_librarian->*kMembers[m_row].tree;
    for (size_t n = 0; n < tree.size(); ++n) {
        const FolderFiles& level1 = *tree[n];
        if (shape != kSearch)
            for (const SubFolderFiles& level2 : level1.subFolders)
                appendFolder(level2, shape == kFolders, test);
        const bool ownBanks =
            shape == kSearch || (shape == kFolders && level1.subFolders.empty());
        if (ownBanks)
            for (const PatchFile* bank : level1.files)
                appendBank(m_top.get(), bank->fileName, kPatchesFolder, test);
        // The category menu's top holds folders only, so it is listed without a folder.
        if (n + 1 == tree.size() && (ownBanks || shape == kCategories))
            m_registered.push_back({ownBanks ? kPatchesFolder : "", m_top.get()});
    }
}

void BankChooser::appendFolder(const SubFolderFiles& folder, bool subFolders, CheckTest& test) {
    IPopupMenu* folderMenu = newMenu();
    // Sub-folders come before the folder's own banks.
    for (size_t i = 0; subFolders && i < folder.subFolders.size(); ++i) {
        const SubFolderFiles2& subFolder = folder.subFolders[i];
        IPopupMenu* subFolderMenu = newMenu();
        for (const PatchFile* bank : subFolder.files)
            appendBank(subFolderMenu, bank->fileName, bank->holdingFolder, test);
        folderMenu->AddItem(subFolder.name.c_str(), subFolderMenu);
        m_registered.push_back({subFolder.name, subFolderMenu});
    }
    for (const PatchFile* bank : folder.files)
        appendBank(folderMenu, bank->fileName, bank->holdingFolder, test);
    m_top->AddItem(folder.name.c_str(), folderMenu);
    m_registered.push_back({folder.name, folderMenu});
}

void BankChooser::appendBank(IPopupMenu* menu, const std::string& fileName,
                             const std::string& folder, CheckTest& test) {
    menu->AddItem(fileName.c_str());
    if (!test.checked && ((fileName == test.name && folder == test.folder) ||
                          test.position == test.index)) {
        menu->CheckItemAlone(menu->GetNItems() - 1);
        test.checked = true;
    }
    ++test.position;
}

void BankChooser::checkMenuItemAlone(int index) {
    std::string fileName, folder;
    {
        KIT_MutexLock lock(&m_librarian->mutex());
        const Banks& banks = m_librarian->*kMembers[m_row].banks;
        if (index < 0 || size_t(index) >= banks.size()) return;
        fileName = banks[size_t(index)]->fileName;
        folder = banks[size_t(index)]->holdingFolder;
    }
    bool found = false;
    for (const Registered& r : m_registered) {
        r.menu->CheckItemAlone(-1);
        for (int j = 0; !found && r.name == folder && j < r.menu->GetNItems(); ++j) {
            if (fileName == r.menu->GetItemText(j)) {
                r.menu->CheckItemAlone(j);
                found = true;
            }
        }
    }
}

int BankChooser::doPopupMenu(int& index) {
    IGraphics* graphics = m_plug->GetGUI();
    const IPopupMenu* chosen = graphics ? graphics->CreateIPopupMenu(m_top.get(), &m_rect) : nullptr;
    if (!chosen) return 0;
    const int item = chosen->GetChosenItemIdx();
    std::string text, folder;
    bool handled = false;
    for (const Registered& r : m_registered) {
        r.menu->CheckItemAlone(-1);
        if (handled || r.menu != chosen) continue;
        handled = true;
        r.menu->CheckItemAlone(item);
        text = r.menu->GetItemText(item);
        folder = r.name;
        KIT_MutexLock lock(&m_librarian->mutex());
        const Banks& banks = m_librarian->*kMembers[m_row].banks;
        for (size_t k = 0; k < banks.size(); ++k) {
            if (banks[k]->holdingFolder == folder && banks[k]->fileName == text) {
                index = int(k);
                break;
            }
        }
    }
    const Position remembered = kMembers[m_row].remembered;
    m_browser->setRememberedFileName(remembered, text);
    m_browser->setRememberedFolder(remembered, folder);
    return index;
}

void BankChooser::showBank(int k, bool notify) {
    const int paramIdx = isUpper() ? kPatchSelectionListUpper : kPatchSelectionListLower;
    IParam* param = m_plug->GetParam(paramIdx);
    if (param) param->Set(k);
    if (IGraphics* graphics = m_plug->GetGUI(); notify && graphics)
        graphics->SetParameterFromPlug(paramIdx, k, false);
    // A control holds its parameter's normalized value.
    if (IControl* display = m_browser->keptControl(paramIdx); display && param)
        display->SetValueFromPlug(param->GetNormalized());
    (isUpper() ? m_librarian->upperBankIndex : m_librarian->lowerBankIndex) = k;
}

void BankChooser::chooseAndApply() {
    m_chosenBank = isUpper() ? m_librarian->upperBankIndex : m_librarian->lowerBankIndex;
    doPopupMenu(m_chosenBank);
    showBank(m_chosenBank, false);
}

void BankChooser::OnMouseDown(int, int, IMouseMod*) {
    chooseAndApply();
    if (LibrarianViewControl* grid = m_browser->getLibrarianView()) {
        if (isUpper())
            grid->patchSelectionUpperChanged();
        else
            grid->patchSelectionLowerChanged();
    }
    m_redraw = true;
    SetDirty(true);
}

bool BankChooser::Draw(IGraphics* graphics) {
    return graphics->FillIRect(&COLOR_TRANSPARENT, &m_rect, nullptr);
}
