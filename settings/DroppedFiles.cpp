// Files and folders dropped onto the settings window become entries of a
// group: the group under the pointer when they land on the tree, otherwise
// the group selected in the tree. Like every edit they change the working
// table only, until OK or Apply.
#include "settings/SettingsWindow.h"

#include <set>
#include <string>
#include <vector>

#include "dialogs/DroppedEntry.h"
#include "settings/EntryLookup.h"
#include "ui/DroppedFiles.h"
#include "ui/EntryPath.h"
#include "ui/MessageBox.h"
#include "ui/WideText.h"

namespace {

std::set<int32_t> IdsInUse(ItemStore& store) {
    std::set<int32_t> ids;
    for (int i = 0; i < store.GetDataNum(); ++i)
        ids.insert(store.GetData(i)->id);
    return ids;
}

} // namespace

void SettingsWindow::OnDropFiles(HDROP drop) {
    std::vector<DroppedPath> paths = DroppedPaths(drop);
    POINT point{};
    bool inClient = DropPointInClient(drop, &point);
    DragFinish(drop);

    TreeView tree = groupTree.Tree();
    HTREEITEM target = inClient ? GroupItemAt(point) : nullptr;
    if (!target)
        target = tree.Selection();
    int32_t parent = kParentTopLevel;
    if (target != tree.Root()) {
        int index = FindGroupOfTreeItem(store, target);
        if (index < 0)
            return;
        parent = store.GetData(index)->id;
    }

    RefusedDrops refused;
    int32_t lastAdded = AddDroppedEntries(paths, parent, &refused);
    if (lastAdded != kNoId) {
        // The list shows the group the entries went into.
        if (tree.Selection() != target)
            tree.Select(target, TVGN_CARET);
        RebuildTree();
        SelectRowOfEntry(lastAdded);
    }
    if (!refused.tooLong.empty() || !refused.noAnsiForm.empty())
        ReportRefusedDrops(refused);
}

// Appends an entry for each path to the group, in the order dropped, and
// returns the id of the last one added (kNoId for none). Paths the entries
// cannot hold, and names with no Shift-JIS form, go to refused. A full table
// stops the rest: the store tells the user once, and what was added before
// stays.
int32_t SettingsWindow::AddDroppedEntries(const std::vector<DroppedPath>& paths, int32_t parent,
                                          RefusedDrops* refused) {
    int32_t lastAdded = kNoId;
    bool removable = OnRemovableDrive(store.Directory());
    for (const DroppedPath& path : paths) {
        if (!path.hasAnsiForm) {
            refused->noAnsiForm.push_back(path.name);
            continue;
        }
        LaunchEntry entry;
        if (!EntryForDroppedPath(path.path, store.Directory(), removable, &entry)) {
            refused->tooLong.push_back(path.path);
            continue;
        }
        entry.parent = parent;
        std::set<int32_t> before = IdsInUse(store);
        if (!store.InsertData(entry, -1))
            break;
        for (int32_t id : IdsInUse(store))
            if (!before.count(id))
                lastAdded = id;
    }
    return lastAdded;
}

// The group item under a point of the window's client area, when the point
// lies on the tree; null elsewhere, on the tree's empty space included.
HTREEITEM SettingsWindow::GroupItemAt(POINT point) {
    TreeView tree = groupTree.Tree();
    MapWindowPoints(hwnd_, tree.Handle(), &point, 1);
    RECT client = tree.ClientRect();
    if (!PtInRect(&client, point))
        return nullptr;
    UINT flags = 0;
    HTREEITEM item = tree.HitTest(point, &flags);
    return (flags & TVHT_ONITEM) ? item : nullptr;
}

void SettingsWindow::SelectRowOfEntry(int32_t id) {
    for (int row = 0; row < itemList.Count(); ++row) {
        int index = EntryIndexOfRow(row);
        if (index >= 0 && store.GetData(index)->id == id) {
            SelectRow(row);
            return;
        }
    }
}

// What was left out is told in one message, by reason; the names without a
// Shift-JIS form can only be shown in wide text.
void SettingsWindow::ReportRefusedDrops(const RefusedDrops& refused) {
    std::wstring text;
    if (!refused.tooLong.empty()) {
        std::string part = "次の項目はパスまたはURLが長すぎるため追加しませんでした:";
        for (const std::string& path : refused.tooLong)
            part += "\n" + PathInLines(path);
        text = WideOf(part);
    }
    if (!refused.noAnsiForm.empty()) {
        if (!text.empty())
            text += L"\n\n";
        text += WideOf("次の項目は名前にシフトJISにない文字が含まれているため追加しませんでした"
                       "（そのままでは開けない名前に変わってしまいます）:");
        for (const std::wstring& name : refused.noAnsiForm)
            text += L"\n" + WideInLines(name);
    }
    ShowMessage(text, MB_OK | MB_ICONEXCLAMATION, hwnd_);
}
