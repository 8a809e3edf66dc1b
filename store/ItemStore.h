// The launcher's entries: a committed table (what the data file and the tray
// menu hold) and a working table (what the settings window edits), both fixed
// arrays kept in tree order, plus the options and the pool of entry ids.
#pragma once

#include <cstdint>
#include <string>

#include "store/LaunchEntry.h"
#include "store/Options.h"

class Platform;

// What LoadData found, for the one report the program gives at start.
enum class DataFileState {
    Missing,          // no data file: an empty launcher
    Loaded,           // read and checksum good
    Damaged,          // could not be parsed: nothing loaded
    ChecksumMismatch, // parsed, but the checksum is wrong: records kept
};

struct LoadReport {
    DataFileState state = DataFileState::Missing;
    std::string keptCopy; // for Damaged / ChecksumMismatch: the copy of the file as found
};

class ItemStore {
public:
    // platform null: the build's own platform functions.
    explicit ItemStore(Platform* platform = nullptr);
    virtual ~ItemStore();

    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;

    // Where the data and settings files live; by default the program's folder.
    void SetDirectory(const std::string& directory);
    std::string DataFilePath() const;
    std::string TempFilePath() const;
    std::string SettingsFilePath() const;

    // Entry tables
    int InsertData(const LaunchEntry& entry, int index);
    int FindFreeId(bool reserve);
    void MarkUsedIds();
    void SortData();
    void SwapData(int a, int b);
    void ExchangeData(TreeItemHandle dragged, TreeItemHandle target, TreeItemHandle root);
    int DeleteData(int index);
    int DeleteCommittedData(int index);
    WorkingEntry* GetData(int index);
    int GetDataNum() const;
    LaunchEntry* GetCommittedData(int index);
    int GetCommittedNum() const;
    void RestoreData();
    int CommitData();

    // Data file
    int LoadData();
    int SaveData();
    uint8_t CalcCheckSum() const;
    bool VerifyCheckSum(int32_t version, uint8_t stored) const;
    static uint8_t XorBytes(const void* bytes, size_t length);
    const LoadReport& GetLoadReport() const;

    // Settings file
    Options* GetOptions();
    int ReadOptions();
    int WriteOptions();
    void ReadWindowPos(int* x, int* y);
    int WriteWindowPos(int x, int y);

private:
    std::string FilePath(const char* name) const;
    int AssignNewId();
    void ReclaimUnusedIds();
    void ClearCommittedTable();
    bool ParseDataFile(const unsigned char* bytes, size_t length, int32_t* version,
                       uint8_t* stored);
    void GiveFreshIds();
    bool KeepCopyOfDataFile();
    uint8_t ChecksumOf(int32_t version) const;

    Platform* platform_;
    Options options_;
    int32_t usedIds_[kMaxEntries];
    int32_t committedCount_;
    int32_t workingCount_;
    LaunchEntry committedEntries_[kMaxEntries];
    WorkingEntry workingEntries_[kMaxEntries];

    std::string directory_;
    LoadReport loadReport_;
    // The data file was found damaged but no copy of it could be kept yet:
    // no save may replace it until one is.
    bool copyPending_;
};
