// The entry tables, the id pool and the file locations.
#include "store/ItemStore.h"

#include <cstring>

#include "platform/AnsiText.h"
#include "platform/Platform.h"
#include "res/resource.h"
#include "store/TableRules.h"

namespace {

// Copies a text field, stopping at its NUL or one byte before the field's
// end, so that the stored text is always terminated within the field.
void CopyText(char* target, const char* source, size_t size) {
    size_t length = 0;
    while (length + 1 < size && source[length] != '\0')
        ++length;
    std::memmove(target, source, length); // an entry may be written back onto itself
    std::memset(target + length, 0, size - length);
}

void CopyEntry(LaunchEntry* target, const LaunchEntry& source) {
    CopyText(target->name, source.name, sizeof target->name);
    CopyText(target->path, source.path, sizeof target->path);
    target->kind = source.kind;
    target->parent = source.parent;
    target->id = source.id;
}

// The lowest id that no entry of the table holds, or kNoId.
int LowestIdNotIn(const WorkingEntry* entries, int count) {
    bool held[kMaxEntries] = {};
    for (int i = 0; i < count; ++i) {
        int32_t id = entries[i].id;
        if (id >= 0 && id < kMaxEntries)
            held[id] = true;
    }
    for (int id = 0; id < kMaxEntries; ++id)
        if (!held[id])
            return id;
    return kNoId;
}

} // namespace

ItemStore::ItemStore(Platform* platform)
    : platform_(platform ? platform : &DefaultPlatform()), options_{}, usedIds_{},
      committedCount_(0), workingCount_(0), copyPending_(false) {
    for (int i = 0; i < kMaxEntries; ++i) {
        table_rules::ResetSlot(&committedEntries_[i]);
        table_rules::ResetSlot(&workingEntries_[i]);
    }
    directory_ = platform_->ProgramDirectory();
}

ItemStore::~ItemStore() = default;

void ItemStore::SetDirectory(const std::string& directory) {
    directory_ = directory;
}

std::string ItemStore::FilePath(const char* name) const {
    return JoinPath(directory_, name);
}

std::string ItemStore::DataFilePath() const {
    return FilePath("Brindleway.bwz");
}

std::string ItemStore::TempFilePath() const {
    return FilePath("~Brindleway.tmp");
}

std::string ItemStore::SettingsFilePath() const {
    return FilePath("Brindleway.ini");
}

int ItemStore::InsertData(const LaunchEntry& entry, int index) {
    if (index < -1)
        return 0;
    int slot = index == -1 ? workingCount_ : index;
    if (slot >= kMaxEntries) {
        platform_->ShowPrompt(IDS_TABLE_FULL);
        return 0;
    }
    if (index != -1) {
        CopyEntry(&workingEntries_[slot], entry);
        return 1;
    }

    int id = AssignNewId();
    if (id < 0) {
        platform_->ShowPrompt(IDS_TABLE_FULL);
        return 0;
    }
    WorkingEntry& added = workingEntries_[slot];
    CopyEntry(&added, entry);
    added.id = id;
    added.treeItem = nullptr;
    added.expanded = 0;
    ++workingCount_;
    SortData();
    return 1;
}

int ItemStore::FindFreeId(bool reserve) {
    for (int id = 0; id < kMaxEntries; ++id) {
        if (usedIds_[id] == 0) {
            if (reserve)
                usedIds_[id] = 1;
            return id;
        }
    }
    return kNoId;
}

// Ids stay reserved for the run even after their entries are gone, so that a
// deleted entry's id is not handed out again while menus may still name it.
// Only when that has used up the pool are the ids that neither table holds
// given back. When the committed table still holds every id left (a full
// launcher with entries deleted but not yet applied), the new entry takes an
// id that only the committed table holds: the launcher menu shows that table
// and is rebuilt from it at the commit that makes the new entry live, so no
// menu command reaches the wrong entry.
int ItemStore::AssignNewId() {
    int id = FindFreeId(true);
    if (id >= 0)
        return id;
    ReclaimUnusedIds();
    id = FindFreeId(true);
    if (id >= 0)
        return id;
    id = LowestIdNotIn(workingEntries_, workingCount_);
    if (id >= 0)
        usedIds_[id] = 1;
    return id;
}

