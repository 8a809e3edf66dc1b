#include "tray/LauncherMenu.h"

#include <shellapi.h>

#include "tray/OwnerDraw.h"
#include "ui/EntryPath.h"
#include "ui/SystemCalls.h"

namespace {

UINT LaunchCommand(const LaunchEntry& entry) {
    return LaunchCommandBase + static_cast<UINT>(entry.id);
}

} // namespace

LauncherMenu::~LauncherMenu() {
    icons->Forget(this);
}

void LauncherMenu::UseIcons(IconResolver* resolver) {
    IconResolver* chosen = resolver ? resolver : &ownIcons;
    if (chosen == icons)
        return;
    icons->Forget(this);
    icons = chosen;
}

void LauncherMenu::ShowIcon(int key, int iconIndex) {
    MenuItemData* data = pool.ItemDataAt(key);
    if (!data || data->iconIndex == iconIndex)
        return;
    data->iconIndex = iconIndex;
    // A menu that is open shows the icons that have come since it was drawn.
    RepaintOpenMenus();
}

// A launcher without entries shows the grayed placeholder an empty group
// shows: a click on the icon that opened nothing would look like a program
// that does not answer. It has no command, since it cannot be chosen.
void LauncherMenu::Rebuild(std::span<const LaunchEntry> table, int folderIconIndex) {
    Free();
    menu.Attach(System().createPopupMenu());
    AppendGroupEntries(menu.Handle(), table, 0, kParentTopLevel, folderIconIndex);
    if (menu && menu.Count() == 0)
        AppendMenuA(menu.Handle(), MF_OWNERDRAW | MF_GRAYED, 0, nullptr);
    icons->DropUnused();
}

// The table is in tree order, so a group's entries all follow it; the
// search for them starts right after the group.
void LauncherMenu::AppendGroupEntries(HMENU target, std::span<const LaunchEntry> table,
                                      int startIndex, int parentId, int folderIconIndex) {
    int count = static_cast<int>(table.size());
    for (int i = startIndex; i < count; ++i) {
        const LaunchEntry& entry = table[i];
        if (entry.parent != parentId)
            continue;
        if (entry.kind != KIND_FILE && entry.kind != KIND_URL && entry.kind != KIND_GROUP)
            continue;
        MenuItemData* data = pool.NewItemData();
        if (!data)
            return;
        data->text = entry.name;
        if (entry.kind == KIND_GROUP) {
            AppendGroup(target, table, i, data, folderIconIndex);
            continue;
        }
        // A file the shell cannot resolve shows the icon of its type; every
        // URL the internet-shortcut icon, whatever its scheme.
        if (entry.kind == KIND_FILE) {
            int key = pool.ItemDataCount() - 1;
            filePaths.resize(static_cast<size_t>(key) + 1);
            filePaths[key] = ExpandEntryPath(entry.path, programFolder);
            data->iconIndex =
                icons->FileIcon(filePaths[key], this, generation, key, target == menu.Handle());
        } else {
            data->iconIndex = IconResolver::kUrlIcon;
        }
        AppendMenuA(target, MF_OWNERDRAW, LaunchCommand(entry),
                    reinterpret_cast<const char*>(data));
    }
}

// A group is a submenu of its own entries; an empty one holds a grayed
// placeholder (null item data) so that it can still be opened.
void LauncherMenu::AppendGroup(HMENU target, std::span<const LaunchEntry> table, int index,
                               MenuItemData* data, int folderIconIndex) {
    const LaunchEntry& group = table[index];
    PopupMenu* submenu = pool.NewSubmenu();
    if (!submenu || !*submenu)
        return;
    AppendGroupEntries(submenu->Handle(), table, index + 1, group.id, folderIconIndex);
    if (submenu->Count() == 0)
        AppendMenuA(submenu->Handle(), MF_OWNERDRAW | MF_GRAYED, LaunchCommand(group), nullptr);
    data->iconIndex = folderIconIndex;
    auto handle = reinterpret_cast<UINT_PTR>(submenu->Handle());
    // Once attached, the submenu is destroyed with its parent: the pool's
    // holder gives it up so that nothing destroys it a second time.
    if (AppendMenuA(target, MF_OWNERDRAW | MF_POPUP, handle, reinterpret_cast<const char*>(data)))
        submenu->Release();
}

// Destroying the menu destroys every submenu attached below it; the pool
// frees the records the items pointed to. The pool is cleared even when
// there is no menu: a build whose menu could not be made still filled it,
// and what it holds would be missing from every later build.
void LauncherMenu::Free() {
    ++generation;
    pool.Clear();
    filePaths.clear();
    menu.Destroy();
    ForgetMeasuredMenus();
}

void LauncherMenu::HurryIcons(HMENU submenu) {
    int count = GetMenuItemCount(submenu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_DATA;
        if (!GetMenuItemInfoA(submenu, static_cast<UINT>(i), TRUE, &item) || !item.dwItemData)
            continue;
        for (int key = 0; key < static_cast<int>(filePaths.size()); ++key) {
            MenuItemData* data = pool.ItemDataAt(key);
            if (reinterpret_cast<ULONG_PTR>(data) == item.dwItemData && !filePaths[key].empty()) {
                icons->Hurry(filePaths[key]);
                break;
            }
        }
    }
}

void LauncherMenu::RefreshIcons() {
    for (int key = 0; key < static_cast<int>(filePaths.size()); ++key) {
        MenuItemData* data = pool.ItemDataAt(key);
        if (!data || filePaths[key].empty())
            continue;
        int icon = icons->FileIcon(filePaths[key], this, generation, key);
        if (icon != -1)
            data->iconIndex = icon;
    }
}
