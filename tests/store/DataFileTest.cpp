// The data file: its exact bytes, the checksum, damaged files and failed saves.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>
#include <random>

#include "TestSupport.h"

namespace {

using Names = std::vector<std::string>;

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override { store = NewStore(); }

    std::unique_ptr<ItemStore> NewStore() {
        auto made = std::make_unique<ItemStore>(&platform);
        made->SetDirectory(dir.Path());
        return made;
    }

    std::string DataFile() const { return dir.File("Brindleway.bwz"); }

    // Commits a small tree: a group with a file and a nested group, a URL.
    void CommitSampleTree() {
        store->InsertData(MakeEntry("Tools", KIND_GROUP, kParentTopLevel), -1);
        store->InsertData(MakeEntry("Editor", KIND_FILE, 0, "C:\\Program Files\\Editor\\edit.exe"),
                          -1);
        store->InsertData(MakeEntry("\x83\x81\x83\x82", KIND_GROUP, 0), -1); // Shift-JIS bytes
        store->InsertData(MakeEntry("Notes", KIND_FILE, 2, "D:\\notes.txt"), -1);
        store->InsertData(MakeEntry("Site", KIND_URL, kParentTopLevel, "http://example.com/"), -1);
        ASSERT_EQ(1, store->CommitData());
    }

    TempDir dir;
    TestPlatform platform;
    std::unique_ptr<ItemStore> store;
};

const Bytes kAbcGroup = {0x07, 0x64, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
                         0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x03, 0x00, 0x00,
                         0x00, 0x61, 0x62, 0x63, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

TEST_F(DataFileTest, EmptyTableIsNineBytes) {
    EXPECT_EQ(1, store->SaveData());
    EXPECT_EQ((Bytes{0x64, 0x64, 0, 0, 0, 0, 0, 0, 0}), ReadBytes(DataFile()));
    EXPECT_EQ(0x64, store->CalcCheckSum());
}

TEST_F(DataFileTest, OneGroupAbcIsThe34BytesOfTheLayout) {
    store->InsertData(MakeEntry("abc", KIND_GROUP, kParentTopLevel), -1);
    EXPECT_EQ(1, store->CommitData());
    EXPECT_EQ(kAbcGroup, ReadBytes(DataFile()));
    EXPECT_EQ(0x07, store->CalcCheckSum());
}

TEST_F(DataFileTest, FilesAreWrittenInTheDataFilesFolderByTheirNames) {
    EXPECT_EQ(DataFile(), store->DataFilePath());
    EXPECT_EQ(dir.File("~Brindleway.tmp"), store->TempFilePath());
    EXPECT_EQ(dir.File("Brindleway.bwz.bak"), store->BackupFilePath());
    EXPECT_EQ(dir.File("Brindleway.ini"), store->SettingsFilePath());
    ASSERT_EQ(1, store->SaveData());
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
}

TEST_F(DataFileTest, SaveLoadSaveIsByteIdentical) {
    CommitSampleTree();
    Bytes first = ReadBytes(DataFile());
    ASSERT_FALSE(first.empty());

    auto reloaded = NewStore();
    EXPECT_EQ(1, reloaded->LoadData());
    EXPECT_EQ(DataFileState::Loaded, reloaded->GetLoadReport().state);
    EXPECT_EQ("", reloaded->GetLoadReport().keptCopy);
    EXPECT_EQ(CommittedNames(*store), CommittedNames(*reloaded));
    // Saving the same table writes nothing: no backup of an unchanged file.
    platform.events.clear();
    EXPECT_EQ(1, reloaded->SaveData());
    EXPECT_EQ(SaveOutcome::Unchanged, reloaded->LastSaveOutcome());
    EXPECT_EQ(first, ReadBytes(DataFile()));
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
    EXPECT_EQ(std::vector<std::string>{}, platform.events);
}

TEST_F(DataFileTest, LoadedEntriesAreTheSavedOnes) {
    CommitSampleTree();
    auto reloaded = NewStore();
    ASSERT_EQ(1, reloaded->LoadData());
    ASSERT_EQ(store->GetCommittedNum(), reloaded->GetCommittedNum());
    for (int i = 0; i < store->GetCommittedNum(); ++i) {
        const LaunchEntry& a = *store->GetCommittedData(i);
        const LaunchEntry& b = *reloaded->GetCommittedData(i);
        EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a)) << i;
    }
    // The working table stays empty until it is restored.
    EXPECT_EQ(0, reloaded->GetDataNum());
    EXPECT_EQ(5, reloaded->FindFreeId(false));
}

// The 32-bit and the 64-bit program keep the same data file: a file the
// 32-bit program wrote (kept in the tree as it wrote it) loads in every build,
// and every build writes that table to the same bytes. The table has names
// with the trail bytes 0x5C (表, ソ) and 0x7C (ポ), and a name and a path of
// the greatest length.
TEST_F(DataFileTest, FileOfThe32BitProgramLoadsAndIsWrittenAlike) {
    const std::string longName(kNameSize - 1, 'n');
    const std::string longPath = "C:\\" + std::string(kPathSize - 4, 'p');
    store->InsertData(MakeEntry("表計算", KIND_GROUP, kParentTopLevel), -1);
    store->InsertData(MakeEntry("ソフト", KIND_FILE, 0, "C:\\Program Files\\表計算\\ソフト.exe"),
                      -1);
    store->InsertData(MakeEntry("ポータル", KIND_GROUP, 0), -1);
    store->InsertData(MakeEntry("ポ", KIND_URL, 2, "https://example.jp/ポ|表"), -1);
    store->InsertData(MakeEntry(longName.c_str(), KIND_FILE, kParentTopLevel, longPath.c_str()),
                      -1);
    ASSERT_EQ(1, store->CommitData());
    const Bytes kept = ReadBytes(BRINDLEWAY_TABLE_OF_32BIT_PROGRAM);
    ASSERT_EQ(static_cast<size_t>(BRINDLEWAY_TABLE_OF_32BIT_PROGRAM_SIZE), kept.size());
    EXPECT_EQ(kept, ReadBytes(DataFile()));

    TempDir other;
    WriteBytes(other.File("Brindleway.bwz"), kept);
    ItemStore reader(&platform);
    reader.SetDirectory(other.Path());
    ASSERT_EQ(1, reader.LoadData());
    ASSERT_EQ(5, reader.GetCommittedNum());
    for (int i = 0; i < 5; ++i) {
        const LaunchEntry& a = *store->GetCommittedData(i);
        const LaunchEntry& b = *reader.GetCommittedData(i);
        EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a)) << i;
    }
}

TEST_F(DataFileTest, MissingFileLoadsNothing) {
    EXPECT_EQ(0, store->LoadData());
    EXPECT_EQ(DataFileState::Missing, store->GetLoadReport().state);
    EXPECT_EQ(0, store->GetCommittedNum());
    store->InsertData(MakeEntry("first", KIND_FILE, -1), -1);
    EXPECT_EQ(0, store->GetData(0)->id);
    EXPECT_TRUE(dir.Names().empty());
}

TEST_F(DataFileTest, ChecksumHelpers) {
    const unsigned char bytes[] = {0x01, 0x02, 0x04, 0xF0};
    EXPECT_EQ(0xF7, ItemStore::XorBytes(bytes, sizeof bytes));
    EXPECT_EQ(0, ItemStore::XorBytes(bytes, 0));
    WriteBytes(DataFile(), kAbcGroup);
    ASSERT_EQ(1, store->LoadData());
    EXPECT_TRUE(store->VerifyCheckSum(100, 0x07));
    EXPECT_FALSE(store->VerifyCheckSum(101, 0x07));
    EXPECT_TRUE(store->VerifyCheckSum(101, 0x07 ^ 0x64 ^ 0x65));
}

