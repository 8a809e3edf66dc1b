// The data file: the committed table as checksum byte, version, count and
// records, little-endian int32 fields without padding.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "store/ItemStore.h"
#include "store/TableRules.h"

namespace {

constexpr int32_t kFileVersion = 100;
constexpr size_t kHeaderBytes = 9;       // checksum, version, count
constexpr size_t kRecordFixedBytes = 22; // kind, id, parent, two lengths, two NULs
constexpr size_t kMaxNameLength = kNameSize - 1;
constexpr size_t kMaxPathLength = kPathSize - 1;
constexpr size_t kMaxFileBytes =
    kHeaderBytes + kMaxEntries * (kRecordFixedBytes + kMaxNameLength + kMaxPathLength);
// Kept copies of damaged files are numbered; past this many the store stops
// looking for a free name.
constexpr int kMaxKeptCopies = 1000;
// A kept copy is compared with the data file up to this size; a longer data
// file always gets a copy of its own.
constexpr size_t kMaxComparedBytes = size_t(1) << 20;
// A data file that another program holds open (a backup, a virus scanner)
// is tried again for about a second before the load gives up on it.
constexpr int kReadTries = 10;
constexpr unsigned kReadRetryDelayMs = 100;
// During a save: the new backup, written and flushed before it is renamed
// onto the backup.
constexpr char kBackupStagedName[] = "~Brindleway.bak.tmp";
// The longest full file name Windows takes (MAX_PATH less the NUL); a
// backup name longer than that is not tried.
constexpr size_t kLongestFileName = 259;

// The text's length up to its NUL, never past the field: an unterminated
// field counts as its size minus one, the last byte giving way to the NUL
// that the file always carries.
int32_t TextLength(const char* text, size_t size) {
    size_t length = 0;
    while (length + 1 < size && text[length] != '\0')
        ++length;
    return static_cast<int32_t>(length);
}

void PutInt32(std::vector<unsigned char>* out, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out->push_back(static_cast<unsigned char>(bits >> shift));
}

void PutText(std::vector<unsigned char>* out, const char* text, int32_t length) {
    PutInt32(out, length);
    out->insert(out->end(), text, text + length);
    out->push_back(0);
}

uint8_t XorInt32(int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    return static_cast<uint8_t>(bits ^ (bits >> 8) ^ (bits >> 16) ^ (bits >> 24));
}

// Reads the file's bytes front to back, refusing to go past their end.
class ByteReader {
public:
    ByteReader(const unsigned char* bytes, size_t length) : p_(bytes), left_(length) {}

    bool Int32(int32_t* value) {
        if (left_ < 4)
            return false;
        uint32_t bits =
            uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 | uint32_t(p_[3]) << 24;
        *value = static_cast<int32_t>(bits);
        Skip(4);
        return true;
    }

    bool Byte(uint8_t* value) {
        if (left_ < 1)
            return false;
        *value = p_[0];
        Skip(1);
        return true;
    }

    // A length field, then that many bytes of text without a NUL, then the
    // NUL: copied, NUL included, into a field of size bytes.
    bool Text(char* field, size_t size) {
        int32_t length = 0;
        if (!Int32(&length) || length < 0 || static_cast<size_t>(length) > size - 1)
            return false;
        size_t textLength = static_cast<size_t>(length);
        if (left_ < textLength + 1)
            return false;
        if (std::memchr(p_, 0, textLength) != nullptr || p_[textLength] != 0)
            return false;
        std::memcpy(field, p_, textLength + 1);
        Skip(textLength + 1);
        return true;
    }

    bool AtEnd() const { return left_ == 0; }

private:
    void Skip(size_t count) {
        p_ += count;
        left_ -= count;
    }

