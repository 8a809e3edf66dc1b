#include "ui/ShellIcons.h"

#include <shellapi.h>

#include "ui/SystemCalls.h"

// The icon that comes with the question is not needed.
HIMAGELIST SmallSystemImageList() {
    SHFILEINFOA info{};
    auto list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_SMALLICON));
    if (info.hIcon)
        DestroyIcon(info.hIcon);
    return list;
}

// The shell answers 0 when it cannot resolve the path (a missing file
// without SHGFI_USEFILEATTRIBUTES); iIcon is not filled in then.
int SmallIconIndex(const char* path, DWORD attributes, UINT flags) {
    SHFILEINFOA info{};
    if (!System().getFileInfo(path, attributes, &info, sizeof info,
                              SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags))
        return -1;
    return info.iIcon;
}

// Every view of an entry shows the same icon: the list and the tray menu
// both ask here.
int FileIconIndex(const char* path) {
    int index = SmallIconIndex(path);
    if (index < 0)
        index = SmallIconIndex(path, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
    return index;
}

int UrlIconIndex() {
    return SmallIconIndex(".url", 0, SHGFI_USEFILEATTRIBUTES);
}

namespace {

bool SameFile(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.dwFileAttributes == b.dwFileAttributes && a.nFileSizeLow == b.nFileSizeLow &&
           a.nFileSizeHigh == b.nFileSizeHigh &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

} // namespace

int SmallIconCache::PathIcon(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA file{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &file)) {
        entries_.erase(path);
        return FileIconIndex(path);
    }
    auto found = entries_.find(path);
    if (found != entries_.end() && SameFile(found->second.file, file)) {
        found->second.used = true;
        return found->second.index;
    }
    int index = FileIconIndex(path);
    if (index < 0) {
        entries_.erase(path);
        return index;
    }
    entries_[path] = Entry{file, index, true};
    return index;
}

void SmallIconCache::DropUnused() {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (!it->second.used) {
            it = entries_.erase(it);
            continue;
        }
        it->second.used = false;
        ++it;
    }
}
