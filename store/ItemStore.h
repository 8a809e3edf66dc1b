// The launcher's entries: a committed table (what the data file and the tray
// menu hold) and a working table (what the settings window edits), both fixed
// arrays kept in tree order, plus the options and the pool of entry ids.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "store/LaunchEntry.h"
#include "store/Options.h"

// What LoadData found, for the one report the program gives at start.
enum class DataFileState {
    Missing,          // no data file: an empty launcher
    Loaded,           // read and checksum good
    Damaged,          // could not be parsed: only the whole records loaded
    ChecksumMismatch, // parsed, but the checksum is wrong: records kept
    IdsRepaired,      // checksum good, but ids repeated or out of range: records renumbered
    InUse,            // another program kept the file open through every try: nothing loaded
    Unreadable,       // there, but refused or failed to read (access denied): nothing loaded
};

struct LoadReport {
    DataFileState state = DataFileState::Missing;
    // For every state but Missing and Loaded: the copy of the file as found,
    // empty while none could be made.
    std::string keptCopy;
    // For Damaged: how many whole records were loaded.
    int salvagedCount = 0;
    // Whether the backup (the data file before the last save) was there.
    bool backupExists = false;
};

// What a save did.
enum class SaveOutcome {
    Written,   // the data file was replaced
    Unchanged, // the data file held these bytes already: nothing was written
    Failed,    // the data file is as it was
    // The data file, unreadable at start, could be read now: it was loaded
    // into the committed table instead of being replaced.
    Reloaded,
};

// Called by SaveData when it has just kept the copy of a damaged data file
// that LoadData could not make, with the copy's name, before the data file
// is replaced.
using CopyKeptNotice = std::function<void(const std::string& keptCopy)>;

// Called by the first save of the run that replaced the data file without
// making the backup, with the reason; later saves that skip it are silent.
using BackupSkippedNotice = std::function<void(FileError why)>;

class ItemStore {
public:
    // platform null: the build's own platform functions.
    explicit ItemStore(Platform* platform = nullptr);
    virtual ~ItemStore();

    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;

    // Where the data and settings files live; by default the program's folder.
    void SetDirectory(const std::string& directory);
    const std::string& Directory() const { return directory_; }
    std::string DataFilePath() const;
    std::string TempFilePath() const;
    // The data file as it was before the last save replaced it.
    std::string BackupFilePath() const;
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
    SaveOutcome LastSaveOutcome() const { return lastSave_; }
    void SetCopyKeptNotice(CopyKeptNotice notice);
    void SetBackupSkippedNotice(BackupSkippedNotice notice);

    // Settings file
    Options* GetOptions();
    int ReadOptions();
    int WriteOptions();
    void ReadWindowPos(int* x, int* y);
    int WriteWindowPos(int x, int y);
    // The text of a hotkey, as the user wrote it in section "Hotkey" under
    // the key given ("Launcher", "Find"): 1 when the key is there (even
    // empty), 0 when the file or the key is missing. The program never
    // writes it.
    int ReadHotkeyText(std::string* text, const char* key = "Launcher");

private:
    // The settings file's values. A file a text editor saved with a UTF-8
    // byte order mark is read past the mark: the system's reader would take
    // the mark for part of the first line and lose the section named there.
    // markedText is the file's text after its mark, null for a file without.
    int ReadSettingInt(const std::string& path, const std::string* markedText, const char* section,
                       const char* key, int defaultValue);
    bool ReadSettingString(const std::string& path, const char* section, const char* key,
                           std::string* value);
    bool SettingsTextAfterMark(const std::string& path, std::string* text);
    std::string FilePath(const char* name) const;
    int AssignNewId();
    void ReclaimUnusedIds();
    void ClearCommittedTable();
    void LoadBytes(const std::vector<unsigned char>& bytes);
    ReadResult ReadDataFile(std::vector<unsigned char>* bytes);
    bool GiveFreshIds();
    bool KeepCopyOfDataFile();
    bool FindSameCopy(const std::string& base, std::string* name);
    bool ReloadIfReadableNow();
    SaveOutcome Save();
    bool WriteWhole(const std::string& path, const std::vector<unsigned char>& bytes,
                    const std::vector<size_t>& pieceEnds, FileError* error);
    void TellBackupSkipped(FileError why);

    Platform* platform_;
    Options options_;
    int32_t usedIds_[kMaxEntries];
    int32_t committedCount_;
    int32_t workingCount_;
    LaunchEntry committedEntries_[kMaxEntries];
    WorkingEntry workingEntries_[kMaxEntries];

    std::string directory_;
    LoadReport loadReport_;
    CopyKeptNotice copyKeptNotice_;
    BackupSkippedNotice backupSkippedNotice_;
    // The data file was found damaged but no copy of it could be kept yet:
    // no save may replace it until one is.
    bool copyPending_;
    SaveOutcome lastSave_ = SaveOutcome::Unchanged;
    bool backupSkipTold_ = false;
};