TEST_F(DataFileTest, OtherVersionWithMatchingChecksumLoads) {
    Bytes file = kAbcGroup;
    file[1] = 0x65;
    file[0] = XorAfterFirst(file);
    WriteBytes(DataFile(), file);
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(DataFileState::Loaded, store->GetLoadReport().state);
    EXPECT_EQ(Names{"abc"}, CommittedNames(*store));
    // Written back with version 100.
    EXPECT_EQ(1, store->SaveData());
    EXPECT_EQ(kAbcGroup, ReadBytes(DataFile()));
}

// A file that parses but whose checksum fails keeps its records, reserves
// their ids and is kept as found.
void ExpectMismatchKeptAsFound(ItemStore& store, TestPlatform&, const TempDir& dir,
                               const Bytes& file) {
    WriteBytes(store.DataFilePath(), file);
    EXPECT_EQ(0, store.LoadData());
    const LoadReport& report = store.GetLoadReport();
    EXPECT_EQ(DataFileState::ChecksumMismatch, report.state);
    EXPECT_EQ(dir.File("Brindleway.bwz.damaged"), report.keptCopy);
    EXPECT_EQ(file, ReadBytes(report.keptCopy));
    EXPECT_EQ(file, ReadBytes(store.DataFilePath()));
}

TEST_F(DataFileTest, ChangedVersionWithoutChecksumIsAMismatch) {
    Bytes file = kAbcGroup;
    file[1] = 0x65;
    ExpectMismatchKeptAsFound(*store, platform, dir, file);
    EXPECT_EQ(Names{"abc"}, CommittedNames(*store));
    EXPECT_EQ(1, store->FindFreeId(false));
}

TEST_F(DataFileTest, ChangedCharacterIsAMismatch) {
    Bytes file = kAbcGroup;
    file[26] = 'x'; // "axc"
    ExpectMismatchKeptAsFound(*store, platform, dir, file);
    EXPECT_EQ(Names{"axc"}, CommittedNames(*store));
    EXPECT_EQ(1, store->FindFreeId(false));
}

TEST_F(DataFileTest, ExchangedCharactersKeepTheChecksum) {
    Bytes file = kAbcGroup;
    std::swap(file[25], file[27]); // "cba"
    WriteBytes(DataFile(), file);
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(Names{"cba"}, CommittedNames(*store));
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
}

TEST_F(DataFileTest, AfterAMismatchSavingKeepsTheCopy) {
    Bytes file = kAbcGroup;
    file[0] ^= 1;
    ExpectMismatchKeptAsFound(*store, platform, dir, file);
    store->RestoreData();
    store->InsertData(MakeEntry("new", KIND_FILE, -1), -1);
    EXPECT_EQ(1, store->CommitData());
    EXPECT_EQ(file, ReadBytes(dir.File("Brindleway.bwz.damaged")));
    auto reloaded = NewStore();
    EXPECT_EQ(1, reloaded->LoadData());
    EXPECT_EQ((Names{"abc", "new"}), CommittedNames(*reloaded));
}

TEST_F(DataFileTest, EarlierKeptCopiesAreNeverOverwritten) {
    WriteText(dir.File("Brindleway.bwz.damaged"), "first");
    WriteText(dir.File("Brindleway.bwz.damaged.2"), "second");
    Bytes file = kAbcGroup;
    file.pop_back();
    WriteBytes(DataFile(), file);
    EXPECT_EQ(0, store->LoadData());
    EXPECT_EQ(DataFileState::Damaged, store->GetLoadReport().state);
    EXPECT_EQ(dir.File("Brindleway.bwz.damaged.3"), store->GetLoadReport().keptCopy);
    EXPECT_EQ(file, ReadBytes(dir.File("Brindleway.bwz.damaged.3")));
    EXPECT_EQ("first", ReadText(dir.File("Brindleway.bwz.damaged")));
    EXPECT_EQ("second", ReadText(dir.File("Brindleway.bwz.damaged.2")));
}

TEST_F(DataFileTest, DamagedFileIsNotReplacedBeforeItsCopyIsKept) {
    Bytes file = kAbcGroup;
    file.push_back(0);
    WriteBytes(DataFile(), file);
    platform.failCopy = true;
    EXPECT_EQ(0, store->LoadData());
    EXPECT_EQ(DataFileState::Damaged, store->GetLoadReport().state);
    EXPECT_EQ("", store->GetLoadReport().keptCopy);

    EXPECT_EQ(0, store->SaveData());
    EXPECT_EQ(file, ReadBytes(DataFile()));
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());

    platform.failCopy = false;
    EXPECT_EQ(1, store->SaveData());
    EXPECT_EQ(dir.File("Brindleway.bwz.damaged"), store->GetLoadReport().keptCopy);
    EXPECT_EQ(file, ReadBytes(dir.File("Brindleway.bwz.damaged")));
    // The complete record before the stray byte was loaded and is saved.
    EXPECT_EQ(kAbcGroup, ReadBytes(DataFile()));
}

// The copy that could not be made at start is made by the first save that
// would replace the file; its name reaches the caller while the data file
// still holds what was found, and only once.
TEST_F(DataFileTest, CopyMadeAtSaveIsToldBeforeTheFileIsReplaced) {
    Bytes file = kAbcGroup;
    file.resize(file.size() - 3);
    WriteBytes(DataFile(), file);
    platform.failCopy = true;
    EXPECT_EQ(0, store->LoadData());
    EXPECT_EQ("", store->GetLoadReport().keptCopy);

    std::vector<std::string> told;
    Bytes dataFileWhenTold;
    store->SetCopyKeptNotice([&](const std::string& copy) {
        told.push_back(copy);
        dataFileWhenTold = ReadBytes(DataFile());
    });
    EXPECT_EQ(0, store->SaveData());
    EXPECT_TRUE(told.empty());

    platform.failCopy = false;
    store->InsertData(MakeEntry("new", KIND_FILE, kParentTopLevel), -1);
    EXPECT_EQ(1, store->CommitData());
    EXPECT_EQ(std::vector<std::string>{dir.File("Brindleway.bwz.damaged")}, told);
    EXPECT_EQ(file, dataFileWhenTold);
    EXPECT_EQ(file, ReadBytes(dir.File("Brindleway.bwz.damaged")));
    EXPECT_NE(file, ReadBytes(DataFile()));

    EXPECT_EQ(1, store->SaveData());
    EXPECT_EQ(1u, told.size());
}

TEST_F(DataFileTest, CopyMadeAtStartIsNotToldAgainAtSave) {
    Bytes file = kAbcGroup;
    file[0] ^= 1;
    WriteBytes(DataFile(), file);
    EXPECT_EQ(0, store->LoadData());
    int told = 0;
    store->SetCopyKeptNotice([&](const std::string&) { ++told; });
    EXPECT_EQ(1, store->SaveData());
    EXPECT_EQ(0, told);
}

