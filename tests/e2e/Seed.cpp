// Prepares the end-to-end test's folder: a data file whose launcher menu
// holds a group and, last at the top level, an entry that starts the marker
// program; and a settings file that keeps the window hidden at start.
//
//   e2e_seed FOLDER MARKER_EXE
//   e2e_seed --kinds FOLDER PROGRAM DOCUMENT DIRECTORY URL
//
// The second form writes one entry of each kind: the group "ツール" holding
// the program "マーカー", then at the top level the document "予定表", the
// folder "共有" and the URL "ウェブ"; and a settings file, so the window
// stays hidden at start.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "store/ItemStore.h"

namespace {

LaunchEntry Entry(const char* name, int32_t kind, int32_t parent, const char* path) {
    LaunchEntry entry = EmptyLaunchEntry();
    std::strncpy(entry.name, name, kNameSize - 1);
    std::strncpy(entry.path, path, kPathSize - 1);
    entry.kind = kind;
    entry.parent = parent;
    return entry;
}

int WriteTable(ItemStore& store) {
    if (!store.CommitData()) {
        std::fprintf(stderr, "could not write the data file\n");
        return 1;
    }
    if (!store.WriteOptions()) {
        std::fprintf(stderr, "could not write the settings file\n");
        return 1;
    }
    return 0;
}

int SeedEveryKind(char** argv) {
    ItemStore store;
    store.SetDirectory(argv[0]);
    store.InsertData(Entry("ツール", KIND_GROUP, kParentTopLevel, ""), -1);
    store.InsertData(Entry("マーカー", KIND_FILE, 0, argv[1]), -1);
    store.InsertData(Entry("予定表", KIND_FILE, kParentTopLevel, argv[2]), -1);
    store.InsertData(Entry("共有", KIND_FILE, kParentTopLevel, argv[3]), -1);
    store.InsertData(Entry("ウェブ", KIND_URL, kParentTopLevel, argv[4]), -1);
    return WriteTable(store);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 7 && std::strcmp(argv[1], "--kinds") == 0)
        return SeedEveryKind(argv + 2);
    if (argc != 3) {
        std::fprintf(stderr, "usage: e2e_seed FOLDER MARKER_EXE\n");
        return 2;
    }
    ItemStore store;
    store.SetDirectory(argv[1]);
    // Ids follow the order of insertion: the group is 0.
    store.InsertData(Entry("ツール", KIND_GROUP, kParentTopLevel, ""), -1);
    store.InsertData(Entry("メモ帳", KIND_FILE, 0, "C:\\windows\\notepad.exe"), -1);
    store.InsertData(Entry("空のグループ", KIND_GROUP, 0, ""), -1);
    store.InsertData(
        Entry("Brindleway & Co.", KIND_URL, kParentTopLevel, "https://brindleway.example.org/"),
        -1);
    store.InsertData(Entry("マーカー", KIND_FILE, kParentTopLevel, argv[2]), -1);
    if (!store.CommitData()) {
        std::fprintf(stderr, "could not write the data file\n");
        return 1;
    }
    if (!store.WriteOptions()) {
        std::fprintf(stderr, "could not write the settings file\n");
        return 1;
    }
    return 0;
}
