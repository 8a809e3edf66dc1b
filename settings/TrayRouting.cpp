// The settings window's side of the tray: it owns the tray icon and both
// tray menus, builds the menus from its store and its icon indexes, and
// routes the icon's clicks and the menus' commands, which come to its window
// procedure before the dialog's own handling.
#include "resource.h"
#include "settings/SettingsWindow.h"
#include "tray/Launching.h"
#include "tray/MenuOwner.h"
#include "ui/Application.h"
#include "ui/HtmlHelp.h"
#include "ui/MessageBox.h"

namespace {

// How soon after a menu ended at a chord's first key its hotkey counts as
// the one that closed it: a chord is typed in well under this.
constexpr LONG kChordMs = 1000;

bool AnyModifierKeyHeld() {
    for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN}) {
        if (GetAsyncKeyState(key) < 0)
            return true;
    }
    return false;
}

// Posted after an answer to a character typed in the launcher menu that
// chose an item to highlight; handled once the menu has acted on it.
constexpr UINT WM_CHECKMENUHIGHLIGHT = WM_APP + 3;

} // namespace

// The tray menus always show, and launch from, the committed table.
std::span<const LaunchEntry> SettingsWindow::CommittedTable() {
    return {store.GetCommittedData(0), static_cast<size_t>(store.GetCommittedNum())};
}

// The search window shows the table it opened with: a new one closes it.
void SettingsWindow::RebuildLauncherMenu() {
    searchWindow.Close();
    if (store.GetCommittedNum() > 0)
        LoadShellIcons();
    launcherMenu.SetProgramFolder(store.Directory());
    launcherMenu.Rebuild(CommittedTable(), folderIconIndex);
}

void SettingsWindow::AppendGroupEntries(HMENU menu, int startIndex, int parentId) {
    LoadShellIcons();
    launcherMenu.SetProgramFolder(store.Directory());
    launcherMenu.AppendGroupEntries(menu, CommittedTable(), startIndex, parentId, folderIconIndex);
}

void SettingsWindow::FreeLauncherMenu() {
    launcherMenu.Free();
}

void SettingsWindow::RebuildSystemMenu() {
    if (SystemMenuShowsShellFolders())
        LoadShellIcons();
    systemMenu.Rebuild(*store.GetOptions(),
                       {myComputerIconIndex, myDocumentsIconIndex, myNetworkIconIndex});
}

void SettingsWindow::TrackLauncherMenu(int x, int y) {
    launcherTypeAhead.Reset();
    RunTrayMenu(launcherMenu.Handle(), x, y);
    launcherTypeAhead.Reset();
}

void SettingsWindow::TrackSystemMenu(int x, int y) {
    RunTrayMenu(systemMenu.Handle(), x, y);
}

// The menu is tracked for a window of its own at the point, which takes the
// foreground and the keyboard focus from whatever program is in front, so
// that the keys typed go to the menu; its messages come on here. The chosen
// command runs while that window is still in front: a program it starts is
// started by the program in the foreground, which Windows lets come to the
// front. Without that window (it could not be made) the menu is tracked for
// this one.
void SettingsWindow::RunTrayMenu(HMENU menu, int x, int y) {
    MenuOwner owner(hwnd_, {x, y});
    trayMenuOwner = owner.Handle() ? owner.Handle() : hwnd_;
    trayMenuOpen = true;
    UINT command = TrackTrayMenu(menu, trayMenuOwner, x, y);
    trayMenuOpen = false;
    trayMenuEndedInChord = command == 0 && AnyModifierKeyHeld();
    trayMenuEndedAt = GetTickCount();
    trayMenuOwner = nullptr;
    if (command != 0)
        Send(WM_COMMAND, command);
}

// The window procedure override: the tray callback, the tray commands, a
// key typed in the launcher menu and the taskbar's re-creation are handled
// before the dialog's own handling.
bool SettingsWindow::HookMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_TRAYNOTIFY) {
        TrayMenuChoice choice = MenuForClick(lParam, store.GetOptions()->opt5);
        if (choice == TrayMenuChoice::None)
            return false;
        OnTrayNotify(choice);
        *result = 0;
        return true;
    }
    if (launcherHotkey.IsHotkeyMessage(msg, wParam) || findHotkey.IsHotkeyMessage(msg, wParam)) {
        OnHotkey(findHotkey.IsHotkeyMessage(msg, wParam));
        *result = 0;
        return true;
    }
    if (msg == WM_COMMAND && OnTrayCommand(LOWORD(wParam))) {
        *result = 0;
        return true;
    }
    if (msg == WM_MENUCHAR &&
        IsMenuWithin(launcherMenu.Handle(), reinterpret_cast<HMENU>(lParam))) {
        *result = launcherTypeAhead.OnMenuChar(wParam, reinterpret_cast<HMENU>(lParam));
        if (launcherTypeAhead.AwaitsHighlight())
            Post(WM_CHECKMENUHIGHLIGHT);
        return true;
    }
    if (msg == WM_CHECKMENUHIGHLIGHT) {
        launcherTypeAhead.EnsureHighlighted(trayMenuOwner ? trayMenuOwner : hwnd_);
        *result = 0;
        return true;
    }
    if (trayIcon.OnTaskbarCreated(msg)) {
        *result = 0;
        return true;
    }
    return false;
}

