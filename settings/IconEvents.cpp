// The settings window's icons as they change: the shell tells of changed
// file types and icon images, the system of changed colours, fonts and
// DPI; a menu about to open is made ready for its DPI and its icons asked
// first.
#include <shlobj.h>

#include "settings/SettingsWindow.h"
#include "tray/MenuTypeAhead.h"
#include "tray/OwnerDraw.h"
#include "ui/EntryPath.h"

// The desktop and everything under it: the notifications of icons concern
// no one folder.
void SettingsWindow::RegisterShellNotifications() {
    if (shellNotifications)
        return;
    LPITEMIDLIST desktop = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)))
        return;
    SHChangeNotifyEntry entry{desktop, TRUE};
    shellNotifications = SHChangeNotifyRegister(hwnd_, SHCNRF_ShellLevel | SHCNRF_NewDelivery,
                                                SHCNE_ASSOCCHANGED | SHCNE_UPDATEIMAGE,
                                                WM_SHELLICONSCHANGED, 1, &entry);
    ILFree(desktop);
}

void SettingsWindow::UnregisterShellNotifications() {
    if (shellNotifications)
        SHChangeNotifyDeregister(shellNotifications);
    shellNotifications = 0;
}

void SettingsWindow::OnShellNotification(WPARAM wParam, LPARAM lParam) {
    PIDLIST_ABSOLUTE* items = nullptr;
    LONG event = 0;
    HANDLE lock = SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam),
                                            static_cast<DWORD>(lParam), &items, &event);
    if (!lock)
        return;
    SHChangeNotification_Unlock(lock);
    if (event & (SHCNE_ASSOCCHANGED | SHCNE_UPDATEIMAGE))
        OnShellIconsChanged();
}

// A file type's icon or an icon image changed: every icon is asked again
// (an unchanged file does not tell), the views keep theirs until the new
// ones come, and the paints kept from the old ones go.
void SettingsWindow::OnShellIconsChanged() {
    ForgetMenuPaintsAndWidths();
    icons.Reset();
    launcherMenu.RefreshIcons();
    if (IsVisible())
        RefreshListIcons();
}

void SettingsWindow::RefreshListIcons() {
    for (int row = 0; row < itemList.Count(); ++row) {
        int index = EntryIndexOfRow(row);
        const WorkingEntry* entry = index < 0 ? nullptr : store.GetData(index);
        if (!entry || entry->kind != KIND_FILE)
            continue;
        int icon = icons.FileIcon(ExpandEntryPath(entry->path, store.Directory()), &listIcons,
                                  listIcons.generation, row, true);
        if (icon != -1)
            listIcons.ShowIcon(row, icon);
    }
}

// The views and open menus that show a fixed icon draw it again.
void SettingsWindow::OnFixedIconCame() {
    InvalidateRect(groupTree.Tree().Handle(), nullptr, TRUE);
    InvalidateRect(itemList.Handle(), nullptr, TRUE);
    RepaintOpenMenus();
    searchWindow.RepaintIcons();
}

void SettingsWindow::OnInitMenuPopup(HMENU menu) {
    bool launcher = IsMenuWithin(launcherMenu.Handle(), menu);
    if (!launcher && menu != systemMenu.Handle())
        return;
    PrepareMenuForDpi(menu, MenuDpi(hwnd_));
    if (launcher)
        launcherMenu.HurryIcons(menu);
}
