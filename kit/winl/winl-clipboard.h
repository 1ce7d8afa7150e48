#pragma once

// The Win32-style clipboard over the platform's pasteboards, and the queries on a dropped-file
// block (the block WM_DROPFILES carries). Clipboard formats are ids handed out by
// registration; text ("WINL__CF_TEXT") goes to and from the system clipboard, every other
// format through the layer's private pasteboard "WINL_APP". UI thread only.

#include "kit/winl/winl-misc.h"

typedef HGLOBAL HDROP;

// The id of the name (registered on first use, from 1 up).
unsigned int RegisterClipboardFormat(const char* name);
// Drops what was set and not yet written, and notes which registered formats the private
// pasteboard holds now. Always true.
bool OpenClipboard(HWND hwnd);
// 0: the first format noted at OpenClipboard; else the one after fmt; 0 at the end.
unsigned int EnumClipboardFormats(unsigned int fmt);
// A new block holding the format's data (text UTF-8 and terminated), owned by the clipboard
// until CloseClipboard; null when the format is unknown or absent.
HGLOBAL GetClipboardData(unsigned int fmt);
bool EmptyClipboard();
// The clipboard takes the handle over; CloseClipboard writes it.
HGLOBAL SetClipboardData(unsigned int fmt, HGLOBAL handle);
// Frees the blocks GetClipboardData gave, then writes what was set: to the system clipboard
// when text is among it, else to the private pasteboard.
bool CloseClipboard();

// Index 0xFFFFFFFF: the number of names. Else the length of name `index` (0 when there is
// none); with a buffer of size > 0, at most size - 1 bytes of it and a terminator are written
// and their length returned. Names are read only within the block.
unsigned int DragQueryFile(HDROP drop, unsigned int index, char* buf, int size);
// The drop point; true when it lies in the client area.
bool DragQueryPoint(HDROP drop, POINT* pt);
// The drop target frees the block: nothing to do.
void DragFinish(HDROP drop);
