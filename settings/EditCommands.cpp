// Placeholder until the editing commands are built.
#include "settings/SettingsWindow.h"

void SettingsWindow::OnAdd() {}
void SettingsWindow::OnEdit() {}
void SettingsWindow::OnDelete() {}
void SettingsWindow::OnUp() {}
void SettingsWindow::OnDown() {}
void SettingsWindow::SelectRow(int) {}
