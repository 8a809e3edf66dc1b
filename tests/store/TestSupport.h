// What the data layer's tests share: a folder of each test's own, file
// helpers, hand-built data files, a tree-order check, and a platform double
// that records prompts and fails on request.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "store/ItemStore.h"
#include "tests/store/TableCheck.h"

using Bytes = std::vector<unsigned char>;

// A new empty folder, unique to the running test, removed with everything
// in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + kPathSeparator + name; }
    // The names in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::string path_;
};

bool Exists(const std::string& path);
Bytes ReadBytes(const std::string& path); // empty when missing
void WriteBytes(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);
void SetReadOnly(const std::string& path, bool readOnly);
void MakeDirectory(const std::string& path);

LaunchEntry MakeEntry(const char* name, int32_t kind, int32_t parent, const char* path = "",
                      int32_t id = kNoId);

// Data files built by hand.
struct RecordSpec {
    int32_t kind;
    int32_t id;
    int32_t parent;
    std::string name;
    std::string path;
};
void PutInt32(Bytes* bytes, int32_t value);
Bytes RecordBytes(const RecordSpec& record);
// Checksum byte (XOR of everything after it), version, count, records.
Bytes DataFileBytes(const std::vector<RecordSpec>& records, int32_t version = 100);
uint8_t XorAfterFirst(const Bytes& bytes);

std::vector<std::string> WorkingNames(ItemStore& store);
std::vector<std::string> CommittedNames(ItemStore& store);

// Forwards to the build's platform; records prompts instead of showing them
// and fails the operations a test asks it to.
class TestPlatform : public ForwardingPlatform {
public:
    TestPlatform() : ForwardingPlatform(DefaultPlatform()) {}

    std::vector<unsigned> prompts;

    bool failCreate = false;
    int failWriteAt = 0; // the n-th Write (from 1, over all output files) fails half way
    bool failFlush = false;
    bool failClose = false;
    bool failReplace = false;
    int failReplaceAt = 0;   // the n-th replace fails
    int failReplaceFrom = 0; // the n-th replace and every later one fail
    // Creating a file of this name (the name alone, without folder) fails.
    std::string failCreateName;
    // What the failures above give as their reason.
    FileError failError = FileError::Other;
    bool failCopy = false;
    int failCopyAt = 0;         // the n-th copy fails
    int failProfileWriteAt = 0; // the n-th profile write fails

    // Another program holding heldPath open without sharing it: the next
    // heldReads reads of it find it in use, and copies of it fail meanwhile.
    std::string heldPath;
    int heldReads = 0;
    // A file this user may not read (access denied): every read of it fails.
    std::string refusedPath;

    int writes = 0;
    // Every ReadFileBytes, whatever its result.
    int byteReads = 0;
    // The file operations in order, by file names without folder:
    // "create x", "flush x", "replace x y", "copy x y", "remove x".
    std::vector<std::string> events;
    int profileWrites = 0;
    int replaces = 0;
    int copies = 0;
    std::vector<unsigned> pauses;
    // Runs at every pause, in place of the wait.
    std::function<void()> onPause;

    std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) override;
    bool ReplaceFileAtomically(const std::string& source, const std::string& target) override;
    bool CopyToNewFile(const std::string& source, const std::string& target) override;
    bool RemoveFile(const std::string& path) override;
    FileError LastFileError() override;
    ReadResult ReadFileBytes(const std::string& path, size_t maxBytes,
                             std::vector<unsigned char>* bytes) override;
    void Pause(unsigned milliseconds) override;
    bool ProfileWriteString(const std::string& path, const char* section, const char* key,
                            const char* value) override;
    void ShowPrompt(unsigned stringId) override { prompts.push_back(stringId); }

    // Records an injected failure; false, for the caller to return.
    bool Injected();
    void Record(const std::string& event) { events.push_back(event); }

private:
    bool lastFailureInjected_ = false;
};

// The file name of a path, without its folder.
std::string BaseName(const std::string& path);

// The prompts that reached the prompt function the test program installs.
std::vector<unsigned>& HookedPrompts();
