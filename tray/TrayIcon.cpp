#include "tray/TrayIcon.h"

#include "tray/OwnerDraw.h"
#include "ui/Dpi.h"
#include "ui/SystemCalls.h"

namespace {
constexpr UINT kTrayIconId = 1;
const char kTrayTip[] = "Brindleway";
} // namespace

TrayMenuChoice MenuForClick(LPARAM mouseMessage, int32_t opt5) {
    if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN)
        return TrayMenuChoice::None;
    bool launcherButton = (mouseMessage == WM_LBUTTONDOWN) == (opt5 == 0);
    return launcherButton ? TrayMenuChoice::Launcher : TrayMenuChoice::System;
}

Icon LoadTrayIcon(HINSTANCE module, int id) {
    return LoadIconAtSize(module, id, GetSystemMetrics(SM_CXSMICON));
}

// The owner must be in the foreground for the menu to close when the user
// clicks elsewhere; the posted null message lets the menu end properly. The
// chosen command is returned rather than posted, so that the caller runs it
// while the owner is still in front. The menu's owner-drawn items take the
// DPI of the monitor it opens on.
UINT TrackTrayMenu(HMENU menu, HWND owner, int x, int y) {
    TrackedMenuDpi dpi(DpiAtPoint({x, y}));
    SetForegroundWindow(owner);
    BOOL command = System().trackPopupMenu(menu, TPM_RETURNCMD, x, y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    return command > 0 ? static_cast<UINT>(command) : 0;
}

TrayIcon::TrayIcon() : taskbarCreatedMessage(RegisterWindowMessageA("TaskbarCreated")) {}

// The 88-byte layout with its 64-byte tip, which every shell accepts.
void TrayIcon::Fill(HWND owner, HICON icon) {
    trayIconData = {};
    trayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
    trayIconData.hWnd = owner;
    trayIconData.uID = kTrayIconId;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIconData.uCallbackMessage = WM_TRAYNOTIFY;
    trayIconData.hIcon = icon;
    lstrcpynA(trayIconData.szTip, kTrayTip, 64);
}

// An icon that is still there (the taskbar came back without losing it)
// refuses a second add; it is replaced then.
void TrayIcon::Add() {
    SystemCalls& calls = System();
    if (calls.notifyIcon(NIM_ADD, &trayIconData))
        return;
    calls.notifyIcon(NIM_DELETE, &trayIconData);
    calls.notifyIcon(NIM_ADD, &trayIconData);
}

void TrayIcon::Remove() {
    System().notifyIcon(NIM_DELETE, &trayIconData);
}

// Without this, a program whose window is hidden could not be reached at
// all after the taskbar was recreated.
bool TrayIcon::OnTaskbarCreated(UINT msg) {
    if (taskbarCreatedMessage == 0 || msg != taskbarCreatedMessage)
        return false;
    Add();
    return true;
}