// Every start with the same damaged file, never saved over, reports the
// copy kept the first time instead of adding another.
TEST_F(DataFileTest, SameDamagedFileIsCopiedOnce) {
    Bytes file = kAbcGroup;
    file[0] ^= 1;
    WriteBytes(DataFile(), file);
    WriteText(dir.File("Brindleway.bwz.damaged"), "an older, other file");
    EXPECT_EQ(0, store->LoadData());
    const std::string copy = dir.File("Brindleway.bwz.damaged.2");
    EXPECT_EQ(copy, store->GetLoadReport().keptCopy);
    for (int start = 0; start < 3; ++start) {
        auto next = NewStore();
        EXPECT_EQ(0, next->LoadData());
        EXPECT_EQ(copy, next->GetLoadReport().keptCopy);
    }
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.damaged", "Brindleway.bwz.damaged.2"}),
              dir.Names());
    EXPECT_EQ(file, ReadBytes(copy));

    // Damaged differently: a copy of its own.
    file[0] ^= 2;
    WriteBytes(DataFile(), file);
    auto changed = NewStore();
    EXPECT_EQ(0, changed->LoadData());
    EXPECT_EQ(dir.File("Brindleway.bwz.damaged.3"), changed->GetLoadReport().keptCopy);
    EXPECT_EQ(file, ReadBytes(dir.File("Brindleway.bwz.damaged.3")));
}

// A file another program holds open for a moment is read once it lets go:
// it is neither called damaged nor copied.
TEST_F(DataFileTest, FileInUseForAMomentIsReadAgain) {
    CommitSampleTree();
    platform.heldPath = DataFile();
    platform.heldReads = 3;
    auto next = NewStore();
    EXPECT_EQ(1, next->LoadData());
    EXPECT_EQ(DataFileState::Loaded, next->GetLoadReport().state);
    EXPECT_EQ(5, next->GetCommittedNum());
    EXPECT_EQ(3u, platform.pauses.size());
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
}

// Held through every try (antivirus reading it at logon, while the Run key
// starts the program): reported as in use, nothing loaded. No save replaces
// it while it cannot be read; once it can, the first save reads it again,
// loads it instead of writing, and keeps no copy of a file that was whole.
TEST_F(DataFileTest, FileInUseAtStartIsLoadedByTheFirstSaveInsteadOfReplaced) {
    CommitSampleTree();
    const Bytes file = ReadBytes(DataFile());
    platform.heldPath = DataFile();
    platform.heldReads = 1000;
    auto next = NewStore();
    EXPECT_EQ(0, next->LoadData());
    EXPECT_EQ(DataFileState::InUse, next->GetLoadReport().state);
    EXPECT_EQ(0, next->GetCommittedNum());
    EXPECT_LT(platform.pauses.size(), 1000u);
    std::vector<std::string> told;
    next->SetCopyKeptNotice([&](const std::string& copy) { told.push_back(copy); });
    next->InsertData(MakeEntry("made while it was held", KIND_FILE, kParentTopLevel), -1);
    EXPECT_EQ(0, next->CommitData());
    EXPECT_EQ(SaveOutcome::Failed, next->LastSaveOutcome());
    EXPECT_EQ(file, ReadBytes(DataFile()));

    platform.heldReads = 0;
    EXPECT_EQ(0, next->CommitData());
    EXPECT_EQ(SaveOutcome::Reloaded, next->LastSaveOutcome());
    EXPECT_EQ(DataFileState::Loaded, next->GetLoadReport().state);
    EXPECT_EQ(CommittedNames(*store), CommittedNames(*next));
    EXPECT_EQ(file, ReadBytes(DataFile()));
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());

    // From then on saves go on as usual, the file loaded now as the backup.
    next->RestoreData();
    next->InsertData(MakeEntry("added after", KIND_FILE, kParentTopLevel), -1);
    EXPECT_EQ(1, next->CommitData());
    EXPECT_EQ(file, ReadBytes(dir.File("Brindleway.bwz.bak")));
}

// A file this user may not read is unreadable, not damaged: its copy (when
// one can be made) says so, and the save after it replaces the file once
// the copy is there.
TEST_F(DataFileTest, FileRefusedAtStartIsReportedUnreadable) {
    CommitSampleTree();
    const Bytes file = ReadBytes(DataFile());
    platform.refusedPath = DataFile();
    auto next = NewStore();
    EXPECT_EQ(0, next->LoadData());
    EXPECT_EQ(DataFileState::Unreadable, next->GetLoadReport().state);
    EXPECT_EQ(dir.File("Brindleway.bwz.unreadable"), next->GetLoadReport().keptCopy);
    EXPECT_EQ(file, ReadBytes(dir.File("Brindleway.bwz.unreadable")));
    EXPECT_EQ(0, next->GetCommittedNum());
    next->InsertData(MakeEntry("new", KIND_FILE, kParentTopLevel), -1);
    EXPECT_EQ(1, next->CommitData());
    EXPECT_EQ(SaveOutcome::Written, next->LastSaveOutcome());
    EXPECT_EQ(file, ReadBytes(dir.File("Brindleway.bwz.unreadable")));
}

