#include "ui/ShellIcons.h"

#include <shellapi.h>

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
    if (!SHGetFileInfoA(path, attributes, &info, sizeof info,
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
