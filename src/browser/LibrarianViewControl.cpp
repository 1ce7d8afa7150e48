#include "src/browser/LibrarianViewControl.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IEffectBase.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ISysEx.h"
#include "kit/effect/ITextControl.h"
#include "src/browser/BrowserPlugin.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdio>

namespace {

constexpr int kRows = 16;
// At the normal size: a column every 129 pixels, its slots as wide as their bands in the
// artwork, so that a name of 16 characters fits beside its inset in each of the seven columns
// a bank of 100 takes.
constexpr int kColumnPitch = 129, kSlotWidth = 127, kNameInset = 4;
const IColor kSelectionFill(255, 225, 225, 225);

// The grids' layout at a UI scale, every conversion truncating; the small and large sizes
// get the extra pixels that line them up with the page's artwork.
struct GridGeometry {
    explicit GridGeometry(double s)
        : scale(s), rowHeight(int(14 * s) + (s < 1 ? 1 : 0)), slotWidth(int(kSlotWidth * s)),
          upperTop(int(s) + (s != 1.0 ? 1 : 0)),
          lowerTop(int(274 * s) + (s < 1 ? 2 : s > 1 ? 1 : 0)), textSize(int(13 * s)) {}

    IRECT slotRect(int x, int y, int top, int slot) const {
        const int left = x + int(slot / kRows * kColumnPitch * scale);
        const int t = y + top + slot % kRows * rowHeight;
        return IRECT(left, t, left + slotWidth, t + rowHeight);
    }

    double scale;
    int rowHeight, slotWidth, upperTop, lowerTop, textSize;
};

IText slotText(int size) {
    IText text;
    snprintf(text.mFont, sizeof text.mFont, "%s", "NK57 Monospace");
    text.mSize = size;
    text.mColor = COLOR_WHITE;
    text.mStyle = IText::kStyleNormal;
    text.mAlign = IText::kAlignNear;
    return text;
}

void setTextRGB(ITextControl& slot, int v) {
    IColor& c = slot.GetText()->mColor;
    c.R = c.G = c.B = v;
}

} // namespace

LibrarianViewControl::LibrarianViewControl(IEffectBase* plug, BrowserPlugin* browser, int x, int y,
                                           int paramIdx, const IBitmap* background,
                                           IRECT targetArea, PatchLibrarian* librarian,
                                           double scale)
    : CustomOverlayControl(plug, x, y, paramIdx, background, targetArea), m_browser(browser),
      m_librarian(librarian), m_slotWidth(int(kSlotWidth * scale)),
      m_slotHeight(int(14 * scale)), m_nameInset(int(kNameInset * scale)) {
    const GridGeometry geometry(scale);
    const IText text = slotText(geometry.textSize);
    const int tops[] = {geometry.upperTop, geometry.lowerTop};
    for (int side : {kUpper, kLower}) {
        for (int i = 0; i < kSlotCount; ++i)
            m_slots[side][i] = std::make_unique<ITextControl>(
                plug, geometry.slotRect(x, y, tops[side], i), &text, "");
        reload(side);
    }
}

LibrarianViewControl::~LibrarianViewControl() = default;

PatchFile* LibrarianViewControl::shownBank(int side) const {
    std::vector<PatchFile*>* list = m_librarian->bankList(m_librarian->currentType);
    int index = m_librarian->upperBankIndex;
    if (list && side == kLower) {
        if (m_browser->isCategoryView())
            list = &m_librarian->categoryBanks;
        else if (m_browser->isSearchView())
            list = &m_librarian->searchBanks;
        index = m_librarian->lowerBankIndex;
    }
    if (!list || unsigned(index) >= list->size()) return nullptr;
    return (*list)[size_t(index)];
}

void LibrarianViewControl::patchSelectionUpperChanged() {
    reload(kUpper);
}

void LibrarianViewControl::patchSelectionLowerChanged() {
    reload(kLower);
}

void LibrarianViewControl::reload(int side) {
    {
        KIT_MutexLock lock(&m_librarian->mutex());
        // A list without the bank shows no names, not those of a bank that is gone.
        const PatchFile* bank = shownBank(side);
        for (int i = 0; i < kSlotCount; ++i) {
            const bool filled = bank && size_t(i) < bank->entries.size();
            m_slots[side][i]->SetTextFromPlug(filled ? bank->entries[size_t(i)].name.c_str() : "");
        }
    }
    // Set after the texts, so that a draw that misses them finds the flag set again.
    m_reloaded = true;
}

