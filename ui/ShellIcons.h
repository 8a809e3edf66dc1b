// The shell's small icons: its system image list and the index of a path's
// or a shell item's icon in it.
#pragma once

#include <windows.h>

#include <commctrl.h>

// The shell's small-icon system image list. It is the shell's, borrowed for
// the whole run: never destroy it.
HIMAGELIST SmallSystemImageList();

// The index in that list of the small icon the shell gives for the path
// with these file attributes and extra SHGFI_ flags (SHGFI_PIDL: the path is
// an item identifier list), or -1 when the shell gives none.
int SmallIconIndex(const char* path, DWORD attributes = 0, UINT flags = 0);

// The small icon of a file path: the file's own icon; for a path the shell
// cannot resolve (a missing file, an unreachable drive) the icon of its
// type, found by the name alone; -1 only when even that fails.
int FileIconIndex(const char* path);

// The internet-shortcut icon, shown for every URL whatever its scheme; -1
// when the shell has none.
int UrlIconIndex();
