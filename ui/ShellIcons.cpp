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

bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.dwFileAttributes == b.dwFileAttributes && a.nFileSizeLow == b.nFileSizeLow &&
           a.nFileSizeHigh == b.nFileSizeHigh &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

const SmallIconCache::Entry* SmallIconCache::Use(const std::string& path) {
    auto found = entries_.find(path);
    if (found == entries_.end())
        return nullptr;
    found->second.used = true;
    return &found->second;
}

// A path counts as used when it is asked for, not when its answer comes:
// the answer to a build's question comes after that build's DropUnused.
void SmallIconCache::Store(const std::string& path, const WIN32_FILE_ATTRIBUTE_DATA& file,
                           int index) {
    entries_[path] = Entry{file, index, false};
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
