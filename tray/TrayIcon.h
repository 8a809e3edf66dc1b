// The program's icon in the notification area: its data, adding and
// removing it, adding it again for a new taskbar, and which tray menu a click
// on it opens.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>

#include "ui/Icon.h"

// The tray icon's callback message.
constexpr UINT WM_TRAYNOTIFY = WM_APP + 1;

// The menu a mouse message on the icon opens.
enum class TrayMenuChoice { None, Launcher, System };

// A button going down opens a menu: the left one the launcher menu, the
// right one the system menu, or the reverse when opt5 is set. Everything
// else (buttons coming up, double-clicks, the middle button, moves) opens
// nothing.
TrayMenuChoice MenuForClick(LPARAM mouseMessage, int32_t opt5);

// The icon resource at the size the notification area shows: the system's
// small-icon size.
Icon LoadTrayIcon(HINSTANCE module, int id);

// Shows a tray menu at a screen point for the owner, which gets its
// messages; returns the command chosen, or 0 when the menu was dismissed.
UINT TrackTrayMenu(HMENU menu, HWND owner, int x, int y);

class TrayIcon {
public:
    TrayIcon();

    // Fills the icon's data once: the window its callbacks go to and the
    // icon it shows.
    void Fill(HWND owner, HICON icon);
    // Adds the icon; one that is still there is replaced.
    void Add();
    void Remove();
    // Adds the icon again when the message announces a new taskbar, which
    // knows no icons; true when it did.
    bool OnTaskbarCreated(UINT msg);

    const NOTIFYICONDATAA& Data() const { return trayIconData; }

private:
    NOTIFYICONDATAA trayIconData = {};
    UINT taskbarCreatedMessage = 0;
};
