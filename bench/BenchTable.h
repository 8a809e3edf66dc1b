// The table the benchmark measures with: 255 entries, 15 at the top level
// and 15 groups of 15, naming files and folders that exist in the Wine
// prefix, and some URLs.
#pragma once

#include <string>
#include <vector>

#include "store/LaunchEntry.h"

namespace bench {

constexpr int kTopEntries = 15;
constexpr int kGroups = 15;
constexpr int kPerGroup = 15;

// The entries in the order they are added; the store gives them their ids
// and puts them in tree order. Files are distinct files of the system
// folder, folders are made under the folder given.
std::vector<LaunchEntry> FullTable(const std::string& folderRoot);

// Writes the data file and a settings file (all options clear: the window
// stays hidden at start) into the folder; false when either failed.
bool SeedFolder(const std::string& folder, const std::vector<LaunchEntry>& entries);

} // namespace bench
