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

// The small icons of paths in the file system, as the shell last gave them,
// with the state of the file at that moment (attributes, size and time of
// last change), so that a changed file is asked again. Kept on the window's
// thread only; the icon resolver fills it from the shell's answers.
class SmallIconCache {
public:
    struct Entry {
        WIN32_FILE_ATTRIBUTE_DATA file;
        int index;
        bool used;
    };

    // The entry of the path, marked as used; null when none is kept.
    const Entry* Use(const std::string& path);
    void Store(const std::string& path, const WIN32_FILE_ATTRIBUTE_DATA& file, int index);
    void Forget(const std::string& path) { entries_.erase(path); }
    // Forgets the paths not used since the last call, so the cache holds
    // only what the latest build showed.
    void DropUnused();

    size_t Size() const { return entries_.size(); }

private:
    std::unordered_map<std::string, Entry> entries_;
};

// Whether the two states are of the same file, unchanged.
bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b);
