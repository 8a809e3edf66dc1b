// The invariants of an entry table, as one check that both the test suite and
// the fuzzer use: in tree order (each entry's parent is -1 or a group still
// open above it), ids unique and in 0..254, texts terminated in their fields.
#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "store/ItemStore.h"

// Empty when the table holds to every invariant, else what breaks first.
inline std::string TableProblem(ItemStore& store, bool committed) {
    int count = committed ? store.GetCommittedNum() : store.GetDataNum();
    if (count < 0 || count > kMaxEntries)
        return "count " + std::to_string(count);
    std::set<int32_t> ids;
    std::vector<int32_t> openGroups;
    for (int i = 0; i < count; ++i) {
        const LaunchEntry& entry = committed ? *store.GetCommittedData(i) : *store.GetData(i);
        std::string where = "slot " + std::to_string(i) + ": ";
        if (entry.id < 0 || entry.id >= kMaxEntries)
            return where + "id out of range";
        if (!ids.insert(entry.id).second)
            return where + "repeated id";
        if (std::find(entry.name, entry.name + kNameSize, '\0') == entry.name + kNameSize) {
            return where + "name unterminated";
        }
        if (std::find(entry.path, entry.path + kPathSize, '\0') == entry.path + kPathSize) {
            return where + "path unterminated";
        }
        if (entry.parent == kParentTopLevel) {
            openGroups.clear();
        } else {
            while (!openGroups.empty() && openGroups.back() != entry.parent)
                openGroups.pop_back();
            if (openGroups.empty())
                return where + "parent is not a group above it";
        }
        if (entry.kind == KIND_GROUP)
            openGroups.push_back(entry.id);
    }
    return std::string();
}
