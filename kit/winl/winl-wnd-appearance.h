#pragma once

// Dialogs made from lists of control records, how top-level windows look and stack, the
// focus-rectangle window, the application's presentation and opening through the desktop.
// A view stands for its window in the window calls. UI thread only.

#include "kit/winl/winl-dlg.h"

#include <cstdint>

// One control of a dialog list: nine words. Word 0 is a keyword ("__WINL_BUTTON",
// "__WINL_EDIT", "__WINL_COMBO", "__WINL_LISTBOX", "__WINL_GROUP", "__WINL_CHECKBOX",
// "__WINL_LABEL", compared exactly) or the text of a control made by class name, whose words
// are then (text, id, class name, style, x, y, w, h, ex-style). Keyword records give the maker
// (w1: default flag or alignment, w2: text, w3: id, w4..w7: x, y, w, h, w8: style).
struct WINL_DialogListEntry {
    const char* w0;
    intptr_t w1;
    const char* w2;
    intptr_t w3, w4, w5, w6, w7, w8;
};
// Makes each record's control with the factory's current settings; a record whose class name
// is empty is skipped.
void WINL_GenerateDialogFromList(const WINL_DialogListEntry* list, int count);

// The previous level; 0 for a handle without a window.
int WINL_SetWindowLevel(HWND hwnd, int level);
// How many levels a modeless window rises while the application is active; 0 for others.
int WINL_GetWindowWantRaiseAmt(HWND hwnd);
// A change moves the window's level at once while the application is active.
void WINL_SetWindowWantRaiseAmt(HWND hwnd, int amount);
void SetOpaque(HWND hwnd, bool opaque);
// A clear, non-opaque window.
void SetTransparent(HWND hwnd);
void WINL_SetWindowShadow(HWND hwnd, bool shadow);
// The window's file (null: none) and unsaved state, unless its content view has the property
// "WINL_DisableWindowRepre" set.
void WINL_SetWindowRepre(HWND hwnd, const char* file, bool dirty);
// The tag of the window's default button; 0 without one, or when it is disabled and
// onlyEnabled is set.
int WINL_GetDefaultButtonID(HWND hwnd, bool onlyEnabled);
// A translucent grey window over the rectangle (parent's client coordinates, or screen ones
// without a parent) kept in *handle: moved when it already lies above the same parent, else
// made anew; a null rect closes it. Nothing for a null handle.
void WINL_DrawFocusRect(HWND parent, const RECT* rect, HWND* handle);
// mode <= 0: the options first seen; 1: auto-hidden Dock and menu bar; 2 and more: hidden
// Dock, auto-hidden menu bar. 1 when done.
int WINL_SetAppAutoHideMenuAndDock(int mode);

// Opens a URL ("http://..."), a document with an application, a document or an application
// ("NAME.app"). "explorer.exe" as the file opens the parameters as a document; "notepad" and
// "notepad.exe" stand for "TextEdit.app". 1 on success, else 0.
int ShellExecute(HWND hwnd, const char* verb, const char* file, const char* params, const char* dir, int show);
