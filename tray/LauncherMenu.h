// The launcher menu: the committed entries as a popup menu, every group a
// submenu, every file or URL entry an owner-drawn item with its shell icon.
// It owns the records and submenus its items point to.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <utility>

#include "store/LaunchEntry.h"
#include "tray/MenuItemPool.h"
#include "ui/Menu.h"
#include "ui/ShellIcons.h"

// Launcher menu commands are this plus the entry's id.
constexpr UINT LaunchCommandBase = 0x8200;

class LauncherMenu {
public:
    // Frees the previous menu, then builds a new one from the table, which
    // is in tree order. Groups show the folder icon given. The icons of
    // files that the previous builds showed are reused while the files are
    // unchanged; the URL icon is asked once per build.
    void Rebuild(std::span<const LaunchEntry> table, int folderIconIndex);
    // Appends to the menu the entries of the table whose parent is the id
    // given, searching from the start index on; a group's entries go into a
    // submenu of its own.
    void AppendGroupEntries(HMENU menu, std::span<const LaunchEntry> table, int startIndex,
                            int parentId, int folderIconIndex);
    // Destroys the menu with its submenus and frees their records, which
    // a build whose menu could not be made holds as well.
    void Free();
    // The folder that relative paths of file entries are resolved against,
    // for their icons.
    void SetProgramFolder(std::string folder) { programFolder = std::move(folder); }

    HMENU Handle() const { return menu.Handle(); }
    explicit operator bool() const { return static_cast<bool>(menu); }
    const MenuItemPool& Pool() const { return pool; }
    const SmallIconCache& Icons() const { return icons; }

private:
    void AppendGroup(HMENU menu, std::span<const LaunchEntry> table, int index, MenuItemData* data,
                     int folderIconIndex);
    int UrlIconIndex();

    // Kept across builds: the shell is slow to answer.
    SmallIconCache icons;
    // The internet-shortcut icon every URL shows; kUnknownIcon until asked
    // in the current build.
    static constexpr int kUnknownIcon = -2;
    int urlIconIndex = kUnknownIcon;
    // The menu goes before the records its items point to.
    MenuItemPool pool;
    PopupMenu menu;
    std::string programFolder;
};
