#include "ui/ShellIcons.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "ui/SystemCalls.h"

namespace {

// A location may name its file with environment variables
// (%SystemRoot%\system32\imageres.dll) or by its name alone (url.dll); the
// file is then looked for where the system looks for programs.
std::string FullIconFile(const char* file) {
    char expanded[MAX_PATH] = {};
    DWORD length = ExpandEnvironmentStringsA(file, expanded, MAX_PATH);
    std::string path = length > 0 && length <= MAX_PATH ? expanded : file;
    if (!PathIsRelativeA(path.c_str()))
        return path;
    char found[MAX_PATH] = {};
    DWORD foundLength = SearchPathA(nullptr, path.c_str(), nullptr, MAX_PATH, found, nullptr);
    return foundLength > 0 && foundLength < MAX_PATH ? found : path;
}

// An icon drawn by an icon handler has no file to name: the shell answers
// that it failed, or names none, or "*".
bool NamesAFile(const char* name) {
    return name[0] != '\0' && lstrcmpA(name, "*") != 0;
}

IconSource LocationOf(const char* path, DWORD attributes, UINT flags) {
    SHFILEINFOA info{};
    IconSource source;
    if (System().getFileInfo(path, attributes, &info, sizeof info, SHGFI_ICONLOCATION | flags) &&
        NamesAFile(info.szDisplayName)) {
        source.kind = IconSource::Kind::Location;
        source.file = FullIconFile(info.szDisplayName);
        source.index = info.iIcon;
    }
    return source;
}

// The shell's icon comes at its small or large size; another size is made
// from the nearer one.
Icon ShellIconAtSize(const char* path, DWORD attributes, UINT flags, int size) {
    SHFILEINFOA info{};
    UINT which = size > GetSystemMetrics(SM_CXSMICON) ? SHGFI_LARGEICON : SHGFI_SMALLICON;
    if (!System().getFileInfo(path, attributes, &info, sizeof info, SHGFI_ICON | which | flags) ||
        !info.hIcon)
        return Icon();
    Icon icon(info.hIcon);
    ICONINFO parts{};
    if (!GetIconInfo(icon.Get(), &parts))
        return Icon();
    BITMAP bitmap{};
    GetObjectA(parts.hbmColor ? parts.hbmColor : parts.hbmMask, sizeof bitmap, &bitmap);
    if (parts.hbmColor)
        DeleteObject(parts.hbmColor);
    if (parts.hbmMask)
        DeleteObject(parts.hbmMask);
    if (bitmap.bmWidth == size)
        return icon;
    return Icon(static_cast<HICON>(CopyImage(icon.Get(), IMAGE_ICON, size, size, 0)));
}

class ItemIdList {
public:
    explicit ItemIdList(int csidl) { SHGetSpecialFolderLocation(nullptr, csidl, &pidl_); }
    ~ItemIdList() {
        if (pidl_)
            ILFree(pidl_);
    }
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    const char* AsPath() const { return reinterpret_cast<const char*>(pidl_); }
    explicit operator bool() const { return pidl_ != nullptr; }

private:
    LPITEMIDLIST pidl_ = nullptr;
};

} // namespace

std::string IconSource::Key() const {
    std::string key;
    switch (kind) {
    case Kind::None:
        return key;
    case Kind::Location:
        key = file;
        if (!key.empty())
            CharLowerBuffA(key.data(), static_cast<DWORD>(key.size()));
        return key + "," + std::to_string(index);
    case Kind::ShellIcon:
        // A type's icon, found by the name alone, is the same for every
        // name of that type.
        key = flags & SHGFI_USEFILEATTRIBUTES
                  ? std::string("type:") + PathFindExtensionA(file.c_str())
                  : "shell:" + file;
        CharLowerBuffA(key.data(), static_cast<DWORD>(key.size()));
        return key + "|" + std::to_string(attributes) + "|" + std::to_string(flags);
    case Kind::ShellFolder:
        return "folder:" + std::to_string(csidl);
    }
    return key;
}

IconSource PathIconSource(const char* path, DWORD attributes, UINT flags) {
    IconSource source = LocationOf(path, attributes, flags);
    if (source.kind == IconSource::Kind::None) {
        source.kind = IconSource::Kind::ShellIcon;
        source.file = path;
        source.attributes = attributes;
        source.flags = flags;
    }
    return source;
}

IconSource DocumentIconSource() {
    char system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(system, MAX_PATH);
    IconSource source;
    if (length == 0 || length >= MAX_PATH)
        return source;
    source.kind = IconSource::Kind::Location;
    source.file = std::string(system) + "\\shell32.dll";
    source.index = 0;
    return source;
}

IconSource ShellFolderIconSource(int csidl) {
    ItemIdList folder(csidl);
    IconSource source;
    if (!folder)
        return source;
    source = LocationOf(folder.AsPath(), 0, SHGFI_PIDL);
    if (source.kind == IconSource::Kind::None) {
        source.kind = IconSource::Kind::ShellFolder;
        source.csidl = csidl;
    }
    return source;
}

Icon IconFromSource(const IconSource& source, int size) {
    switch (source.kind) {
    case IconSource::Kind::None:
        return Icon();
    case IconSource::Kind::Location: {
        HICON icon = nullptr;
        if (System().extractIcon(source.file.c_str(), source.index, 0, &icon, nullptr,
                                 MAKELONG(size, size)) != S_OK) {
            if (icon)
                DestroyIcon(icon);
            return Icon();
        }
        return Icon(icon);
    }
    case IconSource::Kind::ShellIcon:
        return ShellIconAtSize(source.file.c_str(), source.attributes, source.flags, size);
    case IconSource::Kind::ShellFolder: {
        ItemIdList folder(source.csidl);
        if (!folder)
            return Icon();
        return ShellIconAtSize(folder.AsPath(), 0, SHGFI_PIDL, size);
    }
    }
    return Icon();
}
