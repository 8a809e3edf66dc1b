// Placeholder until the group tree and item list are built: the window
// calls these at the points where the views are refreshed.
#include "settings/SettingsWindow.h"

void SettingsWindow::RebuildTree() {}
void SettingsWindow::FillItemList(HTREEITEM) {}
int SettingsWindow::GetCurrentGroupId() {
    return -1;
}
void SettingsWindow::GetSelectedEntry(int* index, int* row) {
    *index = *row = -1;
}
int SettingsWindow::EntryIndexOfRow(int) {
    return -1;
}
void SettingsWindow::EnableEditCommands(bool) {}
void SettingsWindow::OnTreeSelChanging(const NMTREEVIEWA*) {}
void SettingsWindow::OnTreeItemExpanded(const NMTREEVIEWA*) {}
void SettingsWindow::OnListItemChanged(const NMLISTVIEW*) {}
