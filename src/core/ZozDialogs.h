#pragma once

// The plug-in's dialogs on the windowing layer: centring, the message-dialog procedure, running
// a dialog resource modally, and the bank-name dialog resource, which the module's dialog list
// holds from load time on (nothing in the plug-in opens it yet). UI thread only.

#include "kit/winl/winl-dlg.h"

class Zoz;

// Resource and control ids of the bank-name dialog.
enum : int { IDD_PATCH_SAVE = 10014, IDC_BANK_NAME = 10013, IDC_BANK_NAME_OK = 10006 };

// The module's dialog resources (the bank-name dialog among them once registered).
WINL_DialogResourceIndex* ZozDialogResources();
// Puts the bank-name dialog in front of the list, once; the module does it when it is loaded.
void ZozRegisterDialogResources();
// Moves the dialog so that its centre lies over the parent's (each half truncated toward 0);
// size and stacking stay.
void centerDialog(HWND parent, HWND dialog);
// Message dialogs: centred on their owner when they open; only the command of id 1 ends them
// (with 1). Every command answers 1, everything else 0.
LRESULT MessageBoxProg(HWND dialog, unsigned int message, WPARAM wParam, LPARAM lParam);
// Runs the module's dialog resource modally over the parent with MessageBoxProg and the
// plug-in as creation parameter; its end code (-1 for an unknown resource).
int showMessageBox(HWND parent, Zoz* plug, int resourceId, void* extra);
// Makes the bank-name dialog's label, name field (IDC_BANK_NAME), "Cancel" (2) and "OK"
// (IDC_BANK_NAME_OK) at 1.8 pixels per unit, sized to fit unless flag 8 is set.
void WINL__dlg_cf__IDD_PATCH_SAVE(HWND view, int flags);
