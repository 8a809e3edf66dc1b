// The program's one window: a modeless dialog that lives from start to exit,
// shown or hidden. It owns the entries, the tray icon, both tray menus and the
// views that edit the entries.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <span>
#include <string>
#include <vector>

#include "settings/DragTreeCtrl.h"
#include "store/ItemStore.h"
#include "tray/Hotkey.h"
#include "tray/LauncherMenu.h"
#include "tray/MenuTypeAhead.h"
#include "tray/SearchWindow.h"
#include "tray/SystemMenu.h"
#include "tray/TrayIcon.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"
#include "ui/DroppedFiles.h"
#include "ui/Icon.h"
#include "ui/IconResolver.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"

// The shell's notifications of changed icons (file types, icon images)
// arrive as this message.
constexpr UINT WM_SHELLICONSCHANGED = WM_APP + 20;

class SettingsWindow : public Dialog {
public:
    SettingsWindow();
    // The store reaches the file system through the platform given (null:
    // the build's own), so tests can make its files fail.
    explicit SettingsWindow(Platform* platform);
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

    // Tray menus: the window owns them and builds them from its store
    void RebuildLauncherMenu();
    void AppendGroupEntries(HMENU menu, int startIndex, int parentId);
    void FreeLauncherMenu();
    void RebuildSystemMenu();
    void TrackLauncherMenu(int x, int y);
    void TrackSystemMenu(int x, int y);

    // Commits the working table, writes the data file, rebuilds the menu;
    // false when the data file was loaded instead (see ShowReloadedTable).
    bool ApplyChanges();
    // The data file was loaded by a save instead of replaced: the views and
    // the menu show it, and the user is told.
    void ShowReloadedTable();

    // For tests: what the window holds.
    HMENU LauncherMenuHandle() const { return launcherMenu.Handle(); }
    HMENU SystemMenuHandle() const { return systemMenu.Handle(); }
    ListView ItemList() const { return itemList; }
    TreeView GroupTree() const { return groupTree.Tree(); }
    DragTreeCtrl& GroupTreeCtrl() { return groupTree; }
    // The shell's icons are looked up at their first use: these ask for
    // them.
    const ImageListRef& SystemImageList() {
        LoadShellIcons();
        return systemImageList;
    }
    // The file icons of the list and the launcher menu, asked of the shell
    // off the window's thread.
    IconResolver& Icons() { return icons; }
    bool FirstRun() const { return firstRun; }
    int ProgramIconIndex() {
        LoadShellIcons();
        return programIconIndex;
    }
    int FolderIconIndex() {
        LoadShellIcons();
        return folderIconIndex;
    }
    int OpenFolderIconIndex() {
        LoadShellIcons();
        return openFolderIconIndex;
    }
    const LauncherHotkey& Hotkey() const { return launcherHotkey; }
    const LauncherHotkey& FindHotkey() const { return findHotkey; }
    SearchWindow& Search() { return searchWindow; }
    // Opens the search window at the pointer.
    void OpenSearchWindow();

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
    std::span<const LaunchEntry> CommittedTable();
    bool OnMeasureItem(MEASUREITEMSTRUCT* measure, LRESULT* result);
    bool OnDrawItem(const DRAWITEMSTRUCT* draw, LRESULT* result);
    bool OnHelpKey(const HELPINFO* info, LRESULT* result);
    void OnTrayNotify(TrayMenuChoice choice);
    void RunTrayMenu(HMENU menu, int x, int y);
    void BringModalWindowToFront();
    bool OnTrayCommand(UINT id);
    bool OpenEntry(UINT id);
    void RegisterLauncherHotkey();
    void ReportHotkeyProblem();
    void OnHotkey(bool find);

    // The icons: what makes them change
    void RegisterShellNotifications();
    void UnregisterShellNotifications();
    void OnShellNotification(WPARAM wParam, LPARAM lParam);
    void OnShellIconsChanged();
    void RefreshListIcons();
    void OnFixedIconCame();
    void OnInitMenuPopup(HMENU menu);

