// The data file: its exact bytes, the checksum, damaged files and failed saves.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
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
    EXPECT_EQ(1, reloaded->SaveData());
    EXPECT_EQ(first, ReadBytes(DataFile()));
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
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
    EXPECT_EQ((Bytes{0x64, 0x64, 0, 0, 0, 0, 0, 0, 0}), ReadBytes(DataFile()));
}

// A damaged file loads nothing and is kept as found, and the data file
// itself is not touched by the load.
void ExpectDamagedKeptAsFound(ItemStore& store, const Bytes& file, const std::string& what) {
    SCOPED_TRACE(what);
    WriteBytes(store.DataFilePath(), file);
    EXPECT_EQ(0, store.LoadData());
    const LoadReport& report = store.GetLoadReport();
    EXPECT_EQ(DataFileState::Damaged, report.state);
    EXPECT_EQ(0, store.GetCommittedNum());
    for (int i = 0; i < kMaxEntries; ++i) {
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

TEST_F(DataFileTest, EveryTruncationIsDamage) {
    Bytes file = SampleFile();
    for (size_t length = 0; length < file.size(); ++length) {
        ExpectDamagedKeptAsFound(*store,
                                 Bytes(file.begin(), file.begin() + static_cast<long>(length)),
                                 "length " + std::to_string(length));
    }
    EXPECT_EQ(0, store->FindFreeId(false));
}

TEST_F(DataFileTest, BytesAfterTheLastRecordAreDamage) {
    Bytes file = SampleFile();
    file.push_back(0);
    ExpectDamagedKeptAsFound(*store, file, "one more byte");
    Bytes big = SampleFile();
    big.resize(200000, 0x41);
    ExpectDamagedKeptAsFound(*store, big, "a long tail");
}

Bytes WithInt32At(Bytes file, size_t offset, int32_t value) {
    Bytes bits;
    PutInt32(&bits, value);
    std::copy(bits.begin(), bits.end(), file.begin() + static_cast<long>(offset));
    file[0] = XorAfterFirst(file);
    return file;
}

TEST_F(DataFileTest, CountsAndLengthsOutOfBoundsAreDamage) {
    Bytes file = SampleFile();
    // Offsets in the first record: kind 9, id 13, parent 17, nameLen 21, name 25.
    const size_t count = 5, nameLength = 21, pathLength = 21 + 4 + 6;
    for (int32_t value : {256, -1, 4, 2, 0x7fffffff, INT32_MIN}) {
        ExpectDamagedKeptAsFound(*store, WithInt32At(file, count, value),
                                 "count " + std::to_string(value));
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
    ExpectDamagedKeptAsFound(*store, WithInt32At(file, count, 255), "count 255");
}

TEST_F(DataFileTest, NamesOfTheLongestLengthsLoad) {
    std::string name(63, 'n'), path(259, 'p');
    WriteBytes(DataFile(), DataFileBytes({{KIND_FILE, 0, -1, name, path}}));
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(name, store->GetCommittedData(0)->name);
    EXPECT_EQ(path, store->GetCommittedData(0)->path);
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

TEST_F(DataFileTest, RepeatedOrOutOfRangeIdsGetFreshOnes) {
    WriteBytes(DataFile(), DataFileBytes({{KIND_GROUP, 3, -1, "first3", ""},
                                          {KIND_GROUP, 3, -1, "second3", ""},
                                          {KIND_FILE, 9, 3, "child", "C:\\c.exe"},
                                          {KIND_FILE, 255, -1, "big", ""},
                                          {KIND_FILE, -1, -1, "minus", ""},
                                          {KIND_FILE, 0, -1, "zero", ""}}));
    EXPECT_EQ(1, store->LoadData());
    EXPECT_EQ(DataFileState::Loaded, store->GetLoadReport().state);
    EXPECT_EQ("", TableProblem(*store, true));
    EXPECT_EQ((Names{"first3", "child", "second3", "big", "minus", "zero"}),
              CommittedNames(*store));
    EXPECT_EQ(3, store->GetCommittedData(0)->id);
    EXPECT_EQ(3, store->GetCommittedData(1)->parent);
    EXPECT_EQ(1, store->GetCommittedData(2)->id);
    EXPECT_EQ(2, store->GetCommittedData(3)->id);
    EXPECT_EQ(4, store->GetCommittedData(4)->id);
    EXPECT_EQ(5, store->FindFreeId(false));
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
            ASSERT_EQ(0, store->GetCommittedNum());
        }
        if (report.state == DataFileState::Loaded) {
            ASSERT_EQ(1, loaded);
        } else {
            ASSERT_EQ(0, loaded);
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
    EXPECT_EQ(DataFileState::Damaged, store->GetLoadReport().state);
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

TEST_F(FailedSaveTest, EveryWriteFailingHalfWay) {
    int failedSaves = 0;
    for (int n = 1; n < 1000; ++n) {
        SCOPED_TRACE("write " + std::to_string(n));
        platform.writes = 0;
        platform.failWriteAt = n;
        int result = store->CommitData();
        if (platform.writes < n) {
            // The save needed fewer writes than n: it went through.
            EXPECT_EQ(1, result);
            break;
        }
        EXPECT_EQ(0, result);
        EXPECT_EQ(before, ReadBytes(DataFile()));
        EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
        ++failedSaves;
    }
    EXPECT_GE(failedSaves, 2);
    EXPECT_NE(before, ReadBytes(DataFile()));
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
    EXPECT_EQ(Names{"Brindleway.bwz"}, dir.Names());
    auto reloaded = NewStore();
    EXPECT_EQ(1, reloaded->LoadData());
    EXPECT_EQ(6, reloaded->GetCommittedNum());
}

} // namespace
