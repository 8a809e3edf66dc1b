// The shell's icons of paths and shell folders, made into icons of the
// program's own at the sizes it draws. These calls wait for the file system
// (and a network path may not answer at all): the icon resolver makes them
// on its workers' threads, never on the window's.
//
// The shell says where an icon comes from (a file and the icon's place in
// it) and the icon is taken from there at the size wanted, so that the
// program never adds to the shell's system image list, which its window
// would draw from while a worker adds to it, and which costs some
// megabytes under Wine (five lists, the largest of 256-pixel icons).
#pragma once

#include <windows.h>

#include <string>

#include "ui/Icon.h"

// Where an icon comes from. A location names an icon file, program or
// library and the icon's index in it (negative: its resource id); a path
// the shell names no file for (an icon handler draws it) is asked of the
// shell itself, with the attributes and flags it was looked up with; a
// shell folder is asked by its CSIDL.
struct IconSource {
    enum class Kind { None, Location, ShellIcon, ShellFolder };
    Kind kind = Kind::None;
    std::string file;
    int index = 0;
    DWORD attributes = 0;
    UINT flags = 0;
    int csidl = 0;

    // Two sources with the same key give the same icon.
    std::string Key() const;
};

// The source of the icon the shell shows for a path: for the file itself
// (attributes 0), or, with SHGFI_USEFILEATTRIBUTES in the flags, for a file
// of its name's type with those attributes, without looking for the file.
// Kind None when the shell has no icon for it.
IconSource PathIconSource(const char* path, DWORD attributes = 0, UINT flags = 0);

// The source of a shell folder's icon (CSIDL_DRIVES, CSIDL_PERSONAL ...).
IconSource ShellFolderIconSource(int csidl);

// The icon from the source at a size in pixels; empty when it cannot be
// had. A location's file is read for the image made for that size (or the
// nearest one, scaled).
Icon IconFromSource(const IconSource& source, int size);

// The shell's icon of a document that has none of its own (the first icon
// of shell32.dll): what the shell shows when a location names a file
// without that icon.
IconSource DocumentIconSource();
