// The program's one window: a modeless dialog that lives from start to exit,
// shown or hidden. It owns the entries, the tray icon, both tray menus and the
// views that edit the entries.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "settings/DragTreeCtrl.h"
#include "store/ItemStore.h"
#include "tray/MenuItemPool.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"

// The tray icon's callback message.
constexpr UINT WM_TRAYNOTIFY = WM_APP + 1;
// Launcher menu commands are this plus the entry's id.
constexpr UINT LaunchCommandBase = 0x8200;

class SettingsWindow : public Dialog {
public:
    SettingsWindow();
    ~SettingsWindow() override;

    // Creates the window modeless from its template, with no parent. The
    // store's folder must be set before this when it is not the program's.
    bool Create();

    ItemStore& Store() { return store; }

    // Group tree and item list
    void RebuildTree();
    void FillItemList(HTREEITEM item);
    int GetCurrentGroupId();
    void GetSelectedEntry(int* index, int* row);
    int EntryIndexOfRow(int row);
    void EnableEditCommands(bool enable);

    // Tray menus
    void RebuildLauncherMenu();
    void AppendGroupEntries(HMENU menu, int startIndex, int parentId);
    void FreeLauncherMenu();
    void RebuildSystemMenu();
    void TrackLauncherMenu(int x, int y);
    void TrackSystemMenu(int x, int y);

    // Commits the working table, writes the data file, rebuilds the menu.
    void ApplyChanges();

    // For tests and the tray code: what the window holds.
    HMENU LauncherMenuHandle() const { return launcherMenu.Handle(); }
    HMENU SystemMenuHandle() const { return systemMenu.Handle(); }
    ListView ItemList() const { return itemList; }
    TreeView GroupTree() const { return groupTree.Tree(); }
    DragTreeCtrl& GroupTreeCtrl() { return groupTree; }
    const NOTIFYICONDATAA& TrayIconData() const { return trayIconData; }
    const ImageListRef& SystemImageList() const { return systemImageList; }
    bool FirstRun() const { return firstRun; }
    int ProgramIconIndex() const { return programIconIndex; }
    int FolderIconIndex() const { return folderIconIndex; }
    int OpenFolderIconIndex() const { return openFolderIconIndex; }

protected:
    bool HookMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT* result) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // Tray icon and tray commands
    void AddTrayIcon();
    void RemoveTrayIcon();
    LRESULT OnTrayNotify(LPARAM mouseMessage);
    bool OnTrayCommand(UINT id);
    void OpenShellFolder(LPITEMIDLIST pidl);
    void MeasureMenuItem(MEASUREITEMSTRUCT* measure);
    void DrawMenuItem(const DRAWITEMSTRUCT* draw);

    // Lifecycle
    void OnShowWindow(bool showing);
    void OnSize(UINT type);
    void OnClose();
    void OnDestroy();
    void OnPaint();

    // Views
    void OnTreeSelChanging(const NMTREEVIEWA* info);
    void OnTreeItemExpanded(const NMTREEVIEWA* info);
    void OnListItemChanged(const NMLISTVIEW* info);

    // Commands
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnUp();
    void OnDown();
    void SelectRow(int row);
    void OnOptions();
    void OnAbout();
    void OnHelpCommand(UINT id);

    ListView itemList;
    DragTreeCtrl groupTree;
    HICON appIcon = nullptr;
    HACCEL accelTable = nullptr;
    LPITEMIDLIST myComputerPidl = nullptr;
    LPITEMIDLIST myDocumentsPidl = nullptr;
    LPITEMIDLIST myNetworkPidl = nullptr;
    ItemStore store;
    int programIconIndex = -1;
    int openFolderIconIndex = -1;
    int folderIconIndex = -1;
    int myComputerIconIndex = -1;
    int myDocumentsIconIndex = -1;
    int myNetworkIconIndex = -1;
    MenuItemPool pool;
    ImageListRef systemImageList;
    PopupMenu launcherMenu;
    PopupMenu systemMenu;
    NOTIFYICONDATAA trayIconData = {};

    // The system menu's shell-folder shortcuts, kept for the whole run.
    MenuItemData myComputerItem;
    MenuItemData myDocumentsItem;
    MenuItemData myNetworkItem;

    bool firstRun = false;
    UINT taskbarCreatedMessage = 0;
};
