#include "settings/EntryLookup.h"

int FindGroupOfTreeItem(ItemStore& store, TreeItemHandle item) {
    if (!item)
        return -1;
    for (int i = 0; i < store.GetDataNum(); ++i) {
        const WorkingEntry* entry = store.GetData(i);
        if (entry->kind == KIND_GROUP && entry->treeItem == item)
            return i;
    }
    return -1;
}

int FindEntryById(ItemStore& store, int32_t id) {
    for (int i = 0; i < store.GetDataNum(); ++i)
        if (store.GetData(i)->id == id)
            return i;
    return -1;
}

bool IsListedIn(const LaunchEntry& entry, int32_t groupId, bool listGroups) {
    if (entry.parent != groupId)
        return false;
    return entry.kind == KIND_FILE || entry.kind == KIND_URL ||
           (entry.kind == KIND_GROUP && listGroups);
}

int ListedEntryIndex(ItemStore& store, int32_t groupId, int row, bool listGroups) {
    if (row < 0)
        return -1;
    int seen = 0;
    for (int i = 0; i < store.GetDataNum(); ++i) {
        if (!IsListedIn(*store.GetData(i), groupId, listGroups))
            continue;
        if (seen++ == row)
            return i;
    }
    return -1;
}
