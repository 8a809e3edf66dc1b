// The settings window's side of its hotkeys (the launcher menu's and the
// search window's): registered once at start from the settings file, told
// to the user when they cannot be used.
#include "settings/SettingsWindow.h"
#include "ui/MessageBox.h"

void SettingsWindow::RegisterLauncherHotkey() {
    std::string text;
    bool written = store.ReadHotkeyText(&text, launcherHotkey.Use().key) != 0;
    launcherHotkey.Register(hwnd_, written, text);
    written = store.ReadHotkeyText(&text, findHotkey.Use().key) != 0;
    findHotkey.Register(hwnd_, written, text);
}

// Told once per start; without it the user would press the keys and
// believe the program had stopped answering.
void SettingsWindow::ReportHotkeyProblem() {
    for (const LauncherHotkey* hotkey : {&launcherHotkey, &findHotkey}) {
        std::string text = HotkeyProblemMessage(*hotkey, store.SettingsFilePath());
        if (!text.empty())
            ShowMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION, hwnd_);
    }
}
