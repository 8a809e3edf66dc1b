// The entry tables: ids, appends and replacements, tree order, moves,
// deletes, restore and commit.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "res/resource.h"

namespace {

using Names = std::vector<std::string>;

// "e" followed by the number. (Built by appending: gcc 12 warns falsely
// about "e" + std::to_string(i).)
std::string Numbered(int i) {
    std::string name = "e";
    name += std::to_string(i);
    return name;
}

TreeItemHandle Handle(uintptr_t n) {
    return reinterpret_cast<TreeItemHandle>(n * 16);
}

class ItemStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        store = std::make_unique<ItemStore>(&platform);
        store->SetDirectory(dir.Path());
    }

    // Appends and returns the new entry's id.
    int32_t Add(const char* name, int32_t kind, int32_t parent = kParentTopLevel) {
        EXPECT_EQ(1, store->InsertData(MakeEntry(name, kind, parent), -1));
        return IdOf(name);
    }

    int IndexOf(const std::string& name) {
        for (int i = 0; i < store->GetDataNum(); ++i) {
            if (name == store->GetData(i)->name)
                return i;
        }
        return -1;
    }

    int32_t IdOf(const std::string& name) {
        int index = IndexOf(name);
        return index < 0 ? -99 : store->GetData(index)->id;
    }

    void LoadFile(const std::vector<RecordSpec>& records) {
        WriteBytes(store->DataFilePath(), DataFileBytes(records));
        ASSERT_EQ(1, store->LoadData());
        store->RestoreData();
    }

    TempDir dir;
    TestPlatform platform;
    std::unique_ptr<ItemStore> store;
};

TEST_F(ItemStoreTest, ConstructionLeavesEveryslotEmpty) {
    EXPECT_EQ(0, store->GetDataNum());
    EXPECT_EQ(0, store->GetCommittedNum());
    Options none{};
    EXPECT_EQ(0, std::memcmp(&none, store->GetOptions(), sizeof none));
    for (int i = 0; i < kMaxEntries; ++i) {
        const WorkingEntry& working = *store->GetData(i);
        const LaunchEntry& committed = *store->GetCommittedData(i);
        for (const LaunchEntry* entry : {static_cast<const LaunchEntry*>(&working), &committed}) {
            EXPECT_EQ(kParentEmptySlot, entry->parent);
            EXPECT_EQ(kNoId, entry->id);
            EXPECT_EQ(KIND_FILE, entry->kind);
            EXPECT_EQ(std::string(kNameSize, '\0'), std::string(entry->name, kNameSize));
            EXPECT_EQ(std::string(kPathSize, '\0'), std::string(entry->path, kPathSize));
        }
        EXPECT_EQ(nullptr, working.treeItem);
        EXPECT_EQ(0, working.expanded);
    }
    EXPECT_EQ(0, store->FindFreeId(false));
}

TEST_F(ItemStoreTest, AppendsGetIdsInOrderWhateverTheCallerPassed) {
    EXPECT_EQ(1, store->InsertData(MakeEntry("a", KIND_FILE, kParentTopLevel, "", 77), -1));
    EXPECT_EQ(1, store->InsertData(MakeEntry("b", KIND_FILE, kParentTopLevel, "", 0), -1));
    EXPECT_EQ(1, store->InsertData(MakeEntry("c", KIND_FILE, kParentTopLevel, "", -1), -1));
    EXPECT_EQ(0, IdOf("a"));
    EXPECT_EQ(1, IdOf("b"));
    EXPECT_EQ(2, IdOf("c"));
    EXPECT_EQ(3, store->GetDataNum());
}

TEST_F(ItemStoreTest, FindFreeIdReservesOnlyWhenAsked) {
    EXPECT_EQ(0, store->FindFreeId(false));
    EXPECT_EQ(0, store->FindFreeId(true));
    EXPECT_EQ(1, store->FindFreeId(false));
    for (int i = 1; i < kMaxEntries; ++i)
        EXPECT_EQ(i, store->FindFreeId(true));
    EXPECT_EQ(-1, store->FindFreeId(true));
}

