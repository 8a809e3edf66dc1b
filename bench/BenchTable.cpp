#include "bench/BenchTable.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "store/ItemStore.h"

namespace bench {

namespace {

// Per block of 15 entries: 11 files, 2 folders, 2 URLs.
constexpr int kFilesPerBlock = 11;
constexpr int kFoldersPerBlock = 2;

LaunchEntry Entry(const std::string& name, int32_t kind, int32_t parent, const std::string& path) {
    LaunchEntry entry = EmptyLaunchEntry();
    std::strncpy(entry.name, name.c_str(), kNameSize - 1);
    std::strncpy(entry.path, path.c_str(), kPathSize - 1);
    entry.kind = kind;
    entry.parent = parent;
    return entry;
}

// Programs first, then libraries: different files, so that no two file
// entries share an icon lookup.
std::vector<std::string> SystemFiles(size_t wanted) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    std::vector<std::string> found;
    for (const char* pattern : {"\\*.exe", "\\*.dll"}) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((std::string(system) + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(std::string(system) + "\\" + data.cFileName);
        } while (FindNextFileA(find, &data));
        FindClose(find);
        std::sort(names.begin(), names.end());
        found.insert(found.end(), names.begin(), names.end());
    }
    if (found.size() > wanted)
        found.resize(wanted);
    return found;
}

// Fills one block of entries under the parent: files, folders, then URLs.
void AddBlock(std::vector<LaunchEntry>* entries, int32_t parent, int block,
              const std::vector<std::string>& files, size_t* nextFile,
              const std::string& folderRoot) {
    char name[64];
    for (int i = 0; i < kFilesPerBlock; ++i) {
        const std::string& path = files[*nextFile % files.size()];
        ++*nextFile;
        std::snprintf(name, sizeof name, "プログラム %d-%d", block, i);
        entries->push_back(Entry(name, KIND_FILE, parent, path));
    }
    for (int i = 0; i < kFoldersPerBlock; ++i) {
        std::snprintf(name, sizeof name, "フォルダ%02d-%d", block, i);
        std::string path = folderRoot + "\\" + name;
        CreateDirectoryA(path.c_str(), nullptr);
        entries->push_back(Entry(name, KIND_FILE, parent, path));
    }
    for (int i = kFilesPerBlock + kFoldersPerBlock; i < kPerGroup; ++i) {
        std::snprintf(name, sizeof name, "サイト %d-%d", block, i);
        char url[96];
        std::snprintf(url, sizeof url, "https://site%d-%d.example.org/", block, i);
        entries->push_back(Entry(name, KIND_URL, parent, url));
    }
}

} // namespace

// Ids follow the order of insertion, so the groups come first (ids 0..14)
// and the entries can name their group's id.
std::vector<LaunchEntry> FullTable(const std::string& folderRoot) {
    CreateDirectoryA(folderRoot.c_str(), nullptr);
    std::vector<std::string> files = SystemFiles((kGroups + 1) * kFilesPerBlock);
    std::vector<LaunchEntry> entries;
    char name[64];
    for (int g = 0; g < kGroups; ++g) {
        std::snprintf(name, sizeof name, "グループ %02d", g);
        entries.push_back(Entry(name, KIND_GROUP, kParentTopLevel, ""));
    }
    size_t nextFile = 0;
    for (int g = 0; g < kGroups; ++g)
        AddBlock(&entries, g, g, files, &nextFile, folderRoot);
    AddBlock(&entries, kParentTopLevel, kGroups, files, &nextFile, folderRoot);
    return entries;
}

bool SeedFolder(const std::string& folder, const std::vector<LaunchEntry>& entries) {
    CreateDirectoryA(folder.c_str(), nullptr);
    ItemStore store;
    store.SetDirectory(folder);
    for (const LaunchEntry& entry : entries)
        store.InsertData(entry, -1);
    return store.CommitData() != 0 && store.WriteOptions() != 0;
}

} // namespace bench
