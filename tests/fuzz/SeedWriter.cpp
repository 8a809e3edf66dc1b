// Writes the fuzzer's seed corpus with the store itself: data files as the
// program writes them (empty, one group, a nested tree, a full table of
// short records), and from them damaged ones just past each bound (a name of
// 64 bytes, a path of 260, 256 records) with matching checksums, which
// random mutation alone seldom builds.
//
//   brindleway_fuzz_seeds FOLDER
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "store/ItemStore.h"

namespace {

using Bytes = std::vector<char>;

LaunchEntry Entry(const char* name, int32_t kind, int32_t parent, const char* path) {
    LaunchEntry entry = EmptyLaunchEntry();
    std::snprintf(entry.name, sizeof entry.name, "%s", name);
    std::snprintf(entry.path, sizeof entry.path, "%s", path);
    entry.kind = kind;
    entry.parent = parent;
    return entry;
}

bool Save(ItemStore& store, const std::string& folder, const std::string& name, Bytes* bytes) {
    if (store.CommitData() != 1)
        return false;
    std::ifstream in(store.DataFilePath(), std::ios::binary);
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    in.close();
    std::remove(store.DataFilePath().c_str());
    std::ofstream out(folder + kPathSeparator + name, std::ios::binary | std::ios::trunc);
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    return out.good();
}

void PutInt32At(Bytes* bytes, size_t offset, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        (*bytes)[offset + i] = static_cast<char>(bits >> (8 * i));
}

void FixChecksum(Bytes* bytes) {
    char sum = 0;
    for (size_t i = 1; i < bytes->size(); ++i)
        sum = static_cast<char>(sum ^ (*bytes)[i]);
    (*bytes)[0] = sum;
}

bool WriteSeed(const std::string& folder, const std::string& name, const Bytes& bytes) {
    std::ofstream out(folder + kPathSeparator + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: brindleway_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    Bytes bytes;

    auto empty = std::make_unique<ItemStore>();
    empty->SetDirectory(folder);
    ok = ok && Save(*empty, folder, "empty", &bytes);

    auto group = std::make_unique<ItemStore>();
    group->SetDirectory(folder);
    group->InsertData(Entry("abc", KIND_GROUP, kParentTopLevel, ""), -1);
    ok = ok && Save(*group, folder, "group-abc", &bytes);

    auto tree = std::make_unique<ItemStore>();
    tree->SetDirectory(folder);
    tree->InsertData(Entry("Tools", KIND_GROUP, kParentTopLevel, ""), -1);
    tree->InsertData(Entry("Editor", KIND_FILE, 0, "C:\\Program Files\\Editor\\edit.exe"), -1);
    tree->InsertData(Entry("Inner", KIND_GROUP, 0, ""), -1);
    tree->InsertData(Entry("Notes", KIND_FILE, 2, "D:\\notes.txt"), -1);
    tree->InsertData(Entry("Site", KIND_URL, kParentTopLevel, "http://example.com/"), -1);
    tree->InsertData(Entry(std::string(63, 'n').c_str(), KIND_FILE, kParentTopLevel,
                           std::string(259, 'p').c_str()),
                     -1);
    ok = ok && Save(*tree, folder, "tree", &bytes);

    // Damaged variants of the tree: one byte short, a wrong checksum.
    Bytes shorter(bytes.begin(), bytes.end() - 1);
    ok = ok && WriteSeed(folder, "tree-truncated", shorter);
    Bytes mismatch = bytes;
    mismatch[0] = static_cast<char>(mismatch[0] ^ 0x5A);
    ok = ok && WriteSeed(folder, "tree-checksum", mismatch);

    // The tree's last record holds the 63-byte name and the 259-byte path:
    // nameLen, name and NUL, pathLen, path and NUL end the file.
    const size_t pathAt = bytes.size() - 260, pathLengthAt = pathAt - 4;
    const size_t nameAt = pathLengthAt - 64, nameLengthAt = nameAt - 4;
    Bytes longName = bytes;
    longName.insert(longName.begin() + static_cast<long>(nameAt), 'n');
    PutInt32At(&longName, nameLengthAt, 64);
    FixChecksum(&longName);
    ok = ok && WriteSeed(folder, "tree-name64", longName);
    Bytes longPath = bytes;
    longPath.insert(longPath.begin() + static_cast<long>(pathAt), 'p');
    PutInt32At(&longPath, pathLengthAt, 260);
    FixChecksum(&longPath);
    ok = ok && WriteSeed(folder, "tree-path260", longPath);

    auto full = std::make_unique<ItemStore>();
    full->SetDirectory(folder);
    for (int i = 0; i < kMaxEntries; ++i) {
        full->InsertData(Entry(i % 10 == 0 ? "g" : "", i % 10 == 0 ? KIND_GROUP : KIND_FILE,
                               i % 10 == 0 ? kParentTopLevel : i - i % 10, ""),
                         -1);
    }
    ok = ok && Save(*full, folder, "full", &bytes);
    // One record more than a table holds: the last one again.
    Bytes overfull = bytes;
    overfull.insert(overfull.end(), bytes.end() - 22, bytes.end());
    PutInt32At(&overfull, 5, kMaxEntries + 1);
    FixChecksum(&overfull);
    ok = ok && WriteSeed(folder, "full-plus-one", overfull);

    // The largest file the program writes: a full table of the longest
    // names and paths, 87,729 bytes; then the same with one byte after it.
    auto largest = std::make_unique<ItemStore>();
    largest->SetDirectory(folder);
    for (int i = 0; i < kMaxEntries; ++i) {
        largest->InsertData(Entry(std::string(63, 'n').c_str(), KIND_FILE, kParentTopLevel,
                                  std::string(259, 'p').c_str()),
                            -1);
    }
    ok = ok && Save(*largest, folder, "largest", &bytes);
    ok = ok && bytes.size() == 87729;
    Bytes longer = bytes;
    longer.push_back(0);
    ok = ok && WriteSeed(folder, "largest-plus-one-byte", longer);

    if (!ok) {
        std::fprintf(stderr, "brindleway_fuzz_seeds: could not write the seeds into %s\n",
                     folder.c_str());
        return 1;
    }
    return 0;
}