TEST_F(ItemStoreTest, IdsAfterLoadingAFileSkipItsIds) {
    LoadFile({{KIND_FILE, 0, -1, "zero", "C:\\a.exe"}, {KIND_FILE, 5, -1, "five", "C:\\b.exe"}});
    EXPECT_EQ(1, Add("new1", KIND_FILE));
    EXPECT_EQ(2, Add("new2", KIND_FILE));
}

TEST_F(ItemStoreTest, DeletedIdIsNotHandedOutAgainInTheSameRun) {
    LoadFile({{KIND_FILE, 0, -1, "zero", ""}, {KIND_FILE, 1, -1, "one", ""}});
    EXPECT_EQ(2, Add("two", KIND_FILE));
    store->DeleteData(IndexOf("zero"));
    store->DeleteData(IndexOf("two"));
    EXPECT_EQ(3, Add("three", KIND_FILE));
}

TEST_F(ItemStoreTest, TableTakes255EntriesAndRefusesTheNextWithPrompt5002) {
    for (int i = 0; i < kMaxEntries - 1; ++i) {
        ASSERT_EQ(1, store->InsertData(MakeEntry(Numbered(i).c_str(), KIND_FILE, -1), -1));
    }
    EXPECT_EQ(254, store->GetDataNum());
    EXPECT_EQ(1, store->InsertData(MakeEntry("last", KIND_FILE, -1), -1));
    EXPECT_EQ(255, store->GetDataNum());
    EXPECT_TRUE(platform.prompts.empty());

    Names before = WorkingNames(*store);
    EXPECT_EQ(0, store->InsertData(MakeEntry("over", KIND_FILE, -1), -1));
    EXPECT_EQ(std::vector<unsigned>{IDS_TABLE_FULL}, platform.prompts);
    EXPECT_EQ(255, store->GetDataNum());
    EXPECT_EQ(before, WorkingNames(*store));
    EXPECT_EQ("", TableProblem(*store, false));
}

TEST_F(ItemStoreTest, IndexBeyondTheTableIsRefusedWithPrompt5002) {
    Add("a", KIND_FILE);
    EXPECT_EQ(0, store->InsertData(MakeEntry("x", KIND_FILE, -1), 255));
    EXPECT_EQ(0, store->InsertData(MakeEntry("x", KIND_FILE, -1), 1000));
    EXPECT_EQ((std::vector<unsigned>{5002, 5002}), platform.prompts);
    EXPECT_EQ(Names{"a"}, WorkingNames(*store));
}

TEST_F(ItemStoreTest, ReplacingAtAnIndexKeepsPositionAndTreeFieldsWithoutSorting) {
    int32_t group = Add("group", KIND_GROUP);
    Add("file", KIND_FILE, group);
    Add("top", KIND_FILE);
    WorkingEntry* slot = store->GetData(1);
    slot->treeItem = Handle(7);
    slot->expanded = 1;

    // A parent that would move it, were the table sorted.
    LaunchEntry edited = MakeEntry("edited", KIND_URL, kParentTopLevel, "http://x", slot->id);
    EXPECT_EQ(1, store->InsertData(edited, 1));
    EXPECT_EQ((Names{"group", "edited", "top"}), WorkingNames(*store));
    EXPECT_EQ(Handle(7), store->GetData(1)->treeItem);
    EXPECT_EQ(1, store->GetData(1)->expanded);
    EXPECT_EQ(KIND_URL, store->GetData(1)->kind);
    EXPECT_EQ(std::string("http://x"), store->GetData(1)->path);
    EXPECT_EQ(3, store->GetDataNum());
    EXPECT_EQ(3, store->FindFreeId(false));
}

TEST_F(ItemStoreTest, AppendedEntryHasNoTreeItemWhateverItsSlotHeld) {
    Add("a", KIND_FILE);
    store->GetData(1)->treeItem = Handle(3);
    store->GetData(1)->expanded = 5;
    Add("b", KIND_GROUP);
    EXPECT_EQ(nullptr, store->GetData(1)->treeItem);
    EXPECT_EQ(0, store->GetData(1)->expanded);
}

