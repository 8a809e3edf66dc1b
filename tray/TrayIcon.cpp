// The tray icon and the settings window's window procedure override: the
// icon's clicks open the tray menus, whose commands come back here.
#include "resource.h"
#include "settings/SettingsWindow.h"
#include "ui/Application.h"
#include "ui/SystemCalls.h"

namespace {
constexpr UINT kTrayIconId = 1;
const char kTrayTip[] = "Brindleway";
} // namespace

void SettingsWindow::FillTrayIconData() {
    trayIconData = {};
    trayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    trayIconData.hWnd = hwnd_;
    trayIconData.uID = kTrayIconId;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIconData.uCallbackMessage = WM_TRAYNOTIFY;
    trayIconData.hIcon = appIcon;
    lstrcpynA(trayIconData.szTip, kTrayTip, 64);
}

// An icon that is still there (the taskbar came back without losing it)
// refuses a second add; it is replaced then.
void SettingsWindow::AddTrayIcon() {
    SystemCalls& calls = System();
    if (calls.notifyIcon(NIM_ADD, &trayIconData))
        return;
    calls.notifyIcon(NIM_DELETE, &trayIconData);
    calls.notifyIcon(NIM_ADD, &trayIconData);
}

void SettingsWindow::RemoveTrayIcon() {
    System().notifyIcon(NIM_DELETE, &trayIconData);
}

// The window procedure override: the tray callback, the tray commands and
// the taskbar's re-creation are handled before the dialog's own handling.
bool SettingsWindow::HookMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_TRAYNOTIFY) {
        if (lParam != WM_LBUTTONDOWN && lParam != WM_RBUTTONDOWN)
            return false;
        *result = OnTrayNotify(lParam);
        return true;
    }
    if (msg == WM_COMMAND && OnTrayCommand(LOWORD(wParam))) {
        *result = 0;
        return true;
    }
    // A new taskbar knows no icons: without this, a hidden program could not
    // be reached at all.
    if (taskbarCreatedMessage != 0 && msg == taskbarCreatedMessage) {
        AddTrayIcon();
        *result = 0;
        return true;
    }
    return false;
}

// A button going down on the icon opens a menu at the cursor; opt5 swaps
// which button opens which. While one of the program's modal dialogs or
// message boxes is open, clicks are ignored: the menus' commands (exit
// among them) must not run underneath it.
LRESULT SettingsWindow::OnTrayNotify(LPARAM mouseMessage) {
    if (Application::Instance().ModalDepth() > 0)
        return 0;
    POINT cursor{};
    GetCursorPos(&cursor);
    bool launcherButton = (mouseMessage == WM_LBUTTONDOWN) == (store.GetOptions()->opt5 == 0);
    if (launcherButton)
        TrackLauncherMenu(cursor.x, cursor.y);
    else
        TrackSystemMenu(cursor.x, cursor.y);
    return 0;
}

void SettingsWindow::TrackLauncherMenu(int x, int y) {
    TrackMenu(launcherMenu.Handle(), x, y);
}

void SettingsWindow::TrackSystemMenu(int x, int y) {
    TrackMenu(systemMenu.Handle(), x, y);
}

// The window must be in the foreground for the menu to close when the user
// clicks elsewhere; the posted null message lets the menu end properly.
void SettingsWindow::TrackMenu(HMENU menu, int x, int y) {
    SetForegroundWindow(hwnd_);
    TrackPopupMenu(menu, 0, x, y, 0, hwnd_, nullptr);
    Post(WM_NULL);
}