#ifdef _WIN32
// The same with a real sharing violation: the test holds the file open
// without sharing and lets go at the store's first pause.
TEST_F(DataFileTest, FileHeldOpenWithoutSharingIsReadOnceReleased) {
    CommitSampleTree();
    HANDLE held = CreateFileA(DataFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    platform.onPause = [&held] {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
    };
    auto next = NewStore();
    EXPECT_EQ(1, next->LoadData());
    EXPECT_EQ(DataFileState::Loaded, next->GetLoadReport().state);
    EXPECT_EQ(1u, platform.pauses.size());
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
}
#endif

// A damaged file loads its complete records before the damage and is kept
// as found; the data file itself is not touched by the load.
void ExpectDamagedKeptAsFound(ItemStore& store, const Bytes& file, const std::string& what,
                              const Names& salvaged = {}) {
    SCOPED_TRACE(what);
    WriteBytes(store.DataFilePath(), file);
    EXPECT_EQ(0, store.LoadData());
    const LoadReport& report = store.GetLoadReport();
    EXPECT_EQ(DataFileState::Damaged, report.state);
    EXPECT_EQ(salvaged, CommittedNames(store));
    EXPECT_EQ(static_cast<int>(salvaged.size()), report.salvagedCount);
    EXPECT_EQ("", TableProblem(store, true));
    for (int i = store.GetCommittedNum(); i < kMaxEntries; ++i) {
        ASSERT_EQ(kParentEmptySlot, store.GetCommittedData(i)->parent);
        ASSERT_EQ('\0', store.GetCommittedData(i)->name[0]);
    }
    ASSERT_FALSE(report.keptCopy.empty());
    EXPECT_EQ(file, ReadBytes(report.keptCopy));
    EXPECT_EQ(file, ReadBytes(store.DataFilePath()));
    std::remove(report.keptCopy.c_str());
}

Bytes SampleFile() {
    return DataFileBytes({{KIND_GROUP, 0, -1, "Tools", ""},
                          {KIND_FILE, 1, 0, "Editor", "C:\\edit.exe"},
                          {KIND_URL, 2, -1, "Site", "http://example.com/"}});
}

const Names kSampleNames = {"Tools", "Editor", "Site"};

// Cut anywhere, the file loads the records that end before the cut.
TEST_F(DataFileTest, EveryTruncationIsDamageAndKeepsTheCompleteRecords) {
    Bytes file = SampleFile();
    const size_t toolsEnd = 9 + 22 + 5, editorEnd = toolsEnd + 22 + 6 + 11;
    for (size_t length = 0; length < file.size(); ++length) {
        Names salvaged(kSampleNames.begin(), kSampleNames.begin() + (length >= editorEnd  ? 2
                                                                     : length >= toolsEnd ? 1
                                                                                          : 0));
        ExpectDamagedKeptAsFound(*store,
                                 Bytes(file.begin(), file.begin() + static_cast<long>(length)),
                                 "length " + std::to_string(length), salvaged);
    }
}

TEST_F(DataFileTest, SalvagedRecordsKeepTheirIdsAndAreSavedWithoutTheDamage) {
    Bytes file = SampleFile();
    file.resize(file.size() - 10); // into the last record, Site's path
    WriteBytes(DataFile(), file);
    EXPECT_EQ(0, store->LoadData());
    EXPECT_EQ(2, store->GetLoadReport().salvagedCount);
    EXPECT_EQ(0, store->GetCommittedData(1)->parent);
    EXPECT_EQ(2, store->FindFreeId(false));
    store->RestoreData();
    EXPECT_EQ(1, store->CommitData());
    EXPECT_EQ(DataFileBytes(
                  {{KIND_GROUP, 0, -1, "Tools", ""}, {KIND_FILE, 1, 0, "Editor", "C:\\edit.exe"}}),
              ReadBytes(DataFile()));
    EXPECT_EQ(file, ReadBytes(store->GetLoadReport().keptCopy));
}

TEST_F(DataFileTest, BytesAfterTheLastRecordAreDamage) {
    Bytes file = SampleFile();
    file.push_back(0);
    ExpectDamagedKeptAsFound(*store, file, "one more byte", kSampleNames);
    Bytes big = SampleFile();
    big.resize(200000, 0x41);
    ExpectDamagedKeptAsFound(*store, big, "a long tail", kSampleNames);
}

Bytes WithInt32At(Bytes file, size_t offset, int32_t value) {
    Bytes bits;
    PutInt32(&bits, value);
    std::copy(bits.begin(), bits.end(), file.begin() + static_cast<long>(offset));
    file[0] = XorAfterFirst(file);
    return file;
}

// A wrong count is damage, but every whole record still loads: salvage
// reads to the end whatever the count says.
TEST_F(DataFileTest, CountsAndLengthsOutOfBoundsAreDamage) {
    Bytes file = SampleFile();
    // Offsets in the first record: kind 9, id 13, parent 17, nameLen 21, name 25.
    const size_t count = 5, nameLength = 21, pathLength = 21 + 4 + 6;
    for (int32_t value : {256, -1, 0x7fffffff, INT32_MIN, 4, 2, 0}) {
        ExpectDamagedKeptAsFound(*store, WithInt32At(file, count, value),
                                 "count " + std::to_string(value), kSampleNames);
    }
    for (int32_t value : {64, 100, -1, 6, 4, 0, 0x7fffffff}) {
        ExpectDamagedKeptAsFound(*store, WithInt32At(file, nameLength, value),
                                 "nameLen " + std::to_string(value));
    }
    for (int32_t value : {260, 1000, -1, 1}) {
        ExpectDamagedKeptAsFound(*store, WithInt32At(file, pathLength, value),
                                 "pathLen " + std::to_string(value));
    }
    // The count of a full table over a file that holds fewer records.
    ExpectDamagedKeptAsFound(*store, WithInt32At(file, count, 255), "count 255", kSampleNames);
}

TEST_F(DataFileTest, NamesOfTheLongestLengthsLoad) {
    std::string name(63, 'n'), path(259, 'p');
    WriteBytes(DataFile(), DataFileBytes({{KIND_FILE, 0, -1, name, path}}));
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(name, store->GetCommittedData(0)->name);
    EXPECT_EQ(path, store->GetCommittedData(0)->path);
}

// The largest file the program writes: a full table, every name 63 bytes and
// every path 259, Shift-JIS characters up to the last byte.
TEST_F(DataFileTest, LargestFileSavesAndLoadsBackByteForByte) {
    std::vector<RecordSpec> records;
    for (int i = 0; i < kMaxEntries; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", i);
        std::string name = number;
        while (name.size() < 63)
            name += "\x95\x5c";                      // 表
        std::string path = "C:\\\x8b\x40\x94\x5c\\"; // C:\機能\ .
        path += std::string(259 - path.size() - 7, 'p') + number + ".exe";
        ASSERT_EQ(63u, name.size());
        ASSERT_EQ(259u, path.size());
        ASSERT_EQ(1, store->InsertData(
                         MakeEntry(name.c_str(), KIND_FILE, kParentTopLevel, path.c_str()), -1));
        records.push_back({KIND_FILE, i, kParentTopLevel, name, path});
    }
    ASSERT_EQ(1, store->CommitData());
    const Bytes written = ReadBytes(DataFile());
    EXPECT_EQ(87729u, written.size());
    EXPECT_EQ(DataFileBytes(records), written);

    auto loaded = NewStore();
    EXPECT_EQ(1, loaded->LoadData());
    ASSERT_EQ(kMaxEntries, loaded->GetCommittedNum());
    for (int i = 0; i < kMaxEntries; ++i) {
        EXPECT_EQ(records[i].name, loaded->GetCommittedData(i)->name);
        EXPECT_EQ(records[i].path, loaded->GetCommittedData(i)->path);
        EXPECT_EQ(i, loaded->GetCommittedData(i)->id);
    }
    EXPECT_EQ(1, loaded->SaveData());
    EXPECT_EQ(written, ReadBytes(DataFile()));

    // One byte more than the largest file is damage; its records all load.
    Bytes longer = written;
    longer.push_back(0);
    WriteBytes(DataFile(), longer);
    auto damaged = NewStore();
    EXPECT_EQ(0, damaged->LoadData());
    EXPECT_EQ(DataFileState::Damaged, damaged->GetLoadReport().state);
    EXPECT_EQ(kMaxEntries, damaged->GetLoadReport().salvagedCount);
}

// A folder whose name ends in a double-byte character with the trail byte
// 0x5C (機能): the files go inside it, not beside it under a glued name.
TEST_F(DataFileTest, FilesGoInsideAFolderEndingInTrailByte5C) {
    const std::string name = "\x8b\x40\x94\x5c";
    const std::string folder = dir.File(name);
#ifdef _WIN32
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
#else
    MakeDirectory(folder);
#endif
    for (const std::string& given : {folder, folder + kPathSeparator}) {
        SCOPED_TRACE(given);
        store->SetDirectory(given);
        EXPECT_EQ(folder + kPathSeparator + "Brindleway.bwz", store->DataFilePath());
        EXPECT_EQ(folder + kPathSeparator + "~Brindleway.tmp", store->TempFilePath());
        EXPECT_EQ(folder + kPathSeparator + "Brindleway.ini", store->SettingsFilePath());
    }
    store->InsertData(MakeEntry("Tools", KIND_GROUP, kParentTopLevel), -1);
    ASSERT_EQ(1, store->CommitData());
    ASSERT_EQ(1, store->WriteOptions());
    EXPECT_FALSE(ReadBytes(folder + kPathSeparator + "Brindleway.bwz").empty());
    EXPECT_TRUE(platform.FileExists(folder + kPathSeparator + "Brindleway.ini"));
    WriteBytes(store->DataFilePath(), Bytes{1, 2, 3});
    EXPECT_EQ(0, store->LoadData());
    EXPECT_EQ(folder + kPathSeparator + "Brindleway.bwz.damaged", store->GetLoadReport().keptCopy);
    EXPECT_EQ((Bytes{1, 2, 3}), ReadBytes(store->GetLoadReport().keptCopy));
    // Nothing beside the folder under a name glued to the folder's.
    EXPECT_EQ(1u, dir.Names().size());
    for (const char* glued : {"Brindleway.bwz", "~Brindleway.tmp", "Brindleway.ini"})
        EXPECT_FALSE(platform.FileExists(dir.File(name + glued))) << glued;
}

TEST_F(DataFileTest, MissingOrMisplacedNulsAreDamage) {
    Bytes file = SampleFile();
    const size_t nameNul = 25 + 5, pathNul = nameNul + 1 + 4;
    Bytes noNameNul = file;
    noNameNul[nameNul] = 'x';
    ExpectDamagedKeptAsFound(*store, noNameNul, "name without NUL");
    Bytes noPathNul = file;
    noPathNul[pathNul] = 'x';
    ExpectDamagedKeptAsFound(*store, noPathNul, "path without NUL");
    Bytes innerNul = file;
    innerNul[27] = 0;
    ExpectDamagedKeptAsFound(*store, innerNul, "NUL inside the name");
    Bytes innerPathNul = DataFileBytes({{KIND_FILE, 0, -1, "a", "C:\\x.exe"}});
    innerPathNul[9 + 12 + 4 + 2 + 4 + 3] = 0;
    ExpectDamagedKeptAsFound(*store, innerPathNul, "NUL inside the path");
}

// Ids repeated or out of range get fresh ones. The file's checksum is good,
// so it loads, but it is reported and kept as found: the program never
// writes such a file.
TEST_F(DataFileTest, RepeatedOrOutOfRangeIdsGetFreshOnes) {
    const Bytes file = DataFileBytes({{KIND_GROUP, 3, -1, "first3", ""},
                                      {KIND_FILE, 9, 3, "child1", "C:\\c.exe"},
                                      {KIND_GROUP, 3, -1, "second3", ""},
                                      {KIND_FILE, 10, 3, "child2", "C:\\c.exe"},
                                      {KIND_FILE, 255, -1, "big", ""},
                                      {KIND_FILE, -1, -1, "minus", ""},
                                      {KIND_FILE, 0, -1, "zero", ""}});
    WriteBytes(DataFile(), file);
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(DataFileState::IdsRepaired, store->GetLoadReport().state);
    EXPECT_EQ(file, ReadBytes(store->GetLoadReport().keptCopy));
    EXPECT_EQ("", TableProblem(*store, true));
    EXPECT_EQ((Names{"first3", "child1", "second3", "child2", "big", "minus", "zero"}),
              CommittedNames(*store));
    EXPECT_EQ(3, store->GetCommittedData(0)->id);
    EXPECT_EQ(3, store->GetCommittedData(1)->parent);
    EXPECT_EQ(1, store->GetCommittedData(2)->id);
    EXPECT_EQ(1, store->GetCommittedData(3)->parent);
    EXPECT_EQ(2, store->GetCommittedData(4)->id);
    EXPECT_EQ(4, store->GetCommittedData(5)->id);
    EXPECT_EQ(5, store->FindFreeId(false));
}

// A group stored with a negative id gets a fresh one but no members: -1
// is the parent every top-level record names, not this group's id.
TEST_F(DataFileTest, AGroupStoredWithANegativeIdTakesNoMembers) {
    WriteBytes(DataFile(), DataFileBytes({{KIND_GROUP, -1, -1, "G", ""},
                                          {KIND_FILE, 0, -1, "a", "C:\\a.exe"},
                                          {KIND_GROUP, 1, -1, "H", ""},
                                          {KIND_FILE, 2, 1, "h1", "C:\\h.exe"},
                                          {KIND_URL, 4, -1, "u", "https://example.org/"}}));
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(DataFileState::IdsRepaired, store->GetLoadReport().state);
    EXPECT_EQ("", TableProblem(*store, true));
    EXPECT_EQ((Names{"G", "a", "H", "h1", "u"}), CommittedNames(*store));
    EXPECT_EQ(3, store->GetCommittedData(0)->id);
    for (int i : {0, 1, 2, 4})
        EXPECT_EQ(kParentTopLevel, store->GetCommittedData(i)->parent) << i;
    EXPECT_EQ(1, store->GetCommittedData(3)->parent);
}

// A renumbered group keeps its members, nested groups included: the records
// that follow it in the file and descend from it.
TEST_F(DataFileTest, RenumberedGroupKeepsItsMembers) {
    WriteBytes(DataFile(), DataFileBytes({{KIND_GROUP, 3, -1, "A", ""},
                                          {KIND_FILE, 0, 3, "a1", "C:\\a1.exe"},
                                          {KIND_GROUP, 3, -1, "B", ""},
                                          {KIND_FILE, 1, 3, "b1", "C:\\b1.exe"},
                                          {KIND_GROUP, 4, 3, "B-inner", ""},
                                          {KIND_FILE, 5, 4, "inner1", "C:\\i.exe"},
                                          {KIND_FILE, 6, 3, "b2", "C:\\b2.exe"},
                                          {KIND_GROUP, 300, -1, "C", ""},
                                          {KIND_URL, 7, 300, "c1", "http://example.com/"},
                                          {KIND_FILE, 8, -1, "top", "C:\\t.exe"}}));
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(DataFileState::IdsRepaired, store->GetLoadReport().state);
    EXPECT_EQ("", TableProblem(*store, true));
    EXPECT_EQ((Names{"A", "a1", "B", "b1", "B-inner", "inner1", "b2", "C", "c1", "top"}),
              CommittedNames(*store));
    const int32_t b = store->GetCommittedData(2)->id, c = store->GetCommittedData(7)->id;
    EXPECT_EQ(2, b);
    EXPECT_EQ(9, c);
    EXPECT_EQ(3, store->GetCommittedData(1)->parent);
    EXPECT_EQ(b, store->GetCommittedData(3)->parent);
    EXPECT_EQ(b, store->GetCommittedData(4)->parent);
    EXPECT_EQ(4, store->GetCommittedData(5)->parent);
    EXPECT_EQ(b, store->GetCommittedData(6)->parent);
    EXPECT_EQ(c, store->GetCommittedData(8)->parent);
    EXPECT_EQ(kParentTopLevel, store->GetCommittedData(9)->parent);
}

TEST_F(DataFileTest, ChecksumIsVerifiedOverTheIdsAsRead) {
    Bytes file = DataFileBytes({{KIND_FILE, 7, -1, "a", ""}, {KIND_FILE, 7, -1, "b", ""}});
    WriteBytes(DataFile(), file);
    EXPECT_EQ(1, store->LoadData());
    file[0] ^= 0x20;
    WriteBytes(DataFile(), file);
    auto second = NewStore();
    EXPECT_EQ(0, second->LoadData());
    EXPECT_EQ(DataFileState::ChecksumMismatch, second->GetLoadReport().state);
    EXPECT_EQ((Names{"a", "b"}), CommittedNames(*second));
    EXPECT_EQ("", TableProblem(*second, true));
}

TEST_F(DataFileTest, UnreachableRecordsAreKeptAtTheTopLevel) {
    WriteBytes(DataFile(), DataFileBytes({{KIND_FILE, 0, 40, "orphan", ""},
                                          {KIND_GROUP, 1, 2, "P", ""},
                                          {KIND_GROUP, 2, 1, "Q", ""},
                                          {KIND_FILE, 3, -1, "top", ""},
                                          {KIND_FILE, 4, 3, "underFile", ""},
                                          {KIND_FILE, 5, -2, "emptySlot", ""}}));
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(6, store->GetCommittedNum());
    EXPECT_EQ("", TableProblem(*store, true));
    EXPECT_EQ((Names{"top", "orphan", "P", "Q", "underFile", "emptySlot"}), CommittedNames(*store));
}

TEST_F(DataFileTest, RandomBytesNeverBreakTheTables) {
    std::mt19937 random(20240607);
    Bytes good = SampleFile();
    for (int round = 0; round < 300; ++round) {
        Bytes file;
        if (round % 3 == 0) {
            file.resize(random() % 400);
            for (unsigned char& byte : file)
                byte = static_cast<unsigned char>(random());
        } else {
            // A good file with a few bytes changed: more of them parse.
            file = good;
            for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n) {
                file[random() % file.size()] = static_cast<unsigned char>(random());
            }
        }
        SCOPED_TRACE("round " + std::to_string(round));
        WriteBytes(DataFile(), file);
        int loaded = store->LoadData();
        const LoadReport& report = store->GetLoadReport();
        ASSERT_EQ("", TableProblem(*store, true));
        if (report.state == DataFileState::Damaged) {
            ASSERT_EQ(report.salvagedCount, store->GetCommittedNum());
        }
        bool checksumGood =
            report.state == DataFileState::Loaded || report.state == DataFileState::IdsRepaired;
        ASSERT_EQ(checksumGood ? 1 : 0, loaded);
        if (report.state == DataFileState::Loaded) {
            ASSERT_EQ("", report.keptCopy);
        } else {
            ASSERT_NE(DataFileState::Missing, report.state);
            ASSERT_EQ(file, ReadBytes(report.keptCopy));
            std::remove(report.keptCopy.c_str());
        }
        ASSERT_EQ(file, ReadBytes(DataFile()));
    }
}

