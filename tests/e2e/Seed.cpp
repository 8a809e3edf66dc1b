// Prepares the end-to-end test's folder: a data file whose launcher menu
// holds a group and, last at the top level, an entry that starts the marker
// program; and a settings file that keeps the window hidden at start.
//
//   e2e_seed FOLDER MARKER_EXE [more|full]
//   e2e_seed --kinds FOLDER PROGRAM DOCUMENT DIRECTORY URL
//
// more: three more top-level file entries, for a file that is gone, the
//       Windows folder and the drive root, and a file that is gone in ツール.
// full: a group "満杯" that fills the table up to its last slot with copies
//       of the marker entry.
// The --kinds form writes one entry of each kind: the group "ツール" holding
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

// Ids follow the order of insertion: ツール is 0, the group "満杯" 5.
void AddMore(ItemStore& store) {
    store.InsertData(Entry("消えたプログラム", KIND_FILE, kParentTopLevel, "C:\\nowhere\\gone.exe"),
                     -1);
    store.InsertData(Entry("Windows フォルダ", KIND_FILE, kParentTopLevel, "C:\\windows"), -1);
    store.InsertData(Entry("C ドライブ", KIND_FILE, kParentTopLevel, "C:\\"), -1);
    store.InsertData(Entry("消えた文書", KIND_FILE, 0, "C:\\nowhere\\gone.txt"), -1);
}

void AddUntilFull(ItemStore& store, const char* marker) {
    store.InsertData(Entry("満杯", KIND_GROUP, kParentTopLevel, ""), -1);
    while (store.GetDataNum() < kMaxEntries)
        store.InsertData(Entry("マーカー", KIND_FILE, 5, marker), -1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 7 && std::strcmp(argv[1], "--kinds") == 0)
        return SeedEveryKind(argv + 2);
    const char* extra = argc == 4 ? argv[3] : "";
    if ((argc != 3 && argc != 4) ||
        (argc == 4 && std::strcmp(extra, "more") != 0 && std::strcmp(extra, "full") != 0)) {
        std::fprintf(stderr, "usage: e2e_seed FOLDER MARKER_EXE [more|full]\n");
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
    if (std::strcmp(extra, "more") == 0)
        AddMore(store);
    if (std::strcmp(extra, "full") == 0)
        AddUntilFull(store, argv[2]);
    return WriteTable(store);
}