bool LibrarianViewControl::IsDirty() {
    return IControl::IsDirty() || m_reloaded;
}

int LibrarianViewControl::hitSlot(int side, int x, int y) const {
    int hit = -1;
    for (int i = 0; i < kSlotCount; ++i)
        if (m_slots[side][i]->GetRECT().Contains(x, y)) hit = i;
    return hit;
}

int LibrarianViewControl::selectOn(int side, int x, int y) {
    const int hit = hitSlot(side, x, y);
    m_selected[side] = hit;
    if (hit >= 0) m_activeSide = side;
    return hit;
}

int LibrarianViewControl::selectSlotAt(int x, int y, bool grayOut) {
    const int upper = selectOn(kUpper, x, y);
    const int lower = selectOn(kLower, x, y);
    ControlLayer* saveCommands = m_browser->getSaveChangesLayer();
    if (grayOut && saveCommands) {
        if (upper >= 0) saveCommands->GrayOut(false);
        if (lower >= 0) saveCommands->GrayOut(true);
    }
    return lower >= 0 ? lower : upper;
}

void LibrarianViewControl::OnMouseDown(int x, int y, IMouseMod* mod) {
    if (!mod) return;
    if (mod->R) {
        // A right click selects for the slot menus but leaves focus and arrow keys alone.
        SetDirty(true);
        selectSlotAt(x, y, true);
        m_librarian->upperSlotIndex = m_selected[kUpper].load();
        m_librarian->lowerSlotIndex = m_selected[kLower].load();
        if (m_selected[kUpper] >= 0)
            m_browser->showFileEditMenu(x, y);
        else
            m_browser->showFileCopyMenu(x, y);
        return;
    }
    if (!mod->L) return;
    m_browser->setGridFocus(true);
    // Abandons a rename that was started and not entered.
    if (ControlLayer* rename = m_browser->getPatchRenameLayer()) rename->Hide(true);
    SetDirty(true);
    m_currentSlot = selectSlotAt(x, y, true);
    m_librarian->upperSlotIndex = m_selected[kUpper].load();
    m_librarian->lowerSlotIndex = m_selected[kLower].load();
}

void LibrarianViewControl::OnMouseDblClick(int x, int y, IMouseMod*) {
    m_browser->setGridFocus(true);
    SetDirty(true);
    const IParam* output = m_plug ? m_plug->GetParam(kDeviceOutSelection) : nullptr;
    if (!output || int(output->Value()) == 0) return;
    const int hit = selectSlotAt(x, y, true);
    m_currentSlot = hit;
    m_selected[m_activeSide] = hit;
    if (hit >= 0) m_browser->sendPatchToDeviceFromLibrarian(hit, m_activeSide, m_browser->getCurrentPart());
}

bool LibrarianViewControl::OnKeyDown(int, int, int key) {
    m_browser->setGridFocus(true);
    const int c = m_currentSlot;
    int n;
    switch (key) {
    case 1: // up
        n = c > 0 ? c - 1 : kSlotCount - 1;
        break;
    case 2: // down
        n = c < kSlotCount - 1 ? c + 1 : 0;
        break;
    case 3: // left
        n = c < kRows ? c + kSlotCount - kRows : c - kRows;
        break;
    case 4: // right
        n = c + kRows <= kSlotCount - 1 ? c + kRows : c - (kSlotCount - kRows);
        break;
    default:
        return false;
    }
    m_currentSlot = n;
    m_selected[m_activeSide] = n;
    SetDirty(true);
    m_browser->sendPatchToDeviceFromLibrarian(n, m_activeSide, m_browser->getCurrentPart());
    return true;
}

void LibrarianViewControl::OnMouseDrag(int x, int y, int, int, IMouseMod*) {
    SetDirty(true);
    if (!m_dragEnabled) return;
    const int left = x - m_slotWidth / 2, top = y - m_slotHeight / 2;
    m_dragRect = IRECT(left, top, left + m_slotWidth, top + m_slotHeight);
    if (m_dragging) return;
    m_selected[kUpper] = hitSlot(kUpper, x, y);
    m_selected[kLower] = hitSlot(kLower, x, y);
    // Not a drag until the pointer has been over a lower slot.
    if (m_selected[kLower] < 0) return;
    m_dragging = true;
    m_sourceSlot = m_selected[kLower];
}

