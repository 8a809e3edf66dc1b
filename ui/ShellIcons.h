// The shell's small icons: its system image list and the index of a path's
// or a shell item's icon in it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <unordered_map>

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

// The small icons of paths in the file system, each asked of the shell once
// and reused while the file at the path stays as it was (the same
// attributes, size and time of last change). The shell takes milliseconds
// per path, so a menu of many entries is rebuilt without asking again for
// the paths it already showed. A path the shell cannot resolve (a missing
// file) is asked again each time: the file may have come since.
class SmallIconCache {
public:
    // SmallIconIndex(path), from the cache when the file has not changed.
    int PathIcon(const char* path);
    // Forgets the paths not asked for since the last call, so the cache
    // holds only what the latest build showed.
    void DropUnused();

    size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        WIN32_FILE_ATTRIBUTE_DATA file;
        int index;
        bool used;
    };
    std::unordered_map<std::string, Entry> entries_;
};