TEST_F(ItemStoreTest, TextsWithoutNulAreStoredTerminated) {
    LaunchEntry entry = MakeEntry("", KIND_FILE, kParentTopLevel);
    std::memset(entry.name, 'n', sizeof entry.name);
    std::memset(entry.path, 'p', sizeof entry.path);
    ASSERT_EQ(1, store->InsertData(entry, -1));
    EXPECT_EQ(std::string(63, 'n'), store->GetData(0)->name);
    EXPECT_EQ(std::string(259, 'p'), store->GetData(0)->path);

    ASSERT_EQ(1, store->InsertData(entry, 0));
    EXPECT_EQ('\0', store->GetData(0)->name[kNameSize - 1]);
    EXPECT_EQ('\0', store->GetData(0)->path[kPathSize - 1]);

    ASSERT_EQ(1, store->CommitData());
    ItemStore reloaded(&platform);
    reloaded.SetDirectory(dir.Path());
    ASSERT_EQ(1, reloaded.LoadData());
    EXPECT_EQ(std::string(63, 'n'), reloaded.GetCommittedData(0)->name);
    EXPECT_EQ(std::string(259, 'p'), reloaded.GetCommittedData(0)->path);
}

TEST_F(ItemStoreTest, EntryWrittenBackOntoItsOwnSlot) {
    Add("self", KIND_FILE);
    EXPECT_EQ(1, store->InsertData(*store->GetData(0), 0));
    EXPECT_EQ(std::string("self"), store->GetData(0)->name);
}

// A group with the children F1, G1 (holding F3), U1 and F2, in this order.
TEST_F(ItemStoreTest, FileEntriesComeFirstOnlyWithOpt4) {
    int32_t group = Add("G", KIND_GROUP);
    Add("F1", KIND_FILE, group);
    int32_t g1 = Add("G1", KIND_GROUP, group);
    Add("U1", KIND_URL, group);
    Add("F2", KIND_FILE, group);
    Add("F3", KIND_FILE, g1);
    EXPECT_EQ((Names{"G", "F1", "G1", "F3", "U1", "F2"}), WorkingNames(*store));

    store->GetOptions()->opt4 = 1;
    store->SortData();
    EXPECT_EQ((Names{"G", "F1", "F2", "G1", "F3", "U1"}), WorkingNames(*store));
    EXPECT_EQ("", TableProblem(*store, false));

    // Only the order changes: turning opt4 off again does not restore the old one.
    store->GetOptions()->opt4 = 0;
    store->SortData();
    EXPECT_EQ((Names{"G", "F1", "F2", "G1", "F3", "U1"}), WorkingNames(*store));
}

TEST_F(ItemStoreTest, Opt4AppliesAtTheTopLevelToo) {
    store->GetOptions()->opt4 = 1;
    Add("U", KIND_URL);
    Add("G", KIND_GROUP);
    Add("F", KIND_FILE);
    EXPECT_EQ((Names{"F", "U", "G"}), WorkingNames(*store));
}

TEST_F(ItemStoreTest, SortKeepsTreeFieldsWithTheirEntries) {
    int32_t a = Add("A", KIND_GROUP);
    Add("B", KIND_GROUP);
    store->GetData(0)->treeItem = Handle(1);
    store->GetData(1)->treeItem = Handle(2);
    store->GetData(1)->expanded = 1;
    store->InsertData(MakeEntry("child", KIND_FILE, a), -1);
    EXPECT_EQ((Names{"A", "child", "B"}), WorkingNames(*store));
    EXPECT_EQ(Handle(1), store->GetData(0)->treeItem);
    EXPECT_EQ(Handle(2), store->GetData(2)->treeItem);
    EXPECT_EQ(1, store->GetData(2)->expanded);
}

TEST_F(ItemStoreTest, SwapExchangesSiblingsWithTheirSubtrees) {
    int32_t a = Add("A", KIND_GROUP);
    Add("a1", KIND_FILE, a);
    Add("B", KIND_FILE);
    store->GetData(0)->treeItem = Handle(1);
    store->SwapData(0, 2);
    EXPECT_EQ((Names{"B", "A", "a1"}), WorkingNames(*store));
    EXPECT_EQ(Handle(1), store->GetData(1)->treeItem);
    EXPECT_EQ(nullptr, store->GetData(0)->treeItem);
}