    const unsigned char* p_;
    size_t left_;
};

// The checksum byte of a table as the file stores it with that version.
uint8_t ChecksumOf(int32_t version, const LaunchEntry* entries, int count) {
    uint8_t sum = XorInt32(version) ^ XorInt32(count);
    for (int i = 0; i < count; ++i) {
        const LaunchEntry& entry = entries[i];
        int32_t nameLength = TextLength(entry.name, sizeof entry.name);
        int32_t pathLength = TextLength(entry.path, sizeof entry.path);
        sum ^= XorInt32(entry.kind) ^ XorInt32(entry.id) ^ XorInt32(entry.parent);
        sum ^=
            XorInt32(nameLength) ^ ItemStore::XorBytes(entry.name, static_cast<size_t>(nameLength));
        sum ^=
            XorInt32(pathLength) ^ ItemStore::XorBytes(entry.path, static_cast<size_t>(pathLength));
    }
    return sum;
}

struct ParsedFile {
    uint8_t stored = 0;
    int32_t version = 0;
    std::vector<LaunchEntry> records;
    // The header, exactly as many records as it counts, nothing after them.
    bool complete = false;
};

// Reads the header, then every whole record up to the end of the bytes or
// the first damage (a length past its field, a missing NUL or one inside
// the text, an early end), at most a full table, whatever the count says:
// a wrong count alone loses no record.
ParsedFile ParseDataFile(const unsigned char* bytes, size_t length) {
    ParsedFile parsed;
    ByteReader reader(bytes, length);
    int32_t count = 0;
    if (!reader.Byte(&parsed.stored) || !reader.Int32(&parsed.version) || !reader.Int32(&count))
        return parsed;
    bool whole = true;
    while (!reader.AtEnd() && parsed.records.size() < static_cast<size_t>(kMaxEntries)) {
        LaunchEntry entry = EmptyLaunchEntry();
        if (!reader.Int32(&entry.kind) || !reader.Int32(&entry.id) ||
            !reader.Int32(&entry.parent) || !reader.Text(entry.name, sizeof entry.name) ||
            !reader.Text(entry.path, sizeof entry.path)) {
            whole = false;
            break;
        }
        parsed.records.push_back(entry);
    }
    parsed.complete = whole && reader.AtEnd() && count >= 0 &&
                      static_cast<size_t>(count) == parsed.records.size();
    return parsed;
}

// Every id in 0..254 and none twice.
bool IdsAreSound(const std::vector<LaunchEntry>& records) {
    bool held[kMaxEntries] = {};
    for (const LaunchEntry& record : records) {
        if (record.id < 0 || record.id >= kMaxEntries || held[record.id])
            return false;
        held[record.id] = true;
    }
    return true;
}

// Whether the bytes load as they are: whole, with the right checksum and
// sound ids, as every file the program writes.
bool LoadsCleanly(const std::vector<unsigned char>& bytes) {
    ParsedFile parsed = ParseDataFile(bytes.data(), bytes.size());
    return parsed.complete &&
           ChecksumOf(parsed.version, parsed.records.data(),
                      static_cast<int>(parsed.records.size())) == parsed.stored &&
           IdsAreSound(parsed.records);
}

// The file's bytes for a table, and where its pieces end: the header, then
// one piece per record, each written with one call.
void EncodeTable(const LaunchEntry* entries, int count, std::vector<unsigned char>* bytes,
                 std::vector<size_t>* pieceEnds) {
    bytes->push_back(ChecksumOf(kFileVersion, entries, count));
    PutInt32(bytes, kFileVersion);
    PutInt32(bytes, count);
    pieceEnds->push_back(bytes->size());
    for (int i = 0; i < count; ++i) {
        const LaunchEntry& entry = entries[i];
        PutInt32(bytes, entry.kind);
        PutInt32(bytes, entry.id);
        PutInt32(bytes, entry.parent);
        PutText(bytes, entry.name, TextLength(entry.name, sizeof entry.name));
        PutText(bytes, entry.path, TextLength(entry.path, sizeof entry.path));
        pieceEnds->push_back(bytes->size());
    }
}

} // namespace

uint8_t ItemStore::XorBytes(const void* bytes, size_t length) {
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    uint8_t result = 0;
    for (size_t i = 0; i < length; ++i)
        result ^= p[i];
    return result;
}

uint8_t ItemStore::CalcCheckSum() const {
    return ChecksumOf(kFileVersion, committedEntries_, committedCount_);
}

bool ItemStore::VerifyCheckSum(int32_t version, uint8_t stored) const {
    return ChecksumOf(version, committedEntries_, committedCount_) == stored;
}

const LoadReport& ItemStore::GetLoadReport() const {
    return loadReport_;
}

void ItemStore::SetCopyKeptNotice(CopyKeptNotice notice) {
    copyKeptNotice_ = std::move(notice);
}

