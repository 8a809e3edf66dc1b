// Removal of file entries whose file or folder no longer exists, over both
// entry tables of the store.
#pragma once

#include "store/ItemStore.h"

#include <string>

// A file entry with nothing at its path (an empty path included), once the
// path is expanded and resolved as a launch resolves it; a bare name that is
// not beside the program is looked for as the shell looks for it. Groups,
// URLs and file entries whose path goes to the shell as written (an address,
// a shell folder) are never broken.
bool IsBrokenEntry(const LaunchEntry& entry, const std::string& programFolder);

// What the removal took away from each table, subtrees included.
struct RemovedCounts {
    int working = 0;
    int committed = 0;
};

// Removes every broken entry, with whatever is filed under it, from the
// working and then the committed table, each from its last index down so
// that the indexes still to visit stay valid. Writes nothing to disk.
RemovedCounts RemoveBrokenEntries(ItemStore& store);
