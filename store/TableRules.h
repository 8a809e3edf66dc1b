// The tree rules both entry tables share: putting a table into tree order
// and deleting an entry with its subtree. Templates, so that the committed
// table (LaunchEntry) and the working table (WorkingEntry, which carries its
// tree fields along) use the same code.
#pragma once

#include <vector>

#include "store/LaunchEntry.h"

namespace table_rules {

inline void ResetSlot(LaunchEntry* slot) {
    *slot = EmptyLaunchEntry();
}

inline void ResetSlot(WorkingEntry* slot) {
    static_cast<LaunchEntry&>(*slot) = EmptyLaunchEntry();
    slot->treeItem = nullptr;
    slot->expanded = 0;
}

template <class Entry>
class TreeArranger {
public:
    TreeArranger(Entry* table, int count, bool filesFirst)
        : table_(table), source_(table, table + count), placed_(count, false),
          filesFirst_(filesFirst) {}

    void Run() {
        PlaceChildren(kParentTopLevel);
        // What the walk from the top level could not reach (a parent that
        // names no group, a cycle) is kept: each such branch moves to the top
        // level, after the reachable entries, with its subtree.
        while (next_ < static_cast<int>(source_.size())) {
            int top = FindUnreachableTop();
            source_[top].parent = kParentTopLevel;
            Place(top);
        }
    }

private:
    void Place(int i) {
        table_[next_++] = source_[i];
        placed_[i] = true;
        // A group's id of -1 would stand for the top level: such a group has
        // no children.
        if (source_[i].kind == KIND_GROUP && source_[i].id >= 0)
            PlaceChildren(source_[i].id);
    }

    void PlaceChildren(int32_t parent) {
        int count = static_cast<int>(source_.size());
        if (filesFirst_) {
            for (int i = 0; i < count; ++i) {
                if (!placed_[i] && source_[i].parent == parent && source_[i].kind == KIND_FILE)
                    Place(i);
            }
        }
        for (int i = 0; i < count; ++i) {
            if (!placed_[i] && source_[i].parent == parent)
                Place(i);
        }
    }

    // The first unplaced group with that id, or -1.
    int UnplacedGroup(int32_t id) const {
        if (id < 0)
            return -1;
        for (size_t i = 0; i < source_.size(); ++i) {
            if (!placed_[i] && source_[i].kind == KIND_GROUP && source_[i].id == id)
                return static_cast<int>(i);
        }
        return -1;
    }

    // The entry to move to the top level next: from the first unplaced entry
    // in table order, up through its unplaced parent groups to one whose
    // parent names no unplaced group; when the walk runs into a cycle, the
    // cycle's first member in table order.
    int FindUnreachableTop() const {
        int count = static_cast<int>(source_.size());
        int member = 0;
        while (placed_[member])
            ++member;
        for (int step = 0; step < count; ++step) {
            int parent = UnplacedGroup(source_[member].parent);
            if (parent < 0)
                return member;
            member = parent;
        }
        // More steps than entries: member lies on a cycle.
        int earliest = member;
        for (int walk = UnplacedGroup(source_[member].parent); walk != member;
             walk = UnplacedGroup(source_[walk].parent)) {
            if (walk < earliest)
                earliest = walk;
        }
        return earliest;
    }

    Entry* table_;
    std::vector<Entry> source_;
    std::vector<bool> placed_;
    bool filesFirst_;
    int next_ = 0;
};

// Rebuilds the first count slots in tree order: the top-level entries in
// their order, each group followed at once by its subtree, depth first. With
// filesFirst, the file entries of each level come ahead of its groups and
// URLs. The order among siblings is kept otherwise.
template <class Entry>
void ArrangeInTreeOrder(Entry* table, int count, bool filesFirst) {
    TreeArranger<Entry>(table, count, filesFirst).Run();
}

// Removes slot index and every entry below it (the table being in tree
// order, they all follow it); the rest close up. Returns the new count.
template <class Entry>
int DeleteWithSubtree(Entry* table, int count, int index) {
    if (index < 0 || index >= count)
        return count;
    bool removed[kMaxEntries] = {};
    auto markRemoved = [&removed](int32_t id) {
        if (id >= 0 && id < kMaxEntries)
            removed[id] = true;
    };
    markRemoved(table[index].id);
    int kept = index;
    for (int i = index + 1; i < count; ++i) {
        int32_t parent = table[i].parent;
        if (parent >= 0 && parent < kMaxEntries && removed[parent]) {
            markRemoved(table[i].id);
            continue;
        }
        table[kept++] = table[i];
    }
    for (int i = kept; i < count; ++i)
        ResetSlot(&table[i]);
    return kept;
}

} // namespace table_rules
