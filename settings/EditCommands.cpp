// The editing commands of the settings window: add, edit, delete and move
// entries of the working table. Each change ends with a rebuild of the
// views; nothing reaches the committed table before Apply or OK.
#include "settings/SettingsWindow.h"

#include "dialogs/ItemEditorDialog.h"
#include "ui/MessageBox.h"

void SettingsWindow::OnAdd() {
    ItemEditorDialog editor;
    editor.SetProgramFolder(store.Directory());
    if (editor.RunModal() != IDOK)
        return;
    LaunchEntry entry = editor.Entry();
    entry.parent = GetCurrentGroupId();
    // A full table is refused by the store, which tells the user.
    if (!store.InsertData(entry, -1))
        return;
    RebuildTree();
    SelectRow(itemList.Count() - 1);
}

void SettingsWindow::OnEdit() {
    int index = -1;
    int row = -1;
    GetSelectedEntry(&index, &row);
    if (index < 0 || row < 0) {
        ShowMessage("リストから選択してください", MB_OK | MB_ICONEXCLAMATION, hwnd_);
        return;
    }
    ItemEditorDialog editor;
    editor.SetProgramFolder(store.Directory());
    editor.SetEntry(*store.GetData(index));
    if (editor.RunModal() != IDOK)
        return;
    store.InsertData(editor.Entry(), index);
    RebuildTree();
}

void SettingsWindow::OnDelete() {
    int index = -1;
    int row = -1;
    GetSelectedEntry(&index, &row);
    if (index < 0)
        return;
    store.DeleteData(index);
    RebuildTree();
}

void SettingsWindow::OnUp() {
    int index = -1;
    int row = -1;
    GetSelectedEntry(&index, &row);
    if (row <= 0 || index < 0)
        return;
    int other = EntryIndexOfRow(row - 1);
    if (other < 0)
        return;
    store.SwapData(index, other);
    RebuildTree();
    SelectRow(row - 1);
}

void SettingsWindow::OnDown() {
    int index = -1;
    int row = -1;
    GetSelectedEntry(&index, &row);
    if (row < 0 || row >= itemList.Count() - 1 || index < 0)
        return;
    int other = EntryIndexOfRow(row + 1);
    if (other < 0)
        return;
    store.SwapData(index, other);
    RebuildTree();
    SelectRow(row + 1);
}

// Selecting the row enables the edit commands (through LVN_ITEMCHANGED).
void SettingsWindow::SelectRow(int row) {
    if (row < 0)
        return;
    constexpr UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;
    itemList.SetItemState(row, kSelectedAndFocused, kSelectedAndFocused);
    itemList.EnsureVisible(row, false);
}