void ItemStore::SetBackupSkippedNotice(BackupSkippedNotice notice) {
    backupSkippedNotice_ = std::move(notice);
}

void ItemStore::ClearCommittedTable() {
    committedCount_ = 0;
    for (LaunchEntry& entry : committedEntries_)
        table_rules::ResetSlot(&entry);
}

// A record whose id lies outside 0..254 or repeats an earlier record's id
// gets the lowest id that no record holds (and, where possible, that this
// run has not reserved). A renumbered group takes its members along: the
// records right after it that descend from it, as the file's tree order puts
// them, get the new id as their parent. A group stored with a negative id
// has no members: -1 is what every top-level record names as its parent.
// True when any id was replaced.
bool ItemStore::GiveFreshIds() {
    const int count = committedCount_;
    bool held[kMaxEntries] = {};
    int32_t freshId[kMaxEntries];
    for (int i = 0; i < count; ++i) {
        int32_t id = committedEntries_[i].id;
        freshId[i] = id;
        if (id >= 0 && id < kMaxEntries && !held[id])
            held[id] = true;
        else
            freshId[i] = kNoId;
    }
    bool renumbered = false;
    for (int i = 0; i < count; ++i) {
        if (freshId[i] != kNoId)
            continue;
        int fresh = -1;
        for (int id = 0; id < kMaxEntries && fresh < 0; ++id) {
            if (!held[id] && usedIds_[id] == 0)
                fresh = id;
        }
        for (int id = 0; id < kMaxEntries && fresh < 0; ++id) {
            if (!held[id])
                fresh = id;
        }
        // There are at most as many records as ids, so one is always free.
        held[fresh] = true;
        freshId[i] = fresh;
        renumbered = true;
    }
    if (!renumbered)
        return false;

    int32_t newParent[kMaxEntries];
    for (int i = 0; i < count; ++i)
        newParent[i] = committedEntries_[i].parent;
    for (int i = 0; i < count; ++i) {
        const LaunchEntry& group = committedEntries_[i];
        if (group.kind != KIND_GROUP || freshId[i] == group.id || group.id < 0)
            continue;
        // The ids, as read, of the group and of the groups inside it.
        std::vector<int32_t> subtree{group.id};
        for (int j = i + 1; j < count; ++j) {
            const LaunchEntry& member = committedEntries_[j];
            if (std::find(subtree.begin(), subtree.end(), member.parent) == subtree.end())
                break;
            if (member.parent == group.id)
                newParent[j] = freshId[i];
            if (member.kind == KIND_GROUP && member.id >= 0)
                subtree.push_back(member.id);
        }
    }
    for (int i = 0; i < count; ++i) {
        committedEntries_[i].id = freshId[i];
        committedEntries_[i].parent = newParent[i];
    }
    return true;
}

// Finds an earlier copy with the same bytes as the data file, so that a
// damaged file that was never saved over is not copied again at every start.
bool ItemStore::FindSameCopy(const std::string& base, std::string* name) {
    std::vector<unsigned char> original;
    if (platform_->ReadFileBytes(DataFilePath(), kMaxComparedBytes, &original) != ReadResult::Ok ||
        original.size() >= kMaxComparedBytes) {
        return false;
    }
    std::vector<unsigned char> copy;
    for (int n = 1; n <= kMaxKeptCopies; ++n) {
        std::string candidate = n == 1 ? base : base + "." + std::to_string(n);
        // Copies take the first free name, so they stand without gaps
        // unless the user removed some; the search ends at the first gap.
        if (!platform_->FileExists(candidate))
            return false;
        if (platform_->ReadFileBytes(candidate, original.size() + 1, &copy) == ReadResult::Ok &&
            copy == original) {
            *name = candidate;
            return true;
        }
    }
    return false;
}