void ItemStore::ReclaimUnusedIds() {
    for (int32_t& flag : usedIds_)
        flag = 0;
    for (int i = 0; i < committedCount_; ++i) {
        int32_t id = committedEntries_[i].id;
        if (id >= 0 && id < kMaxEntries)
            usedIds_[id] = 1;
    }
    for (int i = 0; i < workingCount_; ++i) {
        int32_t id = workingEntries_[i].id;
        if (id >= 0 && id < kMaxEntries)
            usedIds_[id] = 1;
    }
}

void ItemStore::MarkUsedIds() {
    for (int i = 0; i < committedCount_; ++i) {
        int32_t id = committedEntries_[i].id;
        if (id >= 0 && id < kMaxEntries)
            usedIds_[id] = 1;
    }
}

void ItemStore::SortData() {
    table_rules::ArrangeInTreeOrder(workingEntries_, workingCount_, options_.opt4 != 0);
}

void ItemStore::SwapData(int a, int b) {
    if (a < 0 || b < 0 || a >= workingCount_ || b >= workingCount_)
        return;
    WorkingEntry held = workingEntries_[a];
    workingEntries_[a] = workingEntries_[b];
    workingEntries_[b] = held;
    SortData();
}

void ItemStore::ExchangeData(TreeItemHandle dragged, TreeItemHandle target, TreeItemHandle root) {
    if (!dragged || !target || !root || dragged == target)
        return;

    bool parentKnown = target == root;
    int32_t newParent = kParentTopLevel;
    int moving = -1;
    for (int i = 0; i < workingCount_ && !(moving >= 0 && parentKnown); ++i) {
        WorkingEntry& entry = workingEntries_[i];
        if (entry.kind != KIND_GROUP)
            continue;
        if (moving < 0 && entry.treeItem == dragged)
            moving = i;
        if (!parentKnown && entry.treeItem == target) {
            newParent = entry.id;
            entry.expanded = 1;
            parentKnown = true;
        }
    }
    if (moving < 0 || !parentKnown)
        return;

    WorkingEntry moved = workingEntries_[moving];
    for (int i = moving; i + 1 < workingCount_; ++i)
        workingEntries_[i] = workingEntries_[i + 1];
    moved.parent = newParent;
    workingEntries_[workingCount_ - 1] = moved;
    SortData();
}

int ItemStore::DeleteData(int index) {
    workingCount_ = table_rules::DeleteWithSubtree(workingEntries_, workingCount_, index);
    return workingCount_;
}

int ItemStore::DeleteCommittedData(int index) {
    committedCount_ = table_rules::DeleteWithSubtree(committedEntries_, committedCount_, index);
    return committedCount_;
}

WorkingEntry* ItemStore::GetData(int index) {
    return (index >= 0 && index < kMaxEntries) ? &workingEntries_[index] : nullptr;
}

int ItemStore::GetDataNum() const {
    return workingCount_;
}

LaunchEntry* ItemStore::GetCommittedData(int index) {
    return (index >= 0 && index < kMaxEntries) ? &committedEntries_[index] : nullptr;
}

int ItemStore::GetCommittedNum() const {
    return committedCount_;
}

void ItemStore::RestoreData() {
    workingCount_ = committedCount_;
    for (int i = 0; i < committedCount_; ++i) {
        static_cast<LaunchEntry&>(workingEntries_[i]) = committedEntries_[i];
    }
}

int ItemStore::CommitData() {
    committedCount_ = workingCount_;
    for (int i = 0; i < workingCount_; ++i)
        committedEntries_[i] = workingEntries_[i];
    return SaveData();
}

Options* ItemStore::GetOptions() {
    return &options_;
}