TEST_F(DataFileTest, UnreadableDataFileIsNotOverwritten) {
    // A folder where the data file should be: it cannot be read, copied or replaced.
    MakeDirectory(DataFile());
    EXPECT_EQ(0, store->LoadData());
    EXPECT_EQ(DataFileState::Unreadable, store->GetLoadReport().state);
    EXPECT_EQ(0, store->SaveData());
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
}

// Failed saves: the data file keeps its previous bytes and no temporary
// file is left behind.
class FailedSaveTest : public DataFileTest {
protected:
    void SetUp() override {
        DataFileTest::SetUp();
        CommitSampleTree();
        before = ReadBytes(DataFile());
        store->InsertData(MakeEntry("unsaved", KIND_FILE, -1), -1);
        store->RestoreData();
        store->InsertData(MakeEntry("changed", KIND_FILE, -1), -1);
        platform.writes = 0;
        platform.replaces = 0;
    }

    void ExpectSaveFailsAndNothingChanges() {
        EXPECT_EQ(0, store->CommitData());
        EXPECT_EQ(before, ReadBytes(DataFile()));
        EXPECT_FALSE(Exists(store->TempFilePath()));
        EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
    }

    Bytes before;
};

TEST_F(FailedSaveTest, TemporaryFileCannotBeCreated) {
    platform.failCreate = true;
    ExpectSaveFailsAndNothingChanges();
    EXPECT_EQ(0, platform.replaces);
}

