#pragma once

// Standard dialogs: save, folder and open panels with an optional accessory dialog, and the
// Win32-style MessageBox. UI thread.

#include "kit/winl/winl-dlg.h"

#include <string>
#include <vector>

// The accessory dialog of the next file panel only: the record with the id in the list and
// its dialog procedure. It gets WM_DESTROY when the panel is done.
void BrowseFile_SetTemplate(const char* dlgid, DLGPROC dlgproc, WINL_DialogResourceIndex* reshead);
// A Win32 filter list (description and pattern strings, ended by an empty string) as the
// extensions its patterns name, without "*" ones.
std::vector<std::string> extensionsFromList(const char* extList);
// initialFile may carry the folder ("/name" is "name" in "/"); initialDir is the folder when it
// does not. True when a file was chosen; its path is copied as by lstrcpyn.
bool BrowseForSaveFile(const char* title, const char* initialDir, const char* initialFile,
                       const char* extList, char* buf, int bufSize);
bool BrowseForDirectory(const char* title, const char* initialDir, char* buf, int bufSize);
// A block for the caller to free(): one file as its path and two zero bytes; several as a zero
// byte, each path with its zero, and a zero. Null when cancelled.
char* BrowseForFiles(const char* title, const char* initialDir, const char* initialFile,
                     bool allowMultiple, const char* extList);

// Message-box types and answers (Win32 numbers).
enum : int { MB_OK = 0, MB_OKCANCEL = 1, MB_YESNOCANCEL = 3, MB_YESNO = 4, MB_RETRYCANCEL = 5 };
enum : int { IDRETRY = 4, IDYES = 6, IDNO = 7 };
// An application-modal alert with the caption as title and the text shown as written; the
// button's answer. Other types show nothing and answer 0.
int MessageBox(HWND hwnd, const char* text, const char* caption, int type);
