#include "src/core/ZozDialogs.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-wnd-appearance.h"
#include "kit/winl/winl-wnd-factory.h"
#include "kit/winl/winl-wnd.h"

namespace {

// A resource id as the layer compares it: the number in the pointer.
const char* resourceId(int id) {
    return reinterpret_cast<const char*>(intptr_t(id));
}

constexpr float kBankNameScale = 1.8f;

const WINL_DialogListEntry kBankNameControls[] = {
    {"__WINL_LABEL", -1, "Bank Name", -1, 10, 10, 200, 8, 0},
    {"__WINL_EDIT", 0, "", IDC_BANK_NAME, 10, 20, 200, 12, 0x10000},
    {"__WINL_BUTTON", 0, "&Cancel", 2, 160, 60, 50, 14, 0},
    {"__WINL_BUTTON", 0, "&OK", IDC_BANK_NAME_OK, 100, 60, 50, 14, 0},
};

WINL_DialogResourceIndex g_bankNameDialog{resourceId(IDD_PATCH_SAVE),
                                          "Enter Bank Name",
                                          WINL_DialogResourceIndex::kFlipped |
                                              WINL_DialogResourceIndex::kNoSizeToFit,
                                          WINL__dlg_cf__IDD_PATCH_SAVE,
                                          396,
                                          144,
                                          nullptr};
WINL_DialogResourceIndex* g_dialogResources = nullptr;

} // namespace

WINL_DialogResourceIndex* ZozDialogResources() {
    return g_dialogResources;
}

void ZozRegisterDialogResources() {
    for (const WINL_DialogResourceIndex* r = g_dialogResources; r; r = r->next)
        if (r == &g_bankNameDialog) return;
    g_bankNameDialog.next = g_dialogResources;
    g_dialogResources = &g_bankNameDialog;
}

void centerDialog(HWND parent, HWND dialog) {
    RECT p{}, d{};
    GetWindowRect(parent, &p);
    GetWindowRect(dialog, &d);
    const int x = p.left + (p.right - p.left) / 2 - (d.right - d.left) / 2;
    const int y = p.top + (p.bottom - p.top) / 2 - (d.bottom - d.top) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT MessageBoxProg(HWND dialog, unsigned int message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        CenterWindow(dialog);
        return 1;
    }
    if (message == WM_COMMAND) {
        if ((wParam & 0xFFFF) == 1) EndDialog(dialog, 1);
        return 1;
    }
    return 0;
}

int showMessageBox(HWND parent, Zoz* plug, int resourceId_, void*) {
    return WINL_DialogBox(g_dialogResources, resourceId(resourceId_), parent, MessageBoxProg,
                          reinterpret_cast<LPARAM>(plug));
}

void WINL__dlg_cf__IDD_PATCH_SAVE(HWND view, int flags) {
    WINL_MakeSetCurParms(kBankNameScale, kBankNameScale, 0, 0, view, false,
                         !(flags & WINL_DialogResourceIndex::kNoSizeToFit));
    WINL_GenerateDialogFromList(kBankNameControls, int(std::size(kBankNameControls)));
}