void LibrarianViewControl::OnMouseUp(int x, int y, IMouseMod*) {
    SetDirty(true);
    if (!m_dragging) return;
    m_dragging = false;
    selectSlotAt(x, y, false);
    const int target = m_selected[kUpper];
    m_librarian->dropTargetIndex = target;
    m_librarian->upperSlotIndex = target;
    if (target < 0) return;
    std::optional<LibrarianPatch> entry;
    {
        KIT_MutexLock lock(&m_librarian->mutex());
        const PatchFile* bank = shownBank(kLower);
        if (bank && unsigned(m_sourceSlot) < bank->entries.size())
            entry = bank->entries[size_t(m_sourceSlot)];
    }
    if (entry) replay(*entry);
}

void LibrarianViewControl::CopySlotData(int x, int y) {
    m_sourceSlot = selectOn(kLower, x, y);
    m_copied.reset();
    KIT_MutexLock lock(&m_librarian->mutex());
    const PatchFile* bank = shownBank(kLower);
    if (bank && unsigned(m_sourceSlot) < bank->entries.size())
        m_copied = bank->entries[size_t(m_sourceSlot)];
}

void LibrarianViewControl::PasteSlotData(int x, int y) {
    SetDirty(true);
    const int target = selectOn(kUpper, x, y);
    m_librarian->dropTargetIndex = target;
    m_librarian->upperSlotIndex = target;
    if (target >= 0 && m_copied) replay(*m_copied);
}

void LibrarianViewControl::replay(const LibrarianPatch& entry) {
    m_browser->SetLibrarianRequestActive(true);
    bool stored = false;
    for (const PatchSysexMessage& dump : entry.dumps) {
        ISysEx sysex(0, dump.bytes.data(), dump.size());
        stored = m_browser->ProcessSysExInternal(&sysex) || stored;
    }
    // Only a stored entry changes the bank; otherwise no collection may stay armed to catch
    // an unrelated dump later.
    if (stored)
        m_browser->SetLibrarianStatusUnsaved(true);
    else
        m_browser->DisarmLibrarianRequests();
}

void LibrarianViewControl::renameSlot(int, int) {
    m_browser->setGridFocus(false);
    const int slot = m_selected[kUpper];
    if (slot < 0) return;
    m_activeSide = kUpper;
    std::string name;
    {
        KIT_MutexLock lock(&m_librarian->mutex());
        PatchFile* bank = shownBank(kUpper);
        if (!bank) return;
        if (bank->entries.size() < size_t(kSlotCount)) bank->entries.resize(kSlotCount);
        if (unsigned(slot) >= bank->entries.size() || bank->entries[size_t(slot)].dumps.empty())
            return;
        name = bank->entries[size_t(slot)].name;
    }
    if (IParam* rename = m_plug ? m_plug->GetParam(kPatchRename) : nullptr)
        rename->SetDisplayText(0, name.c_str());
    if (ControlLayer* layer = m_browser->getPatchRenameLayer()) layer->Hide(false);
}

void LibrarianViewControl::drawGrid(IGraphics* graphics, int side) {
    const int selected = m_selected[side];
    const bool shown = selected >= 0 && selected < kSlotCount;
    if (shown) graphics->FillIRect(&kSelectionFill, &m_slots[side][selected]->GetRECT(), nullptr);
    for (int i = 0; i < kSlotCount; ++i) {
        ITextControl& slot = *m_slots[side][i];
        const std::string name = slot.GetTextForPlug();
        if (name.empty()) continue;
        IRECT inside = slot.GetRECT();
        inside.L += m_nameInset;
        if (i == selected) setTextRGB(slot, 0);
        graphics->DrawIText(slot.GetText(), name.c_str(), &inside, false);
        if (i == selected) setTextRGB(slot, 255);
    }
}

bool LibrarianViewControl::Draw(IGraphics* graphics) {
    m_reloaded = false;
    IBitmapControl::Draw(graphics);
    {
        // A reload on another thread is never drawn half done.
        KIT_MutexLock lock(&m_librarian->mutex());
        drawGrid(graphics, kUpper);
        drawGrid(graphics, kLower);
    }
    if (m_dragging) graphics->FillIRect(&kSelectionFill, &m_dragRect, nullptr);
    return true;
}
