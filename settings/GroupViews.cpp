// The group tree and the item list: both rebuilt from the working table
// after every change, and mapped back to it by scanning the table.
#include "settings/SettingsWindow.h"

#include <optional>

#include "resource.h"
#include "settings/EntryLookup.h"
#include "ui/EntryPath.h"

namespace {

constexpr const char* kRootText = "ルート";
constexpr const char* kGroupLocation = "Group";

constexpr int kEditCommandMenuItems[] = {ID_TOOLS_EDIT, ID_TOOLS_DELETE, ID_TOOLS_UP,
                                         ID_TOOLS_DOWN};
constexpr int kEditCommandButtons[] = {IDC_EDIT, IDC_DELETE, IDC_UP, IDC_DOWN};

// An image of -1 would make the list ask its parent for the image
// (I_IMAGECALLBACK): an icon that could not be found is no image.
int ListImage(int iconIndex) {
    return iconIndex < 0 ? I_IMAGENONE : iconIndex;
}

// The group a tree item stands for: -1 for the root (the top level), a
// group's id, or nothing for an item that matches no group and for none.
std::optional<int32_t> GroupIdOfTreeItem(ItemStore& store, TreeView tree, HTREEITEM item) {
    if (!item)
        return std::nullopt;
    if (item == tree.Root())
        return kParentTopLevel;
    int index = FindGroupOfTreeItem(store, item);
    if (index < 0)
        return std::nullopt;
    return store.GetData(index)->id;
}

} // namespace

void SettingsWindow::RebuildTree() {
    TreeView tree = groupTree.Tree();
    // The tree items travel with their entries through any reordering, so
    // these are the same groups as before the change.
    int selected = FindGroupOfTreeItem(store, tree.Selection());
    int firstVisible = FindGroupOfTreeItem(store, tree.FirstVisible());

    bool locked = LockWindowUpdate(hwnd_) != 0;
    tree.DeleteAll();
    HTREEITEM root = tree.Insert(TVI_ROOT, TVI_LAST, kRootText, programIconIndex, programIconIndex);
    InsertGroupItems(root);
    tree.Expand(root, TVE_EXPAND);
    tree.Select(TreeItemOfEntry(selected, root), TVGN_CARET);
    tree.Select(TreeItemOfEntry(firstVisible, root), TVGN_FIRSTVISIBLE);
    if (locked)
        LockWindowUpdate(nullptr);
}

// One item per group, under its parent's item. The table is in tree order,
// so a parent's item exists before its children come; a group whose parent
// got no item (a parent that names no group) gets none, nor do its own.
void SettingsWindow::InsertGroupItems(HTREEITEM root) {
    TreeView tree = groupTree.Tree();
    for (int i = 0; i < store.GetDataNum(); ++i)
        store.GetData(i)->treeItem = nullptr;
    for (int i = 0; i < store.GetDataNum(); ++i) {
        WorkingEntry* entry = store.GetData(i);
        if (entry->kind != KIND_GROUP)
            continue;
        WorkingEntry* parent = nullptr;
        if (entry->parent != kParentTopLevel) {
            int index = FindEntryById(store, entry->parent);
            parent = index < 0 ? nullptr : store.GetData(index);
            if (!parent || !parent->treeItem)
                continue;
        }
        HTREEITEM parentItem = parent ? parent->treeItem : root;
        entry->treeItem = tree.Insert(parentItem, TVI_LAST, FieldString(entry->name).c_str(),
                                      folderIconIndex, openFolderIconIndex);
        // A group shows expanded once it has a child group to show.
        if (parent && parent->expanded)
            tree.Expand(parentItem, TVE_EXPAND);
    }
}

HTREEITEM SettingsWindow::TreeItemOfEntry(int index, HTREEITEM root) {
    if (index < 0 || !store.GetData(index)->treeItem)
        return root;
    return store.GetData(index)->treeItem;
}

void SettingsWindow::FillItemList(HTREEITEM item) {
    ++listIcons.generation;
    itemList.Send(WM_SETREDRAW, FALSE);
    FillRows(item);
    itemList.Send(WM_SETREDRAW, TRUE);
    InvalidateRect(itemList.Handle(), nullptr, TRUE);
}

void SettingsWindow::FillRows(HTREEITEM item) {
    itemList.DeleteAll();
    std::optional<int32_t> group = GroupIdOfTreeItem(store, groupTree.Tree(), item);
    if (!group)
        return;
    bool listGroups = !store.GetOptions()->opt4;
    for (int i = 0; i < store.GetDataNum(); ++i) {
        const WorkingEntry* entry = store.GetData(i);
        if (!IsListedIn(*entry, *group, listGroups))
            continue;
        int row = itemList.Count();
        itemList.InsertItem(row, FieldString(entry->name).c_str(),
                            ListImage(ListIcon(*entry, row)));
        itemList.SetItemText(
            row, 1, entry->kind == KIND_GROUP ? kGroupLocation : FieldString(entry->path).c_str());
    }
}

