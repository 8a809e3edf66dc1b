// The records of the launcher's entry tables.
#pragma once

#include <cstdint>

enum EntryKind : int32_t {
    KIND_FILE = 0,
    KIND_GROUP = 1,
    KIND_URL = 2,
};

// Capacity of each entry table; ids run from 0 to kMaxEntries - 1.
constexpr int kMaxEntries = 255;
constexpr int kNameSize = 64;  // 63 bytes of text and the NUL
constexpr int kPathSize = 260; // 259 bytes of text and the NUL

constexpr int32_t kParentTopLevel = -1;
constexpr int32_t kParentEmptySlot = -2;
constexpr int32_t kNoId = -1;

struct LaunchEntry {
    char name[kNameSize];
    char path[kPathSize];
    int32_t kind;
    int32_t parent; // id of the containing group, kParentTopLevel or kParentEmptySlot
    int32_t id;     // 0..254, or kNoId while not assigned
};

// The handle of a group's item in the settings window's tree. The store only
// stores and compares it; the type is the one Windows names HTREEITEM, so the
// window code needs no casts, and it stays an opaque pointer elsewhere.
using TreeItemHandle = struct _TREEITEM*;

struct WorkingEntry : LaunchEntry {
    TreeItemHandle treeItem; // the group's item from the latest tree build, or null
    int32_t expanded;        // nonzero: the group's item is shown expanded
};

// An empty slot as the store's construction leaves it.
LaunchEntry EmptyLaunchEntry();