// Keeps the data file as found next to it, under a name no earlier copy has,
// unless an earlier copy holds the same bytes: then that copy is the one. A
// file that could not be read is kept as unreadable, any other as damaged.
bool ItemStore::KeepCopyOfDataFile() {
    std::string dataFile = DataFilePath();
    bool unread =
        loadReport_.state == DataFileState::InUse || loadReport_.state == DataFileState::Unreadable;
    std::string base = dataFile + (unread ? ".unreadable" : ".damaged");
    std::string same;
    if (FindSameCopy(base, &same)) {
        loadReport_.keptCopy = same;
        copyPending_ = false;
        return true;
    }
    for (int n = 1; n <= kMaxKeptCopies; ++n) {
        std::string name = n == 1 ? base : base + "." + std::to_string(n);
        if (platform_->CopyToNewFile(dataFile, name)) {
            loadReport_.keptCopy = name;
            copyPending_ = false;
            return true;
        }
        if (!platform_->FileExists(name))
            break; // the copy failed, not the name
    }
    copyPending_ = true;
    return false;
}

ReadResult ItemStore::ReadDataFile(std::vector<unsigned char>* bytes) {
    for (int attempt = 1;; ++attempt) {
        ReadResult read = platform_->ReadFileBytes(DataFilePath(), kMaxFileBytes + 1, bytes);
        if (read != ReadResult::InUse || attempt >= kReadTries)
            return read;
        platform_->Pause(kReadRetryDelayMs);
    }
}

int ItemStore::LoadData() {
    loadReport_ = LoadReport{};
    copyPending_ = false;
    ClearCommittedTable();
    loadReport_.backupExists = platform_->FileExists(BackupFilePath());

    std::vector<unsigned char> bytes;
    ReadResult read = ReadDataFile(&bytes);
    if (read == ReadResult::NotFound) {
        loadReport_.state = DataFileState::Missing;
        return 0;
    }
    if (read != ReadResult::Ok) {
        // Nothing could be read; the file may well be intact. The first save
        // reads it again, and none replaces it before a copy of it is kept.
        loadReport_.state =
            read == ReadResult::InUse ? DataFileState::InUse : DataFileState::Unreadable;
        KeepCopyOfDataFile();
        return 0;
    }
    LoadBytes(bytes);
    return loadReport_.state == DataFileState::Loaded ||
                   loadReport_.state == DataFileState::IdsRepaired
               ? 1
               : 0;
}

// Fills the committed table from the file's bytes and reports what it found;
// a file that did not load as it is, is kept as found.
void ItemStore::LoadBytes(const std::vector<unsigned char>& bytes) {
    ClearCommittedTable();
    ParsedFile parsed = ParseDataFile(bytes.data(), bytes.size());
    for (const LaunchEntry& record : parsed.records)
        committedEntries_[committedCount_++] = record;
    // The checksum covers the records as they were read, before any repair.
    bool checksumGood = parsed.complete && VerifyCheckSum(parsed.version, parsed.stored);
    bool renumbered = GiveFreshIds();
    // Readers walk the table expecting tree order; a file the program wrote
    // is in tree order already and stays as it is.
    table_rules::ArrangeInTreeOrder(committedEntries_, committedCount_, false);
    MarkUsedIds();
    if (!parsed.complete) {
        loadReport_.state = DataFileState::Damaged;
        loadReport_.salvagedCount = committedCount_;
    } else if (!checksumGood) {
        loadReport_.state = DataFileState::ChecksumMismatch;
    } else if (renumbered) {
        loadReport_.state = DataFileState::IdsRepaired;
    } else {
        loadReport_.state = DataFileState::Loaded;
        return;
    }
    KeepCopyOfDataFile();
}

// A data file that could not be read at start (held by another program, as
// at a start by the Run key while a virus scanner reads the file, or
// refused) is read again before anything replaces it. When it can be read
// now, it is loaded as at start, and the save that asked writes nothing:
// the table in memory was made without the file's entries.
bool ItemStore::ReloadIfReadableNow() {
    if (loadReport_.state != DataFileState::InUse &&
        loadReport_.state != DataFileState::Unreadable) {
        return false;
    }
    std::vector<unsigned char> bytes;
    ReadResult read = ReadDataFile(&bytes);
    if (read == ReadResult::NotFound) {
        // Gone since: nothing is left to keep.
        loadReport_ = LoadReport{};
        copyPending_ = false;
        return false;
    }
    if (read != ReadResult::Ok)
        return false; // still unreadable: the copy still pending guards it
    bool backupExists = loadReport_.backupExists;
    loadReport_ = LoadReport{};
    loadReport_.backupExists = backupExists;
    copyPending_ = false;
    LoadBytes(bytes);
    return true;
}

