#include "dialogs/BrokenEntries.h"

#include <windows.h>

#include "ui/EntryPath.h"

#include <functional>
#include <vector>

namespace {

// Whether a file or folder exists at the path. The attributes answer for a
// drive root and for a folder named with its trailing backslash, which a
// file search finds nothing for although the shell opens them; the search
// still answers for what it always kept (a name with wildcards that matches
// a file), so no entry that was kept before is removed now.
bool SomethingExistsAt(const char* path) {
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

// Marks first, then removes from the last mark down: removing an entry
// closes up only the slots after it.
int RemoveFromTable(int count, const std::function<const LaunchEntry*(int)>& entryAt,
                    const std::function<int(int)>& deleteAt, const std::string& programFolder) {
    std::vector<int> broken;
    for (int i = 0; i < count; ++i)
        if (IsBrokenEntry(*entryAt(i), programFolder))
            broken.push_back(i);
    int remaining = count;
    for (auto index = broken.rbegin(); index != broken.rend(); ++index)
        remaining = deleteAt(*index);
    return count - remaining;
}

} // namespace

// A path that goes to the shell as written (an address, a shell folder) is
// never broken. A bare name that is not beside the program is judged by the
// system's search, which is where the launch finds it, never by whatever
// folder the launcher happens to run in.
bool IsBrokenEntry(const LaunchEntry& entry, const std::string& programFolder) {
    if (entry.kind != KIND_FILE)
        return false;
    EntryCommand command = EntryCommandOf(entry.path, programFolder);
    if (IsShellPath(command.file.c_str()))
        return false;
    if (command.searched)
        return !FoundBySystemSearch(command.file);
    return !SomethingExistsAt(command.file.c_str());
}

RemovedCounts RemoveBrokenEntries(ItemStore& store) {
    RemovedCounts removed;
    removed.working = RemoveFromTable(
        store.GetDataNum(), [&store](int i) { return store.GetData(i); },
        [&store](int i) { return store.DeleteData(i); }, store.Directory());
    removed.committed = RemoveFromTable(
        store.GetCommittedNum(), [&store](int i) { return store.GetCommittedData(i); },
        [&store](int i) { return store.DeleteCommittedData(i); }, store.Directory());
    return removed;
}