// A file shows the icon kept for it, or none until the shell has answered;
// the rows are on show, so their icons are asked first.
int SettingsWindow::ListIcon(const WorkingEntry& entry, int row) {
    if (entry.kind == KIND_FILE)
        return icons.FileIcon(ExpandEntryPath(entry.path, store.Directory()), &listIcons,
                              listIcons.generation, row, true);
    if (entry.kind == KIND_URL)
        return IconResolver::kUrlIcon;
    return folderIconIndex;
}

void SettingsWindow::ListIcons::ShowIcon(int key, int iconIndex) {
    window_->itemList.SetItemImage(key, ListImage(iconIndex));
}

int SettingsWindow::GetCurrentGroupId() {
    TreeView tree = groupTree.Tree();
    return GroupIdOfTreeItem(store, tree, tree.Selection()).value_or(kParentTopLevel);
}

void SettingsWindow::GetSelectedEntry(int* index, int* row) {
    *index = -1;
    *row = itemList.NextItem(-1, LVNI_SELECTED);
    if (*row < 0)
        return;
    TreeView tree = groupTree.Tree();
    std::optional<int32_t> group = GroupIdOfTreeItem(store, tree, tree.Selection());
    if (group)
        *index = ListedEntryIndex(store, *group, *row, !store.GetOptions()->opt4);
}

int SettingsWindow::EntryIndexOfRow(int row) {
    TreeView tree = groupTree.Tree();
    std::optional<int32_t> group = GroupIdOfTreeItem(store, tree, tree.Selection());
    if (!group)
        return -1;
    return ListedEntryIndex(store, *group, row, !store.GetOptions()->opt4);
}

// Edit, Delete, Up and Down need a selected entry: their menu items (and so
// their shortcuts) and their buttons are enabled and grayed together.
void SettingsWindow::EnableEditCommands(bool enable) {
    if (enable == editCommandsEnabled)
        return;
    HMENU bar = GetMenu(hwnd_);
    for (int id : kEditCommandMenuItems)
        EnableMenuItem(bar, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
    for (int id : kEditCommandButtons)
        Item(id).Enable(enable);
    editCommandsEnabled = enable;
}

void SettingsWindow::OnTreeSelChanging(const NMTREEVIEWA* info) {
    FillItemList(info->itemNew.hItem);
    EnableEditCommands(false);
}

// A collapse that hides the selected group takes the selection to the
// collapsing item. Wine's tree view moves it there without TVN_SELCHANGING,
// which would leave the list showing the old group's rows while the commands
// map rows through the new selection; selecting the item first goes the
// normal way: the list is refilled and the commands grayed.
void SettingsWindow::OnTreeItemExpanding(const NMTREEVIEWA* info) {
    if ((info->action & (TVE_COLLAPSE | TVE_EXPAND)) != TVE_COLLAPSE)
        return;
    TreeView tree = groupTree.Tree();
    HTREEITEM item = info->itemNew.hItem;
    HTREEITEM selected = tree.Selection();
    if (!item || !selected)
        return;
    for (HTREEITEM up = tree.Parent(selected); up; up = tree.Parent(up)) {
        if (up == item) {
            tree.Select(item, TVGN_CARET);
            return;
        }
    }
}

// The root always stays expanded; a group's state is kept in its entry, so
// that it survives the rebuilds.
void SettingsWindow::OnTreeItemExpanded(const NMTREEVIEWA* info) {
    TreeView tree = groupTree.Tree();
    HTREEITEM item = info->itemNew.hItem;
    // Flags like TVE_COLLAPSERESET may come along with the action.
    UINT action = info->action & (TVE_COLLAPSE | TVE_EXPAND);
    if (item == tree.Root()) {
        if (action == TVE_COLLAPSE)
            tree.Expand(item, TVE_EXPAND);
        return;
    }
    int index = FindGroupOfTreeItem(store, item);
    if (index < 0)
        return;
    if (action == TVE_COLLAPSE)
        store.GetData(index)->expanded = 0;
    else if (action == TVE_EXPAND)
        store.GetData(index)->expanded = 1;
}

// A row that gains a state (selected or focused) enables the commands; one
// that loses it does not gray them.
void SettingsWindow::OnListItemChanged(const NMLISTVIEW* info) {
    if (info->uNewState != 0)
        EnableEditCommands(true);
}
