// The settings window's side of the launcher hotkey: registered once at
// start from the settings file, told to the user when it cannot be used.
#include "settings/SettingsWindow.h"
#include "ui/MessageBox.h"

void SettingsWindow::RegisterLauncherHotkey() {
    std::string text;
    bool written = store.ReadHotkeyText(&text) != 0;
    launcherHotkey.Register(hwnd_, written, text);
}

// Told once per start; without it the user would press the keys and
// believe the program had stopped answering.
void SettingsWindow::ReportHotkeyProblem() {
    std::string text = HotkeyProblemMessage(launcherHotkey.State(), launcherHotkey.Text(),
                                            store.SettingsFilePath());
    if (!text.empty())
        ShowMessage(text.c_str(), MB_OK | MB_ICONEXCLAMATION, hwnd_);
}
