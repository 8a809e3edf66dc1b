// Removal of file entries whose file or folder no longer exists, over both
// entry tables of the store.
#pragma once

#include "store/ItemStore.h"

// A file entry with nothing at its path (an empty path included). Groups
// and URLs are never broken, whatever their path holds.
bool IsBrokenEntry(const LaunchEntry& entry);

// What the removal took away from each table, subtrees included.
struct RemovedCounts {
    int working = 0;
    int committed = 0;
};

// Removes every broken entry, with whatever is filed under it, from the
// working and then the committed table, each from its last index down so
// that the indexes still to visit stay valid. Writes nothing to disk.
RemovedCounts RemoveBrokenEntries(ItemStore& store);