// The launcher hotkey opens the launcher menu as the icon's click does, the
// find hotkey the search window. Either, pressed while a tray menu or the
// search window is open, closes it and opens nothing: the menu's own loop
// delivers the hotkey, and a second menu cannot be tracked inside it.
void SettingsWindow::OnHotkey(bool find) {
    if (trayMenuOpen) {
        EndMenu();
        return;
    }
    // A menu ends at the Alt key of the chord, before the hotkey's own key
    // is down (Windows and Wine alike close a menu on Alt): the hotkey that
    // follows is the one that closed it.
    if (trayMenuEndedInChord) {
        trayMenuEndedInChord = false;
        if (GetMessageTime() - static_cast<LONG>(trayMenuEndedAt) < kChordMs)
            return;
    }
    if (searchWindow.IsOpen()) {
        searchWindow.Close();
        return;
    }
    if (!find) {
        OnTrayNotify(TrayMenuChoice::Launcher);
    } else if (Application::Instance().ModalDepth() > 0) {
        BringModalWindowToFront();
    } else {
        OpenSearchWindow();
    }
}

void SettingsWindow::OpenSearchWindow() {
    LoadShellIcons();
    POINT cursor{};
    GetCursorPos(&cursor);
    searchWindow.Open(hwnd_, CommittedTable(), cursor, &icons, store.Directory());
}

// The menu opens at the cursor. While one of the program's modal dialogs or
// message boxes is open, no menu opens: its commands (exit among them) must
// not run underneath it. The click brings that dialog to the front instead,
// for a user who lost it behind other windows.
void SettingsWindow::OnTrayNotify(TrayMenuChoice choice) {
    if (Application::Instance().ModalDepth() > 0) {
        BringModalWindowToFront();
        return;
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    if (choice == TrayMenuChoice::Launcher)
        TrackLauncherMenu(cursor.x, cursor.y);
    else
        TrackSystemMenu(cursor.x, cursor.y);
}

// True when the command was one of the tray's; the others go on to the
// dialog's buttons and menu bar.
bool SettingsWindow::OnTrayCommand(UINT id) {
    switch (id) {
    case ID_TRAY_EXIT:
        DestroyWindow(hwnd_);
        return true;
    case ID_TRAY_SETTINGS:
        Show(SW_SHOWNORMAL);
        return true;
    case ID_TRAY_ABOUT:
        OnAbout();
        return true;
    case ID_TRAY_HELP:
        CallHtmlHelp(nullptr, Application::Instance().HelpFilePath().c_str(), HH_DISPLAY_TOPIC, 0);
        return true;
    case ID_TRAY_MY_COMPUTER:
        LoadShellIcons();
        OpenShellFolder(myComputerPidl);
        return true;
    case ID_TRAY_MY_DOCUMENTS:
        LoadShellIcons();
        OpenShellFolder(myDocumentsPidl);
        return true;
    case ID_TRAY_MY_NETWORK:
        LoadShellIcons();
        OpenShellFolder(myNetworkPidl);
        return true;
    default:
        return OpenEntry(id);
    }
}

// True when the command is an entry's. The keys held with the click or Enter
// choose what is done: Ctrl+Shift runs it as administrator, Shift shows it
// in its folder. An entry the shell could not open is told, with why:
// otherwise the user would believe the click was lost.
bool SettingsWindow::OpenEntry(UINT id) {
    LaunchFailure failure;
    if (!LaunchEntryOfCommand(CommittedTable(), id, store.Directory(), &failure,
                              LaunchActionOfKeys()))
        return false;
    std::string text = LaunchFailureMessage(failure);
    if (!text.empty())
        ShowMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION, hwnd_);
    return true;
}

// A dialog hides with its minimised owner, so a minimised window is restored
// first; a hidden one is left hidden, its dialogs stay on screen.
void SettingsWindow::BringModalWindowToFront() {
    HWND dialog = Application::Instance().ModalWindow();
    if (!dialog)
        return;
    if (IsIconic() && IsVisible())
        ShowWindow(hwnd_, SW_RESTORE);
    SetForegroundWindow(dialog);
}