class ExchangeTest : public ItemStoreTest {
protected:
    void SetUp() override {
        ItemStoreTest::SetUp();
        // A (a1, B (b1)), C (c1), top
        a = Add("A", KIND_GROUP);
        Add("a1", KIND_FILE, a);
        b = Add("B", KIND_GROUP, a);
        Add("b1", KIND_FILE, b);
        c = Add("C", KIND_GROUP);
        Add("c1", KIND_FILE, c);
        Add("top", KIND_URL);
        BuildTree();
    }

    // What the tree build does: one item per group.
    void BuildTree() {
        for (int i = 0; i < store->GetDataNum(); ++i) {
            WorkingEntry* entry = store->GetData(i);
            entry->treeItem = entry->kind == KIND_GROUP
                                  ? Handle(100 + static_cast<uintptr_t>(entry->id))
                                  : nullptr;
        }
    }

    TreeItemHandle ItemOf(int32_t id) { return Handle(100 + static_cast<uintptr_t>(id)); }

    const TreeItemHandle root = Handle(9999);
    int32_t a = 0, b = 0, c = 0;
};

TEST_F(ExchangeTest, DropOnRootMakesTheGroupTheLastTopLevelEntry) {
    store->ExchangeData(ItemOf(b), root, root);
    EXPECT_EQ((Names{"A", "a1", "C", "c1", "top", "B", "b1"}), WorkingNames(*store));
    EXPECT_EQ(kParentTopLevel, store->GetData(IndexOf("B"))->parent);
    EXPECT_EQ("", TableProblem(*store, false));
}

TEST_F(ExchangeTest, DropOnAGroupMakesItTheLastChildAndExpandsTheTarget) {
    store->ExchangeData(ItemOf(a), ItemOf(c), root);
    EXPECT_EQ((Names{"C", "c1", "A", "a1", "B", "b1", "top"}), WorkingNames(*store));
    EXPECT_EQ(c, store->GetData(IndexOf("A"))->parent);
    EXPECT_EQ(1, store->GetData(IndexOf("C"))->expanded);
    EXPECT_EQ(0, store->GetData(IndexOf("A"))->expanded);
    EXPECT_EQ(ItemOf(a), store->GetData(IndexOf("A"))->treeItem);
    EXPECT_EQ("", TableProblem(*store, false));
}

TEST_F(ExchangeTest, NothingChangesForTheSameItemNullsOrUnknownItems) {
    Names before = WorkingNames(*store);
    store->ExchangeData(ItemOf(a), ItemOf(a), root);
    store->ExchangeData(nullptr, ItemOf(c), root);
    store->ExchangeData(ItemOf(a), nullptr, root);
    store->ExchangeData(ItemOf(a), ItemOf(c), nullptr);
    store->ExchangeData(Handle(5), ItemOf(c), root);
    store->ExchangeData(ItemOf(a), Handle(5), root);
    EXPECT_EQ(before, WorkingNames(*store));
    EXPECT_EQ(kParentTopLevel, store->GetData(IndexOf("A"))->parent);
    EXPECT_EQ(a, store->GetData(IndexOf("B"))->parent);
    // A target found in the walk is marked expanded even when the dragged
    // group is not found and nothing moves.
    EXPECT_EQ(1, store->GetData(IndexOf("C"))->expanded);
    EXPECT_EQ(0, store->GetData(IndexOf("A"))->expanded);
}

TEST_F(ExchangeTest, OnlyGroupsAreMatched) {
    // A file's slot carrying the dragged handle is not a group: no move.
    store->GetData(IndexOf("a1"))->treeItem = Handle(4);
    Names before = WorkingNames(*store);
    store->ExchangeData(Handle(4), root, root);
    EXPECT_EQ(before, WorkingNames(*store));
}