// The temporary file is written first, a piece at a time, then the new
// backup in one piece: a failure in the temporary file fails the save, one
// in the backup only skips the backup.
TEST_F(FailedSaveTest, EveryWriteFailingHalfWay) {
    int failedSaves = 0;
    for (int n = 1; n < 1000; ++n) {
        SCOPED_TRACE("write " + std::to_string(n));
        platform.writes = 0;
        platform.failWriteAt = n;
        platform.events.clear();
        int result = store->CommitData();
        if (result == 1) {
            // The temporary file's writes all went through.
            EXPECT_EQ(
                std::count(platform.events.begin(), platform.events.end(), "flush ~Brindleway.tmp"),
                1);
            EXPECT_NE(before, ReadBytes(DataFile()));
            break;
        }
        EXPECT_EQ(before, ReadBytes(DataFile()));
        EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
        ++failedSaves;
    }
    EXPECT_GE(failedSaves, 2);
    // The one that went through lost only the backup's write.
    EXPECT_EQ(platform.writes, platform.failWriteAt);
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
}

TEST_F(FailedSaveTest, FlushFails) {
    platform.failFlush = true;
    ExpectSaveFailsAndNothingChanges();
}

TEST_F(FailedSaveTest, CloseFails) {
    platform.failClose = true;
    ExpectSaveFailsAndNothingChanges();
    EXPECT_EQ(0, platform.replaces);
}

TEST_F(FailedSaveTest, ReplaceFails) {
    platform.failReplace = true;
    ExpectSaveFailsAndNothingChanges();
    EXPECT_EQ(1, platform.replaces);
}

TEST_F(FailedSaveTest, TemporaryFileNameTakenByAFolder) {
    MakeDirectory(store->TempFilePath());
    EXPECT_EQ(0, store->CommitData());
    EXPECT_EQ(before, ReadBytes(DataFile()));
    EXPECT_EQ((Names{"Brindleway.bwz", "~Brindleway.tmp"}), dir.Names());
}

TEST_F(FailedSaveTest, ReadOnlyDataFileSurvives) {
    // Windows refuses to move a file over a read-only one (and the posix
    // stand-in keeps that rule); Wine running as root does not.
    std::string probeSource = dir.File("probe-source"), probeTarget = dir.File("probe-target");
    WriteText(probeSource, "new");
    WriteText(probeTarget, "old");
    SetReadOnly(probeTarget, true);
    bool refused = !DefaultPlatform().ReplaceFileAtomically(probeSource, probeTarget);
    SetReadOnly(probeTarget, false);
    std::remove(probeSource.c_str());
    std::remove(probeTarget.c_str());
    if (!refused)
        GTEST_SKIP() << "this system replaces read-only files; covered by ReplaceFails";

    SetReadOnly(DataFile(), true);
    ExpectSaveFailsAndNothingChanges();
    SetReadOnly(DataFile(), false);
}

TEST_F(FailedSaveTest, MissingFolder) {
    store->SetDirectory(dir.File("missing"));
    EXPECT_EQ(0, store->CommitData());
    EXPECT_FALSE(Exists(dir.File("missing")));
    EXPECT_EQ(before, ReadBytes(DataFile()));
}

TEST_F(FailedSaveTest, UnwritableFolder) {
    std::string folder = dir.File("locked");
    MakeDirectory(folder);
    WriteBytes(folder + kPathSeparator + "Brindleway.bwz", before);
    SetReadOnly(folder, true);
    // Root, and Windows' read-only folders, can still create files there.
    std::string probe = folder + kPathSeparator + "probe";
    bool writable = DefaultPlatform().CreateOutputFile(probe) != nullptr;
    if (writable) {
        std::remove(probe.c_str());
        SetReadOnly(folder, false);
        GTEST_SKIP() << "the folder stays writable here; covered by TemporaryFileCannotBeCreated";
    }
    store->SetDirectory(folder);
    EXPECT_EQ(0, store->CommitData());
    SetReadOnly(folder, false);
    EXPECT_EQ(before, ReadBytes(folder + kPathSeparator + "Brindleway.bwz"));
    EXPECT_FALSE(Exists(folder + kPathSeparator + "~Brindleway.tmp"));
}

TEST_F(FailedSaveTest, StaleTemporaryFileIsReplaced) {
    WriteText(store->TempFilePath(), "left over from a crash");
    EXPECT_EQ(1, store->CommitData());
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), dir.Names());
    auto reloaded = NewStore();
    EXPECT_EQ(1, reloaded->LoadData());
    EXPECT_EQ(6, reloaded->GetCommittedNum());
}

// The backup: every save keeps the file it replaces as Brindleway.bwz.bak.
class BackupTest : public DataFileTest {
protected:
    std::string Backup() const { return dir.File("Brindleway.bwz.bak"); }

    // Commits the working table with one more top-level entry; returns the
    // data file's bytes after the save.
    Bytes CommitWithEntry(const char* name) {
        store->InsertData(MakeEntry(name, KIND_FILE, kParentTopLevel, "C:\\x.exe"), -1);
        EXPECT_EQ(1, store->CommitData());
        return ReadBytes(DataFile());
    }
};

TEST_F(BackupTest, FirstSaveReplacesNothingAndMakesNoBackup) {
    CommitWithEntry("first");
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
}