    // Lifecycle
    void BindControls();
    void PlaceWindow();
    void LoadShellIcons();
    void SetUpViews();
    bool SystemMenuShowsShellFolders();
    void GrayHelpCommands();
    void SetWindowIcons(UINT dpi);
    void OnDpiChanged(UINT dpi, const RECT* suggested);
    void ReportLoadProblem();
    void ReportCopyKept(const std::string& copy);
    void ReportBackupSkipped(FileError why);
    bool OnWindowCommand(int id);
    bool OnTreeNotify(NMHDR* header, LRESULT* result);
    void OnVisibilityChange(bool visible);
    void OnWindowPosChanged(const WINDOWPOS& pos);
    void OnSize(UINT type);
    bool OnClose();
    void OnDestroy();
    bool OnPaint();

    // Views
    void OnTreeSelChanging(const NMTREEVIEWA* info);
    void OnTreeItemExpanding(const NMTREEVIEWA* info);
    void OnTreeItemExpanded(const NMTREEVIEWA* info);
    void OnListItemChanged(const NMLISTVIEW* info);
    void InsertGroupItems(HTREEITEM root);
    HTREEITEM TreeItemOfEntry(int index, HTREEITEM root);
    void FillRows(HTREEITEM item);
    int ListIcon(const WorkingEntry& entry, int row);

    // The item list as a client of the icon resolver: each fill is a
    // generation, a row's key is its number.
    class ListIcons : public IconResolver::Client {
    public:
        explicit ListIcons(SettingsWindow* window) : window_(window) {}
        int IconGeneration() const override { return generation; }
        void ShowIcon(int key, int iconIndex) override;
        int generation = 0;

    private:
        SettingsWindow* window_;
    };

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

    // Files dropped onto the window
    struct RefusedDrops {
        std::vector<std::string> tooLong;
        std::vector<std::wstring> noAnsiForm;
    };
    void OnDropFiles(HDROP drop);
    HTREEITEM GroupItemAt(POINT point);
    int32_t AddDroppedEntries(const std::vector<DroppedPath>& paths, int32_t parent,
                              RefusedDrops* refused);
    void SelectRowOfEntry(int32_t id);
    void ReportRefusedDrops(const RefusedDrops& refused);

    ListView itemList;
    // A drop in the tree changes the table, so the views are rebuilt.
    DragTreeCtrl groupTree{[this] { RebuildTree(); }};
    // The program's icon at the sizes it is shown in: the window's big and
    // small icons at the DPI of its monitor, the tray's at the system's.
    Icon bigIcon;
    Icon smallIcon;
    Icon trayImage;
    // The DPI the window's icons and list columns are sized for.
    UINT windowDpi = 0;
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
    ImageListRef systemImageList;
    bool shellIconsLoaded = false;
    // The registration for the shell's notifications (0: none).
    ULONG shellNotifications = 0;
    // Before the views and the menu that show its icons, so it outlives them.
    IconResolver icons;
    ListIcons listIcons{this};
    // Shows its icons through the resolver above.
    SearchWindow searchWindow;
    // Holds the MenuItemPool of its records and submenus.
    LauncherMenu launcherMenu;
    MenuTypeAhead launcherTypeAhead;
    // The window a tray menu is tracked for while one is open, else null.
    HWND trayMenuOwner = nullptr;
    SystemMenu systemMenu;
    TrayIcon trayIcon;
    LauncherHotkey launcherHotkey;
    LauncherHotkey findHotkey{LauncherHotkey::kFindId, kFindHotkeyUse};
    // While a tray menu is tracked: a hotkey then closes it.
    bool trayMenuOpen = false;
    // A tray menu ended without a choice while a modifier key was held, at
    // this tick: the first key of a hotkey's chord (Alt) closed it, and the
    // hotkey that comes of the chord closes nothing more.
    bool trayMenuEndedInChord = false;
    DWORD trayMenuEndedAt = 0;

    bool firstRun = false;
    // The window has been hidden (it is created so) since the working table
    // was last reloaded: its next showing reloads it.
    bool hiddenSinceReload = true;
    // The state last given to the edit commands; the resources start them
    // enabled.
    bool editCommandsEnabled = true;
};
