// The two tray menus: the launcher menu built from the committed entries,
// and the system menu with the fixed commands and the shell-folder shortcuts.
#include "resource.h"
#include "settings/SettingsWindow.h"
#include "ui/SystemCalls.h"

namespace {

// The shell's small-icon index for a file entry, or -1 when the shell
// cannot resolve the path.
int FileIconIndex(const char* path) {
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return -1;
    return info.iIcon;
}

// Every URL shows the internet-shortcut icon, whatever its scheme.
int UrlIconIndex() {
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(".url", 0, &info, sizeof info,
                        SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON))
        return -1;
    return info.iIcon;
}

UINT LaunchCommand(const LaunchEntry& entry) {
    return LaunchCommandBase + static_cast<UINT>(entry.id);
}

} // namespace

void SettingsWindow::RebuildLauncherMenu() {
    FreeLauncherMenu();
    launcherMenu.Attach(System().createPopupMenu());
    AppendGroupEntries(launcherMenu.Handle(), 0, kParentTopLevel);
}

// The committed table is in tree order, so a group's entries all follow it;
// the search for them starts right after the group.
void SettingsWindow::AppendGroupEntries(HMENU menu, int startIndex, int parentId) {
    int count = store.GetCommittedNum();
    for (int i = startIndex; i < count; ++i) {
        const LaunchEntry& entry = *store.GetCommittedData(i);
        if (entry.parent != parentId)
            continue;
        if (entry.kind != KIND_FILE && entry.kind != KIND_URL && entry.kind != KIND_GROUP)
            continue;
        MenuItemData* data = pool.NewItemData();
        if (!data)
            return;
        data->text = entry.name;
        if (entry.kind == KIND_GROUP) {
            AppendGroup(menu, i, entry, data);
            continue;
        }
        data->iconIndex = entry.kind == KIND_FILE ? FileIconIndex(entry.path) : UrlIconIndex();
        AppendMenuA(menu, MF_OWNERDRAW, LaunchCommand(entry), reinterpret_cast<const char*>(data));
    }
}

// A group is a submenu of its own entries; an empty one holds a grayed
// placeholder (null item data) so that it can still be opened.
void SettingsWindow::AppendGroup(HMENU menu, int index, const LaunchEntry& group,
                                 MenuItemData* data) {
    PopupMenu* submenu = pool.NewSubmenu();
    if (!submenu || !*submenu)
        return;
    AppendGroupEntries(submenu->Handle(), index + 1, group.id);
    if (submenu->Count() == 0)
        AppendMenuA(submenu->Handle(), MF_OWNERDRAW | MF_GRAYED, LaunchCommand(group), nullptr);
    data->iconIndex = folderIconIndex;
    auto handle = reinterpret_cast<UINT_PTR>(submenu->Handle());
    // Once attached, the submenu is destroyed with its parent: the pool's
    // holder gives it up so that nothing destroys it a second time.
    if (AppendMenuA(menu, MF_OWNERDRAW | MF_POPUP, handle, reinterpret_cast<const char*>(data)))
        submenu->Release();
}

// Destroying the launcher menu destroys every submenu attached below it; the
// pool frees the records the items pointed to. The pool is cleared even when
// there is no menu: a build whose menu could not be made still filled it,
// and what it holds would be missing from every later build.
void SettingsWindow::FreeLauncherMenu() {
    pool.Clear();
    launcherMenu.Destroy();
}

void SettingsWindow::RebuildSystemMenu() {
    const Options& options = *store.GetOptions();
    systemMenu.Create();
    AppendShortcut(options.opt6, &myComputerItem, "マイ コンピュータ", myComputerIconIndex,
                   ID_TRAY_MY_COMPUTER);
    AppendShortcut(options.opt7, &myDocumentsItem, "マイ ドキュメント", myDocumentsIconIndex,
                   ID_TRAY_MY_DOCUMENTS);
    AppendShortcut(options.opt8, &myNetworkItem, "マイ ネットワーク", myNetworkIconIndex,
                   ID_TRAY_MY_NETWORK);
    if (options.opt6 || options.opt7 || options.opt8)
        systemMenu.AppendSeparator();
    systemMenu.AppendString(ID_TRAY_SETTINGS, "設定(&S)...");
    systemMenu.AppendString(ID_TRAY_ABOUT, "バーション情報(&A)...");
    systemMenu.AppendString(ID_TRAY_HELP, "ヘルプ(&H)...");
    systemMenu.AppendSeparator();
    systemMenu.AppendString(ID_TRAY_EXIT, "終了(&X)");
    systemMenu.SetDefault(ID_TRAY_SETTINGS);
    systemMenu.EnableItem(ID_TRAY_HELP, MF_GRAYED);
}

void SettingsWindow::AppendShortcut(int32_t option, MenuItemData* item, const char* text,
                                    int iconIndex, UINT command) {
    if (!option)
        return;
    item->text = text;
    item->iconIndex = iconIndex;
    systemMenu.AppendOwnerDraw(command, item);
}