TEST_F(BackupTest, EachSaveKeepsTheFileItReplaces) {
    Bytes first = CommitWithEntry("first");
    Bytes second = CommitWithEntry("second");
    EXPECT_EQ(first, ReadBytes(Backup()));
    EXPECT_EQ(second, ReadBytes(DataFile()));
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), dir.Names());

    Bytes third = CommitWithEntry("third");
    EXPECT_EQ(second, ReadBytes(Backup()));
    EXPECT_EQ(third, ReadBytes(DataFile()));
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), dir.Names());
}

TEST_F(BackupTest, BackupRenamedOntoTheDataFileLoadsTheTableBeforeTheSave) {
    CommitWithEntry("first");
    CommitWithEntry("second");
    // What the help tells the user to do, with the program ended.
    ASSERT_TRUE(DefaultPlatform().ReplaceFileAtomically(Backup(), DataFile()));
    auto reloaded = NewStore();
    EXPECT_EQ(1, reloaded->LoadData());
    EXPECT_EQ(Names{"first"}, CommittedNames(*reloaded));
}

TEST_F(BackupTest, LeftoversOfAnInterruptedSaveAreCleared) {
    CommitWithEntry("first");
    WriteText(dir.File("~Brindleway.bak.tmp"), "cut short");
    Bytes first = ReadBytes(DataFile());
    CommitWithEntry("second");
    EXPECT_EQ(first, ReadBytes(Backup()));
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), dir.Names());
}

// A read-only data file that the user made writable again: its backup,
// made while it was read-only, does not stand in the way of later saves.
TEST_F(BackupTest, BackupOfAReadOnlyDataFileIsReplacedByTheNextSave) {
    CommitWithEntry("first");
    SetReadOnly(DataFile(), true);
    store->InsertData(MakeEntry("second", KIND_FILE, kParentTopLevel), -1);
    store->CommitData(); // refused on Windows, allowed where read-only files can be replaced
    SetReadOnly(DataFile(), false);
    Bytes before = ReadBytes(DataFile());
    Bytes third = CommitWithEntry("third");
    EXPECT_EQ(before, ReadBytes(Backup()));
    EXPECT_EQ(third, ReadBytes(DataFile()));
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), dir.Names());
}

// A save failing at any step leaves the data file and the backup as they
// were, whole, and no temporary file behind.
struct SaveFailure {
    const char* what;
    std::function<void(TestPlatform&)> inject;
};

void PrintTo(const SaveFailure& failure, std::ostream* out) {
    *out << failure.what;
}

class FailingSaveKeepsBothFiles : public BackupTest,
                                  public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(FailingSaveKeepsBothFiles, WithAnEarlierBackup) {
    CommitWithEntry("first");
    Bytes data = CommitWithEntry("second");
    Bytes backup = ReadBytes(Backup());
    store->InsertData(MakeEntry("third", KIND_FILE, kParentTopLevel), -1);
    platform.replaces = 0;
    platform.copies = 0;
    platform.writes = 0;
    GetParam().inject(platform);
    EXPECT_EQ(0, store->CommitData());
    EXPECT_EQ(data, ReadBytes(DataFile()));
    EXPECT_EQ(backup, ReadBytes(Backup()));
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), dir.Names());
}

TEST_P(FailingSaveKeepsBothFiles, WithoutABackupYet) {
    Bytes data = CommitWithEntry("first");
    store->InsertData(MakeEntry("second", KIND_FILE, kParentTopLevel), -1);
    platform.replaces = 0;
    platform.copies = 0;
    platform.writes = 0;
    GetParam().inject(platform);
    EXPECT_EQ(0, store->CommitData());
    EXPECT_EQ(data, ReadBytes(DataFile()));
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
}

std::string ParamName(const char* what) {
    std::string name;
    for (const char* c = what; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, FailingSaveKeepsBothFiles,
    ::testing::Values(
        SaveFailure{"temporary file not created", [](TestPlatform& p) { p.failCreate = true; }},
        SaveFailure{"write fails", [](TestPlatform& p) { p.failWriteAt = 2; }},
        SaveFailure{"flush fails", [](TestPlatform& p) { p.failFlush = true; }},
        SaveFailure{"close fails", [](TestPlatform& p) { p.failClose = true; }},
        // The renames: the new data file onto the data file first; the backup
        // is touched only after it.
        SaveFailure{"data file rename fails", [](TestPlatform& p) { p.failReplaceAt = 1; }},
        SaveFailure{"every rename fails", [](TestPlatform& p) { p.failReplace = true; }}),
    [](const ::testing::TestParamInfo<SaveFailure>& info) { return ParamName(info.param.what); });

// Whichever rename fails, the older backup is not lost: it is never moved
// aside to be put back (which could fail in turn), and the data file is
// either the old one or the new one, as the result says.
TEST_F(BackupTest, TheOlderBackupSurvivesWhicheverRenameFails) {
    for (int from : {1, 2, 3}) {
        SCOPED_TRACE("every rename from the " + std::to_string(from) + "th fails");
        TempDir own;
        ItemStore saving(&platform);
        saving.SetDirectory(own.Path());
        saving.InsertData(MakeEntry("first", KIND_FILE, kParentTopLevel), -1);
        ASSERT_EQ(1, saving.CommitData());
        Bytes first = ReadBytes(saving.DataFilePath());
        saving.InsertData(MakeEntry("second", KIND_FILE, kParentTopLevel), -1);
        ASSERT_EQ(1, saving.CommitData());
        Bytes second = ReadBytes(saving.DataFilePath());
        saving.InsertData(MakeEntry("third", KIND_FILE, kParentTopLevel), -1);
        platform.replaces = 0;
        platform.failReplaceFrom = from;
        int saved = saving.CommitData();
        platform.failReplaceFrom = 0;
        Bytes data = ReadBytes(saving.DataFilePath());
        Bytes backup = ReadBytes(saving.BackupFilePath());
        if (saved == 0) {
            EXPECT_EQ(second, data);
            EXPECT_EQ(first, backup);
        } else {
            // Saved: the backup is the file replaced, or the older one when
            // the backup's own rename failed.
            EXPECT_NE(second, data);
            EXPECT_TRUE(backup == second || backup == first);
        }
        EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), own.Names());
    }
}

// The new backup reaches the disk before it takes the backup's name, as
// the new data file does before it takes the data file's.
TEST_F(BackupTest, EachFileIsFlushedBeforeItIsRenamedIntoPlace) {
    CommitWithEntry("first");
    store->InsertData(MakeEntry("second", KIND_FILE, kParentTopLevel), -1);
    platform.events.clear();
    ASSERT_EQ(1, store->CommitData());
    auto at = [&](const std::string& event) {
        auto found = std::find(platform.events.begin(), platform.events.end(), event);
        EXPECT_NE(found, platform.events.end()) << event;
        return found - platform.events.begin();
    };
    EXPECT_LT(at("flush ~Brindleway.tmp"), at("replace ~Brindleway.tmp Brindleway.bwz"));
    EXPECT_LT(at("flush ~Brindleway.bak.tmp"),
              at("replace ~Brindleway.bak.tmp Brindleway.bwz.bak"));
}