TEST_F(ExchangeTest, DropIntoItsOwnSubtreeKeepsEveryEntry) {
    // The drag code refuses this; should it get through, nothing is lost.
    store->ExchangeData(ItemOf(a), ItemOf(b), root);
    EXPECT_EQ(7, store->GetDataNum());
    EXPECT_EQ("", TableProblem(*store, false));
}

TEST_F(ExchangeTest, DeleteRemovesTheWholeSubtree) {
    EXPECT_EQ(3, store->DeleteData(IndexOf("A")));
    EXPECT_EQ((Names{"C", "c1", "top"}), WorkingNames(*store));
    EXPECT_EQ(2, store->DeleteData(IndexOf("c1")));
    EXPECT_EQ((Names{"C", "top"}), WorkingNames(*store));
    EXPECT_EQ(kParentEmptySlot, store->GetData(2)->parent);
    // Ids stay reserved.
    EXPECT_EQ(7, store->FindFreeId(false));
}

TEST_F(ExchangeTest, DeleteCommittedRemovesTheWholeSubtree) {
    ASSERT_EQ(1, store->CommitData());
    EXPECT_EQ(5, store->DeleteCommittedData(2)); // B and b1
    EXPECT_EQ((Names{"A", "a1", "C", "c1", "top"}), CommittedNames(*store));
    EXPECT_EQ(3, store->DeleteCommittedData(0));
    EXPECT_EQ((Names{"C", "c1", "top"}), CommittedNames(*store));
    // The working table is untouched.
    EXPECT_EQ(7, store->GetDataNum());
}

TEST_F(ExchangeTest, DeleteOutsideTheTableChangesNothing) {
    EXPECT_EQ(7, store->DeleteData(7));
    EXPECT_EQ(7, store->DeleteData(-1));
    EXPECT_EQ(0, store->DeleteCommittedData(0));
}

TEST_F(ExchangeTest, RestoreDropsUncommittedEdits) {
    ASSERT_EQ(1, store->CommitData());
    Names committed = WorkingNames(*store);
    store->DeleteData(IndexOf("C"));
    Add("extra", KIND_FILE);
    store->InsertData(MakeEntry("renamed", KIND_FILE, kParentTopLevel), 0);
    store->RestoreData();
    EXPECT_EQ(committed, WorkingNames(*store));
    EXPECT_EQ(7, store->GetDataNum());
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(0, std::memcmp(static_cast<LaunchEntry*>(store->GetData(i)),
                                 store->GetCommittedData(i), sizeof(LaunchEntry)));
    }
}

TEST_F(ExchangeTest, CommitCopiesTheWorkingTableAndWritesTheFile) {
    EXPECT_EQ(1, store->CommitData());
    EXPECT_EQ(7, store->GetCommittedNum());
    EXPECT_EQ(WorkingNames(*store), CommittedNames(*store));
    EXPECT_TRUE(Exists(store->DataFilePath()));
    EXPECT_FALSE(Exists(store->TempFilePath()));
}

TEST_F(ItemStoreTest, AnExhaustedPoolGivesBackIdsNeitherTableHolds) {
    // 255 appends in one run use up every id although few entries remain.
    for (int i = 0; i < kMaxEntries; ++i) {
        ASSERT_EQ(1, store->InsertData(MakeEntry(Numbered(i).c_str(), KIND_FILE, -1), -1));
        if (i >= 3)
            store->DeleteData(store->GetDataNum() - 1);
        if (i == 2) {
            ASSERT_EQ(1, store->CommitData()); // e0 e1 e2 committed
        }
    }
    store->DeleteData(0); // e0 leaves the working table, stays committed
    EXPECT_EQ(-1, store->FindFreeId(false));

    EXPECT_EQ(1, store->InsertData(MakeEntry("again", KIND_FILE, -1), -1));
    EXPECT_EQ(3, IdOf("again"));
    EXPECT_TRUE(platform.prompts.empty());
    EXPECT_EQ(1, store->InsertData(MakeEntry("more", KIND_FILE, -1), -1));
    EXPECT_EQ(4, IdOf("more"));
    EXPECT_EQ("", TableProblem(*store, false));
}

