// How the settings window's views map back to the working table. The views
// carry no item data: a tree item is found through the `treeItem` its group
// entry holds, a list row by counting the entries the list shows for the
// selected group. Nothing here needs a window.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "store/ItemStore.h"

// The index of the group entry shown by the tree item, or -1 (also for a
// null item).
int FindGroupOfTreeItem(ItemStore& store, TreeItemHandle item);

// The index of the first entry with that id, or -1.
int FindEntryById(ItemStore& store, int32_t id);

// Whether the list shows the entry for the group with that id (-1: the top
// level): files and URLs, and groups unless they are left out of the list.
bool IsListedIn(const LaunchEntry& entry, int32_t groupId, bool listGroups);

// The index of the entry in the given row of the list for that group, or
// -1 when the list has fewer rows.
int ListedEntryIndex(ItemStore& store, int32_t groupId, int row, bool listGroups);

// A name or path field's text, also when the field lacks its NUL.
template <size_t Size>
std::string FieldString(const char (&field)[Size]) {
    return std::string(field, strnlen(field, Size));
}