// Writes the bytes to a new file, piece by piece, and flushes them to the
// disk before closing it. On failure, why.
bool ItemStore::WriteWhole(const std::string& path, const std::vector<unsigned char>& bytes,
                           const std::vector<size_t>& pieceEnds, FileError* error) {
    std::unique_ptr<OutputFile> file = platform_->CreateOutputFile(path);
    if (!file) {
        *error = platform_->LastFileError();
        return false;
    }
    size_t start = 0;
    for (size_t end : pieceEnds) {
        if (!file->Write(bytes.data() + start, end - start)) {
            *error = platform_->LastFileError();
            file->Close();
            return false;
        }
        start = end;
    }
    if (!file->Flush()) {
        *error = platform_->LastFileError();
        file->Close();
        return false;
    }
    if (!file->Close()) {
        *error = platform_->LastFileError();
        return false;
    }
    return true;
}

void ItemStore::TellBackupSkipped(FileError why) {
    if (backupSkipTold_ || !backupSkippedNotice_)
        return;
    backupSkipTold_ = true;
    backupSkippedNotice_(why == FileError::None ? FileError::Other : why);
}

int ItemStore::SaveData() {
    lastSave_ = Save();
    return lastSave_ == SaveOutcome::Written || lastSave_ == SaveOutcome::Unchanged ? 1 : 0;
}

// The new table goes to a temporary file, flushed, which is then renamed
// onto the data file in one step. The file it replaces becomes the backup:
// written from the bytes read here under a temporary name, flushed, and
// renamed onto the backup once the data file has been replaced, so that a
// failed save touches neither file. The backup is best-effort: when it
// cannot be made the data file is saved all the same, and the user is told.
SaveOutcome ItemStore::Save() {
    if (ReloadIfReadableNow())
        return SaveOutcome::Reloaded;

    std::vector<unsigned char> bytes;
    std::vector<size_t> pieceEnds;
    EncodeTable(committedEntries_, committedCount_, &bytes, &pieceEnds);
    std::vector<unsigned char> onDisk;
    ReadResult read = ReadDataFile(&onDisk);
    // Nothing to write: the backup keeps the table before the last change.
    if (read == ReadResult::Ok && onDisk == bytes)
        return SaveOutcome::Unchanged;

    // A damaged file is never replaced before a copy of it is kept, and the
    // caller learns the copy's name before the file is replaced.
    if (copyPending_ && read != ReadResult::NotFound) {
        if (!KeepCopyOfDataFile())
            return SaveOutcome::Failed;
        if (copyKeptNotice_)
            copyKeptNotice_(loadReport_.keptCopy);
    }

    std::string tempFile = TempFilePath();
    FileError error = FileError::None;
    if (!WriteWhole(tempFile, bytes, pieceEnds, &error)) {
        platform_->RemoveFile(tempFile);
        return SaveOutcome::Failed;
    }

    // Only a file that loads as it is becomes the backup: one found damaged
    // is kept as such already, and must not push the last good table out of
    // the backup. A first save replaces nothing and leaves any backup alone.
    std::string backup = BackupFilePath();
    std::string staged = FilePath(kBackupStagedName);
    FileError backupError = FileError::None;
    bool stagedReady = false;
    if (read == ReadResult::InUse || read == ReadResult::Failed) {
        backupError = read == ReadResult::InUse ? FileError::InUse : FileError::Other;
    } else if (read == ReadResult::Ok && LoadsCleanly(onDisk)) {
        if (backup.size() > kLongestFileName || staged.size() > kLongestFileName)
            backupError = FileError::NameTooLong;
        else if (!(stagedReady = WriteWhole(staged, onDisk, {onDisk.size()}, &backupError)))
            platform_->RemoveFile(staged);
    }

    if (!platform_->ReplaceFileAtomically(tempFile, DataFilePath())) {
        platform_->RemoveFile(tempFile);
        if (stagedReady)
            platform_->RemoveFile(staged);
        return SaveOutcome::Failed;
    }
    if (stagedReady && !platform_->ReplaceFileAtomically(staged, backup)) {
        backupError = platform_->LastFileError();
        if (backupError == FileError::None)
            backupError = FileError::Other;
        platform_->RemoveFile(staged);
    }
    if (backupError != FileError::None)
        TellBackupSkipped(backupError);
    return SaveOutcome::Written;
}
