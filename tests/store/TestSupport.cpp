#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#define TEST_PROCESS_ID _getpid()
#else
#include <unistd.h>
#define TEST_PROCESS_ID getpid()
#endif

namespace fs = std::filesystem;

namespace {

std::atomic<int> tempCounter{0};

void MakeWritable(const fs::path& path) {
    std::error_code error;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
}

} // namespace

TempDir::TempDir() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "outside";
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.')
            c = '_';
    }
    // (<chrono> does not compile with the CP932 execution character set.)
    long long stamp = static_cast<long long>(std::time(nullptr));
    fs::path base = fs::temp_directory_path();
    for (;;) {
        fs::path candidate =
            base / ("brindleway-test-" + name + "-" + std::to_string(TEST_PROCESS_ID) + "-" +
                    std::to_string(stamp) + "-" + std::to_string(tempCounter++));
        if (fs::create_directory(candidate)) {
            path_ = candidate.string();
            break;
        }
    }
}

TempDir::~TempDir() {
    std::error_code error;
    MakeWritable(path_);
    for (auto it = fs::recursive_directory_iterator(path_, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        MakeWritable(it->path());
    }
    fs::remove_all(path_, error);
}

std::vector<std::string> TempDir::Names() const {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(path_))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

std::string ReadText(const std::string& path) {
    Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void SetReadOnly(const std::string& path, bool readOnly) {
    fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (readOnly) {
        fs::permissions(path, write, fs::perm_options::remove);
    } else {
        fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    }
}

void MakeDirectory(const std::string& path) {
    fs::create_directory(path);
}

LaunchEntry MakeEntry(const char* name, int32_t kind, int32_t parent, const char* path,
                      int32_t id) {
    LaunchEntry entry = EmptyLaunchEntry();
    std::snprintf(entry.name, sizeof entry.name, "%s", name);
    std::snprintf(entry.path, sizeof entry.path, "%s", path);
    entry.kind = kind;
    entry.parent = parent;
    entry.id = id;
    return entry;
}

void PutInt32(Bytes* bytes, int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        bytes->push_back(static_cast<unsigned char>(bits >> shift));
}

Bytes RecordBytes(const RecordSpec& record) {
    Bytes bytes;
    PutInt32(&bytes, record.kind);
    PutInt32(&bytes, record.id);
    PutInt32(&bytes, record.parent);
    PutInt32(&bytes, static_cast<int32_t>(record.name.size()));
    bytes.insert(bytes.end(), record.name.begin(), record.name.end());
    bytes.push_back(0);
    PutInt32(&bytes, static_cast<int32_t>(record.path.size()));
    bytes.insert(bytes.end(), record.path.begin(), record.path.end());
    bytes.push_back(0);
    return bytes;
}

uint8_t XorAfterFirst(const Bytes& bytes) {
    uint8_t sum = 0;
    for (size_t i = 1; i < bytes.size(); ++i)
        sum ^= bytes[i];
    return sum;
}

Bytes DataFileBytes(const std::vector<RecordSpec>& records, int32_t version) {
    Bytes bytes{0};
    PutInt32(&bytes, version);
    PutInt32(&bytes, static_cast<int32_t>(records.size()));
    for (const RecordSpec& record : records) {
        Bytes one = RecordBytes(record);
        bytes.insert(bytes.end(), one.begin(), one.end());
    }
    bytes[0] = XorAfterFirst(bytes);
    return bytes;
}

std::vector<std::string> WorkingNames(ItemStore& store) {
    std::vector<std::string> names;
    for (int i = 0; i < store.GetDataNum(); ++i)
        names.push_back(store.GetData(i)->name);
    return names;
}

std::vector<std::string> CommittedNames(ItemStore& store) {
    std::vector<std::string> names;
    for (int i = 0; i < store.GetCommittedNum(); ++i)
        names.push_back(store.GetCommittedData(i)->name);
    return names;
}

std::string BaseName(const std::string& path) {
    size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

namespace {

class FailingOutputFile final : public OutputFile {
public:
    FailingOutputFile(std::unique_ptr<OutputFile> inner, TestPlatform& owner, std::string name)
        : inner_(std::move(inner)), owner_(owner), name_(std::move(name)) {}
    bool Write(const void* bytes, size_t length) override {
        if (++owner_.writes == owner_.failWriteAt) {
            // Half of the piece reaches the file before the failure.
            inner_->Write(bytes, length / 2);
            return owner_.Injected();
        }
        return inner_->Write(bytes, length);
    }
    bool Flush() override {
        owner_.Record("flush " + name_);
        if (!inner_->Flush())
            return false;
        return !owner_.failFlush || owner_.Injected();
    }
    bool Close() override {
        if (!inner_->Close())
            return false;
        return !owner_.failClose || owner_.Injected();
    }

private:
    std::unique_ptr<OutputFile> inner_;
    TestPlatform& owner_;
    std::string name_;
};

} // namespace

bool TestPlatform::Injected() {
    lastFailureInjected_ = true;
    return false;
}

FileError TestPlatform::LastFileError() {
    return lastFailureInjected_ ? failError : inner_.LastFileError();
}

std::unique_ptr<OutputFile> TestPlatform::CreateOutputFile(const std::string& path) {
    lastFailureInjected_ = false;
    Record("create " + BaseName(path));
    if (failCreate || (!failCreateName.empty() && BaseName(path) == failCreateName)) {
        Injected();
        return nullptr;
    }
    std::unique_ptr<OutputFile> file = inner_.CreateOutputFile(path);
    if (!file)
        return nullptr;
    return std::make_unique<FailingOutputFile>(std::move(file), *this, BaseName(path));
}

bool TestPlatform::ReplaceFileAtomically(const std::string& source, const std::string& target) {
    lastFailureInjected_ = false;
    ++replaces;
    Record("replace " + BaseName(source) + " " + BaseName(target));
    if (failReplace || replaces == failReplaceAt ||
        (failReplaceFrom > 0 && replaces >= failReplaceFrom))
        return Injected();
    return inner_.ReplaceFileAtomically(source, target);
}

bool TestPlatform::CopyToNewFile(const std::string& source, const std::string& target) {
    lastFailureInjected_ = false;
    ++copies;
    Record("copy " + BaseName(source) + " " + BaseName(target));
    if (failCopy || copies == failCopyAt || (source == heldPath && heldReads > 0))
        return Injected();
    return inner_.CopyToNewFile(source, target);
}

bool TestPlatform::RemoveFile(const std::string& path) {
    lastFailureInjected_ = false;
    Record("remove " + BaseName(path));
    return inner_.RemoveFile(path);
}

ReadResult TestPlatform::ReadFileBytes(const std::string& path, size_t maxBytes,
                                       std::vector<unsigned char>* bytes) {
    ++byteReads;
    if (path == refusedPath) {
        bytes->clear();
        return ReadResult::Failed;
    }
    if (path == heldPath && heldReads > 0) {
        --heldReads;
        bytes->clear();
        return ReadResult::InUse;
    }
    return inner_.ReadFileBytes(path, maxBytes, bytes);
}

void TestPlatform::Pause(unsigned milliseconds) {
    pauses.push_back(milliseconds);
    if (onPause)
        onPause();
}

bool TestPlatform::ProfileWriteString(const std::string& path, const char* section, const char* key,
                                      const char* value) {
    if (++profileWrites == failProfileWriteAt)
        return false;
    return inner_.ProfileWriteString(path, section, key, value);
}

std::vector<unsigned>& HookedPrompts() {
    static std::vector<unsigned> prompts;
    return prompts;
}
