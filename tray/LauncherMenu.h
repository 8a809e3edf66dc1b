// The launcher menu: the committed entries as a popup menu, every group a
// submenu, every file or URL entry an owner-drawn item with its shell icon.
// It owns the records and submenus its items point to.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "store/LaunchEntry.h"
#include "tray/MenuItemPool.h"
#include "ui/IconResolver.h"
#include "ui/Menu.h"

// Launcher menu commands are this plus the entry's id.
constexpr UINT LaunchCommandBase = 0x8200;

class LauncherMenu : private IconResolver::Client {
public:
    LauncherMenu() = default;
    ~LauncherMenu();
    LauncherMenu(const LauncherMenu&) = delete;
    LauncherMenu& operator=(const LauncherMenu&) = delete;

    // Frees the previous menu, then builds a new one from the table, which
    // is in tree order. Groups show the folder icon given, URLs the
    // resolver's internet-shortcut icon. A file shows the icon the resolver
    // kept for it, or none until the shell has answered; the answer then
    // fills in the item, in an open menu too. The icons of the top level,
    // which shows first, are asked first.
    void Rebuild(std::span<const LaunchEntry> table, int folderIconIndex);
    // Appends to the menu the entries of the table whose parent is the id
    // given, searching from the start index on; a group's entries go into a
    // submenu of its own.
    void AppendGroupEntries(HMENU menu, std::span<const LaunchEntry> table, int startIndex,
                            int parentId, int folderIconIndex);
    // Destroys the menu with its submenus and frees their records, which
    // a build whose menu could not be made holds as well.
    void Free();
    // A submenu is about to open: the icons its items still wait for are
    // asked before the others.
    void HurryIcons(HMENU submenu);
    // Asks the shell again for every file's icon, after the resolver forgot
    // them; the items keep showing their icons until the new ones come.
    void RefreshIcons();
    // The folder that relative paths of file entries are resolved against,
    // for their icons.
    void SetProgramFolder(std::string folder) { programFolder = std::move(folder); }

    HMENU Handle() const { return menu.Handle(); }
    explicit operator bool() const { return static_cast<bool>(menu); }
    const MenuItemPool& Pool() const { return pool; }
    // The resolver of file icons, shared with other views of the entries;
    // by default the menu's own. It must outlive the menu.
    void UseIcons(IconResolver* resolver);
    IconResolver& Icons() { return *icons; }

private:
    int IconGeneration() const override { return generation; }
    void ShowIcon(int key, int iconIndex) override;
    void AppendGroup(HMENU menu, std::span<const LaunchEntry> table, int index, MenuItemData* data,
                     int folderIconIndex);

    IconResolver ownIcons;
    IconResolver* icons = &ownIcons;
    // Counts the builds: an icon's answer reaches only the build that
    // asked. The key of an item is its record's place in the pool.
    int generation = 0;
    // The path whose icon each record shows, by its place; empty for groups
    // and URLs.
    std::vector<std::string> filePaths;
    // The menu goes before the records its items point to.
    MenuItemPool pool;
    PopupMenu menu;
    std::string programFolder;
};
