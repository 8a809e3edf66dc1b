// Feeds arbitrary bytes to LoadData as the data file, through a platform that
// keeps its files in memory, and checks what the store must guarantee for
// any file: the tables stay within bounds and in tree order with unique ids,
// a damaged file loads nothing, a file that is not loaded is kept as found,
// and what loads saves and loads again unchanged.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "platform/Platform.h"
#include "store/ItemStore.h"
#include "tests/store/TableCheck.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Fail(const char* what) {
    std::fprintf(stderr, "LoadData fuzzer: %s\n", what);
    std::abort();
}

void Check(bool condition, const char* what) {
    if (!condition)
        Fail(what);
}

class MemoryOutputFile final : public OutputFile {
public:
    MemoryOutputFile(std::map<std::string, Bytes>& files, std::string path)
        : files_(files), path_(std::move(path)) {}
    bool Write(const void* bytes, size_t length) override {
        if (closed_)
            return false;
        const unsigned char* p = static_cast<const unsigned char*>(bytes);
        files_[path_].insert(files_[path_].end(), p, p + length);
        return true;
    }
    bool Flush() override { return !closed_; }
    bool Close() override {
        if (closed_)
            return false;
        closed_ = true;
        return true;
    }

private:
    std::map<std::string, Bytes>& files_;
    std::string path_;
    bool closed_ = false;
};

class MemoryPlatform final : public Platform {
public:
    std::map<std::string, Bytes> files;

    std::string ProgramDirectory() override { return "/memory"; }
    std::string ProgramName() override { return "fuzz"; }
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    int ProfileReadInt(const std::string&, const char*, const char*, int defaultValue) override {
        return defaultValue;
    }
    bool ProfileWriteString(const std::string&, const char*, const char*, const char*) override {
        return false;
    }
    bool ProfileReadString(const std::string&, const char*, const char*,
                           std::string* value) override {
        value->clear();
        return false;
    }
    ReadResult ReadFileBytes(const std::string& path, size_t maxBytes, Bytes* bytes) override {
        auto found = files.find(path);
        if (found == files.end())
            return ReadResult::NotFound;
        size_t length = found->second.size() < maxBytes ? found->second.size() : maxBytes;
        bytes->assign(found->second.begin(), found->second.begin() + static_cast<long>(length));
        return ReadResult::Ok;
    }
    std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) override {
        files[path].clear();
        return std::make_unique<MemoryOutputFile>(files, path);
    }
    bool ReplaceFileAtomically(const std::string& source, const std::string& target) override {
        auto found = files.find(source);
        if (found == files.end())
            return false;
        Bytes moved = std::move(found->second);
        files.erase(found);
        files[target] = std::move(moved);
        return true;
    }
    bool RemoveFile(const std::string& path) override { return files.erase(path) != 0; }
    bool CopyToNewFile(const std::string& source, const std::string& target) override {
        auto found = files.find(source);
        if (found == files.end() || files.count(target) != 0)
            return false;
        Bytes copy = found->second;
        files[target] = std::move(copy);
        return true;
    }
    FileError LastFileError() override { return FileError::Other; }
    void Pause(unsigned) override { Fail("a file in memory is never in use"); }
    void ShowPrompt(unsigned) override { Fail("a load or save showed a prompt"); }
};

void CheckCommittedTable(ItemStore& store) {
    std::string problem = TableProblem(store, true);
    if (!problem.empty())
        Fail(problem.c_str());
    int count = store.GetCommittedNum();
    for (int i = count; i < kMaxEntries; ++i) {
        Check(store.GetCommittedData(i)->parent == kParentEmptySlot, "slot past the count in use");
    }
}

// Saves the store's committed table and returns the data file's bytes.
Bytes Save(ItemStore& store, MemoryPlatform& platform) {
    Check(store.SaveData() == 1, "save failed");
    Check(platform.files.count(store.TempFilePath()) == 0, "temporary file left");
    return platform.files[store.DataFilePath()];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes input(data, data + size);
    MemoryPlatform platform;
    auto store = std::make_unique<ItemStore>(&platform);
    platform.files[store->DataFilePath()] = input;

    int result = store->LoadData();
    const LoadReport report = store->GetLoadReport();
    CheckCommittedTable(*store);
    Check(report.state != DataFileState::Missing, "present file reported missing");
    Check(report.state != DataFileState::InUse, "a file in memory reported in use");
    bool checksumGood =
        report.state == DataFileState::Loaded || report.state == DataFileState::IdsRepaired;
    Check((result == 1) == checksumGood, "result and state disagree");
    if (report.state == DataFileState::Damaged) {
        Check(store->GetCommittedNum() == report.salvagedCount,
              "damaged file loaded other than its complete records");
    } else {
        Check(report.salvagedCount == 0, "salvage counted for an undamaged file");
    }
    if (report.state != DataFileState::Loaded) {
        Check(!report.keptCopy.empty(), "no copy kept");
        Check(platform.files[report.keptCopy] == input, "kept copy differs from the file");
    } else {
        Check(report.keptCopy.empty(), "copy kept of a good file");
    }
    Check(platform.files[store->DataFilePath()] == input, "load changed the data file");

    // Whatever loaded, saves, and the saved file loads as it was saved.
    Bytes saved = Save(*store, platform);
    if (!report.keptCopy.empty()) {
        Check(platform.files[report.keptCopy] == input, "save touched the kept copy");
    }
    // The backup only ever holds a file that loads as it is.
    if (report.state != DataFileState::Loaded)
        Check(platform.files.count(store->BackupFilePath()) == 0,
              "a damaged file became the backup");
    auto reloaded = std::make_unique<ItemStore>(&platform);
    Check(reloaded->LoadData() == 1, "a saved file does not load");
    CheckCommittedTable(*reloaded);
    Check(reloaded->GetCommittedNum() == store->GetCommittedNum(), "reload changed the count");
    for (int i = 0; i < store->GetCommittedNum(); ++i) {
        Check(std::memcmp(store->GetCommittedData(i), reloaded->GetCommittedData(i),
                          sizeof(LaunchEntry)) == 0,
              "reload changed an entry");
    }
    Check(Save(*reloaded, platform) == saved, "save, load, save changed the bytes");
    return 0;
}
