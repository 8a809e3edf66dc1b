// The data layer's work with a full table, timed natively: LoadData and
// SaveData of a table of 255 entries with the longest names and paths, and
// SortData of 255 entries.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "store/ItemStore.h"

namespace {

constexpr int kRepeats = 200;

void Time(const char* what, const std::function<void()>& action) {
    std::vector<double> samples;
    for (int i = 0; i < kRepeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        action();
        std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        samples.push_back(spent.count());
    }
    Summary s = Summarise(samples);
    std::printf("native     %-32s %9.1f us (%.1f-%.1f), %d runs\n", what, s.median, s.min, s.max,
                kRepeats);
}

// 15 groups of 15 and 15 at the top level, every name and path as long as
// the file allows.
void FillFull(ItemStore* store) {
    for (int i = 0; i < kMaxEntries; ++i) {
        LaunchEntry entry = EmptyLaunchEntry();
        std::memset(entry.name, 'n', kNameSize - 1);
        bool group = i < 15;
        if (!group)
            std::memset(entry.path, 'p', kPathSize - 1);
        entry.kind = group ? KIND_GROUP : KIND_FILE;
        entry.parent = group || i >= 240 ? kParentTopLevel : (i - 15) / 15;
        store->InsertData(entry, -1);
    }
}

} // namespace

int main() {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("brindleway-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    {
        ItemStore store;
        store.SetDirectory(folder.string());
        FillFull(&store);
        store.CommitData();
        std::printf("native     data file of 255 entries: %ju bytes\n",
                    static_cast<uintmax_t>(std::filesystem::file_size(store.DataFilePath())));
        Time("SaveData, 255 longest entries", [&] { store.SaveData(); });
        Time("LoadData, 255 longest entries", [&] { store.LoadData(); });
        Time("SortData, 255 entries", [&] { store.SortData(); });
        store.GetOptions()->opt4 = 1;
        Time("SortData, 255 entries, opt4", [&] { store.SortData(); });
    }
    std::filesystem::remove_all(folder);
    return 0;
}