// A save that would write the bytes the data file holds writes nothing, so
// the backup keeps the table before the last real change: Apply and then OK,
// or a window opened and closed with OK, leave the undo as it was.
TEST_F(BackupTest, ASaveThatChangesNothingLeavesTheBackup) {
    Bytes first = CommitWithEntry("first");
    Bytes second = CommitWithEntry("second");
    platform.events.clear();
    for (int again = 0; again < 3; ++again) {
        EXPECT_EQ(1, store->CommitData());
        EXPECT_EQ(SaveOutcome::Unchanged, store->LastSaveOutcome());
    }
    EXPECT_EQ(std::vector<std::string>{}, platform.events);
    EXPECT_EQ(second, ReadBytes(DataFile()));
    EXPECT_EQ(first, ReadBytes(Backup()));
    // The undo the help describes gives the table before the change.
    ASSERT_TRUE(DefaultPlatform().ReplaceFileAtomically(Backup(), DataFile()));
    auto reloaded = NewStore();
    EXPECT_EQ(1, reloaded->LoadData());
    EXPECT_EQ(Names{"first"}, CommittedNames(*reloaded));
}

// A data file that did not load as it is (kept as .damaged at start) never
// becomes the backup: the backup keeps the last good table, and the load
// says it is there. The file the first save writes is good, and the next
// save makes it the backup.
TEST_F(BackupTest, AFileFoundDamagedNeverBecomesTheBackup) {
    struct Case {
        const char* what;
        std::function<Bytes(Bytes)> damage;
        DataFileState state;
    } cases[] = {
        {"checksum mismatch",
         [](Bytes file) {
             file[0] ^= 1;
             return file;
         },
         DataFileState::ChecksumMismatch},
        {"cut short",
         [](Bytes file) {
             file.resize(file.size() - 3);
             return file;
         },
         DataFileState::Damaged},
        {"ids repeated",
         [](Bytes) {
             return DataFileBytes({{KIND_FILE, 4, -1, "a", ""}, {KIND_FILE, 4, -1, "b", ""}});
         },
         DataFileState::IdsRepaired},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir own;
        ItemStore earlier(&platform);
        earlier.SetDirectory(own.Path());
        earlier.InsertData(MakeEntry("good", KIND_FILE, kParentTopLevel, "C:\\x.exe"), -1);
        ASSERT_EQ(1, earlier.CommitData());
        Bytes good = ReadBytes(earlier.DataFilePath());
        earlier.InsertData(MakeEntry("better", KIND_FILE, kParentTopLevel, "C:\\x.exe"), -1);
        ASSERT_EQ(1, earlier.CommitData());
        Bytes damaged = c.damage(ReadBytes(earlier.DataFilePath()));
        WriteBytes(earlier.DataFilePath(), damaged);

        ItemStore next(&platform);
        next.SetDirectory(own.Path());
        next.LoadData();
        EXPECT_EQ(c.state, next.GetLoadReport().state);
        EXPECT_TRUE(next.GetLoadReport().backupExists);
        next.RestoreData();
        next.InsertData(MakeEntry("after", KIND_FILE, kParentTopLevel, "C:\\y.exe"), -1);
        ASSERT_EQ(1, next.CommitData());
        EXPECT_EQ(good, ReadBytes(own.File("Brindleway.bwz.bak")));
        EXPECT_EQ(damaged, ReadBytes(next.GetLoadReport().keptCopy));
        Bytes firstWritten = ReadBytes(own.File("Brindleway.bwz"));

        next.InsertData(MakeEntry("later", KIND_FILE, kParentTopLevel, "C:\\z.exe"), -1);
        ASSERT_EQ(1, next.CommitData());
        EXPECT_EQ(firstWritten, ReadBytes(own.File("Brindleway.bwz.bak")));
    }
}

// The backup is best-effort: when it cannot be made, the data file is saved
// all the same, the older backup stays as it was, and the user is told once
// why.
struct BackupFailure {
    const char* what;
    std::function<void(TestPlatform&)> inject;
    FileError why;
};

void PrintTo(const BackupFailure& failure, std::ostream* out) {
    *out << failure.what;
}

class BackupSkipped : public BackupTest, public ::testing::WithParamInterface<BackupFailure> {};

TEST_P(BackupSkipped, TheDataFileIsSavedAndTheUserToldOnce) {
    Bytes first = CommitWithEntry("first");
    CommitWithEntry("second");
    std::vector<FileError> told;
    store->SetBackupSkippedNotice([&](FileError why) { told.push_back(why); });
    GetParam().inject(platform);
    Bytes third = CommitWithEntry("third");
    EXPECT_EQ(SaveOutcome::Written, store->LastSaveOutcome());
    EXPECT_NE(third, first);
    EXPECT_EQ(first, ReadBytes(Backup()));
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), dir.Names());
    EXPECT_EQ(std::vector<FileError>{GetParam().why}, told);

    platform.replaces = 0;
    platform.copies = 0;
    CommitWithEntry("fourth");
    EXPECT_EQ(1u, told.size());
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, BackupSkipped,
    ::testing::Values(BackupFailure{"new backup not created",
                                    [](TestPlatform& p) {
                                        p.failCreateName = "~Brindleway.bak.tmp";
                                        p.failError = FileError::DiskFull;
                                    },
                                    FileError::DiskFull},
                      // The second rename of each save: the new backup onto the backup.
                      BackupFailure{"backup held open",
                                    [](TestPlatform& p) {
                                        p.replaces = 0;
                                        p.failReplaceAt = 2;
                                        p.failError = FileError::InUse;
                                    },
                                    FileError::InUse}),
    [](const ::testing::TestParamInfo<BackupFailure>& info) { return ParamName(info.param.what); });

// The last case for real: the user made the backup read-only, which the
// rename onto it respects (Windows refuses, and both platforms here keep
// that rule).
TEST_F(BackupTest, AReadOnlyBackupIsLeftAsItIs) {
    Bytes first = CommitWithEntry("first");
    CommitWithEntry("second");
    SetReadOnly(Backup(), true);
    std::vector<FileError> told;
    store->SetBackupSkippedNotice([&](FileError why) { told.push_back(why); });
    Bytes third = CommitWithEntry("third");
    SetReadOnly(Backup(), false);
    EXPECT_EQ(third, ReadBytes(DataFile()));
    EXPECT_EQ(first, ReadBytes(Backup()));
    EXPECT_EQ(std::vector<FileError>{FileError::AccessDenied}, told);
    EXPECT_EQ((Names{"Brindleway.bwz", "Brindleway.bwz.bak"}), dir.Names());
}

// In a folder so deep that the data file's name takes 255 bytes, the backup
// (4 bytes more) still fits the 259 Windows takes, but the new backup's
// temporary name (5 bytes more) does not: the data file is saved, without
// a new backup.
TEST_F(BackupTest, ATemporaryBackupNameTooLongSkipsOnlyTheBackup) {
    std::string folder = dir.Path();
    const size_t dataFileName = std::string("Brindleway.bwz").size() + 1;
    while (folder.size() + dataFileName < 255) {
        size_t room = 255 - dataFileName - folder.size() - 1;
        folder += kPathSeparator + std::string(std::min<size_t>(room, 100), 'd');
        MakeDirectory(folder);
        ASSERT_TRUE(Exists(folder)) << folder;
    }
    store->SetDirectory(folder);
    ASSERT_EQ(255u, store->DataFilePath().size());
    std::vector<FileError> told;
    store->SetBackupSkippedNotice([&](FileError why) { told.push_back(why); });
    store->InsertData(MakeEntry("first", KIND_FILE, kParentTopLevel), -1);
    ASSERT_EQ(1, store->CommitData());
    Bytes first = ReadBytes(store->DataFilePath());
    store->InsertData(MakeEntry("second", KIND_FILE, kParentTopLevel), -1);
    ASSERT_EQ(1, store->CommitData());
    Bytes second = ReadBytes(store->DataFilePath());
    EXPECT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(std::vector<FileError>{FileError::NameTooLong}, told);
    EXPECT_FALSE(Exists(store->BackupFilePath()));
}

} // namespace
