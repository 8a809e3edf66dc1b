// Placeholder until the options dialog is built.
#include "settings/SettingsWindow.h"

void SettingsWindow::OnOptions() {}