// A full launcher with entries deleted but not yet applied: the committed
// table still holds every id, so the new entries take ids that only the
// committed table holds. Its menu is rebuilt at the commit that makes them
// live.
TEST_F(ItemStoreTest, WithEveryIdCommittedAnAppendTakesAnIdTheWorkingTableLetGo) {
    for (int i = 0; i < kMaxEntries; ++i) {
        ASSERT_EQ(1, store->InsertData(MakeEntry(Numbered(i).c_str(), KIND_FILE, -1), -1));
    }
    ASSERT_EQ(1, store->CommitData());
    store->DeleteData(IndexOf("e7"));
    store->DeleteData(IndexOf("e3"));
    EXPECT_EQ(253, store->GetDataNum());

    EXPECT_EQ(3, Add("x", KIND_FILE));
    EXPECT_EQ(7, Add("y", KIND_FILE));
    EXPECT_TRUE(platform.prompts.empty());
    EXPECT_EQ("", TableProblem(*store, false));
    // The committed table is as it was until the commit.
    EXPECT_STREQ("e3", store->GetCommittedData(3)->name);

    // Only a working table of 255 entries refuses.
    Names before = WorkingNames(*store);
    EXPECT_EQ(0, store->InsertData(MakeEntry("z", KIND_FILE, -1), -1));
    EXPECT_EQ(std::vector<unsigned>{IDS_TABLE_FULL}, platform.prompts);
    EXPECT_EQ(before, WorkingNames(*store));

    ASSERT_EQ(1, store->CommitData());
    EXPECT_EQ("", TableProblem(*store, true));
}

TEST_F(ItemStoreTest, UnreachableEntriesMoveToTheTopLevelAfterTheOthers) {
    int32_t lost = Add("lost", KIND_GROUP);
    Add("lostChild", KIND_FILE, lost);
    Add("kept", KIND_FILE);
    int32_t p = Add("P", KIND_GROUP);
    int32_t q = Add("Q", KIND_GROUP, p);
    Add("qChild", KIND_FILE, q);
    Add("self", KIND_GROUP);
    Add("stray", KIND_FILE);
    // Damage through the pointers: a parent that names no group, one that
    // names a file, a cycle P <-> Q, a group that is its own parent.
    store->GetData(IndexOf("lost"))->parent = 200;
    store->GetData(IndexOf("stray"))->parent = IdOf("kept");
    store->GetData(IndexOf("P"))->parent = q;
    store->GetData(IndexOf("self"))->parent = IdOf("self");

    store->SortData();
    EXPECT_EQ(8, store->GetDataNum());
    EXPECT_EQ("", TableProblem(*store, false));
    EXPECT_EQ((Names{"kept", "lost", "lostChild", "P", "Q", "qChild", "self", "stray"}),
              WorkingNames(*store));
    EXPECT_EQ(kParentTopLevel, store->GetData(IndexOf("lost"))->parent);
    EXPECT_EQ(lost, store->GetData(IndexOf("lostChild"))->parent);
    EXPECT_EQ(kParentTopLevel, store->GetData(IndexOf("P"))->parent);
    EXPECT_EQ(p, store->GetData(IndexOf("Q"))->parent);
}

TEST_F(ItemStoreTest, ChildListedBeforeItsUnreachableGroupStaysInIt) {
    int32_t g = Add("G", KIND_GROUP);
    Add("child", KIND_FILE, g);
    Add("H", KIND_GROUP);
    store->GetData(IndexOf("G"))->parent = IdOf("H");
    store->GetData(IndexOf("H"))->parent = 150;
    store->SwapData(0, 1);
    store->SortData();
    EXPECT_EQ((Names{"H", "G", "child"}), WorkingNames(*store));
    EXPECT_EQ("", TableProblem(*store, false));
}

TEST_F(ItemStoreTest, EmptySlotParentInTheTableIsKept) {
    Add("a", KIND_FILE);
    Add("b", KIND_FILE);
    store->GetData(0)->parent = kParentEmptySlot;
    store->SortData();
    EXPECT_EQ((Names{"b", "a"}), WorkingNames(*store));
    EXPECT_EQ("", TableProblem(*store, false));
}

} // namespace
