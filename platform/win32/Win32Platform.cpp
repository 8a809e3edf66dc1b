#include "platform/win32/Win32Platform.h"

#include <shlwapi.h>
#include <windows.h>

namespace {

std::string ModuleFileName() {
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return std::string(buffer, length);
}

class Win32OutputFile final : public OutputFile {
public:
    explicit Win32OutputFile(HANDLE file) : file_(file) {}
    ~Win32OutputFile() override {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }

    bool Write(const void* bytes, size_t length) override {
        const char* p = static_cast<const char*>(bytes);
        while (length > 0) {
            if (file_ == INVALID_HANDLE_VALUE)
                return false;
            DWORD piece = length > 0x10000000 ? 0x10000000 : static_cast<DWORD>(length);
            DWORD written = 0;
            if (!WriteFile(file_, p, piece, &written, nullptr) || written == 0)
                return false;
            p += written;
            length -= written;
        }
        return true;
    }
    bool Flush() override { return file_ != INVALID_HANDLE_VALUE && FlushFileBuffers(file_); }
    bool Close() override {
        if (file_ == INVALID_HANDLE_VALUE)
            return false;
        BOOL closed = CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

private:
    HANDLE file_;
};

// How long a replace waits for another process (a virus scanner, an
// indexer) to let go of the data file.
constexpr int kReplaceTries = 10;
constexpr DWORD kReplaceRetryDelayMs = 50;

// Errors that last only while another program holds the file open without
// sharing it or holds a lock on a range of it.
bool IsPassingError(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

} // namespace

std::string Win32Platform::ProgramDirectory() {
    char buffer[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    PathRemoveFileSpecA(buffer);
    return buffer;
}

std::string Win32Platform::ProgramName() {
    std::string path = ModuleFileName();
    if (path.empty())
        return path;
    char buffer[MAX_PATH];
    lstrcpynA(buffer, PathFindFileNameA(path.c_str()), MAX_PATH);
    PathRemoveExtensionA(buffer);
    return buffer;
}

bool Win32Platform::FileExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    return true;
}

int Win32Platform::ProfileReadInt(const std::string& path, const char* section, const char* key,
                                  int defaultValue) {
    return static_cast<int>(GetPrivateProfileIntA(section, key, defaultValue, path.c_str()));
}

bool Win32Platform::ProfileWriteString(const std::string& path, const char* section,
                                       const char* key, const char* value) {
    if (!section || !key || !value)
        return false;
    return WritePrivateProfileStringA(section, key, value, path.c_str()) != FALSE;
}

// The profile reader answers a missing key with the default given, so a
// default no settings file holds (two control characters) tells it apart
// from a key written empty.
bool Win32Platform::ProfileReadString(const std::string& path, const char* section, const char* key,
                                      std::string* value) {
    static const char kMissing[] = "\x01\x02";
    char buffer[1024] = {};
    DWORD length =
        GetPrivateProfileStringA(section, key, kMissing, buffer, sizeof buffer, path.c_str());
    value->assign(buffer, length);
    if (*value == kMissing) {
        value->clear();
        return false;
    }
    return true;
}

ReadResult Win32Platform::ReadFileBytes(const std::string& path, size_t maxBytes,
                                        std::vector<unsigned char>* bytes) {
    bytes->clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return ReadResult::NotFound;
        return IsPassingError(error) ? ReadResult::InUse : ReadResult::Failed;
    }
    bytes->resize(maxBytes);
    size_t total = 0;
    while (total < maxBytes) {
        size_t wanted = maxBytes - total;
        DWORD piece = wanted > 0x10000000 ? 0x10000000 : static_cast<DWORD>(wanted);
        DWORD got = 0;
        if (!ReadFile(file, bytes->data() + total, piece, &got, nullptr)) {
            DWORD error = GetLastError();
            CloseHandle(file);
            bytes->clear();
            return IsPassingError(error) ? ReadResult::InUse : ReadResult::Failed;
        }
        if (got == 0)
            break;
        total += got;
    }
    CloseHandle(file);
    bytes->resize(total);
    return ReadResult::Ok;
}

std::unique_ptr<OutputFile> Win32Platform::CreateOutputFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32OutputFile>(file);
}

bool Win32Platform::ReplaceFileAtomically(const std::string& source, const std::string& target) {
    // A read-only target is refused at once rather than retried: waiting
    // cannot make it writable.
    DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExA(source.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        DWORD error = GetLastError();
        bool heldOpen = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (!heldOpen || attempt >= kReplaceTries)
            return false;
        Sleep(kReplaceRetryDelayMs);
    }
}

bool Win32Platform::RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE;
}

bool Win32Platform::CopyToNewFile(const std::string& source, const std::string& target) {
    if (!CopyFileA(source.c_str(), target.c_str(), TRUE))
        return false;
    // CopyFile carries the read-only attribute over; the copy is the
    // program's own file, which it must be able to replace and remove.
    DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return true;
}

FileError Win32Platform::LastFileError() {
    switch (GetLastError()) {
    case ERROR_SUCCESS:
        return FileError::None;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileError::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileError::AccessDenied;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return FileError::NameTooLong;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileError::DiskFull;
    default:
        return FileError::Other;
    }
}

void Win32Platform::Pause(unsigned milliseconds) {
    Sleep(milliseconds);
}

void Win32Platform::ShowPrompt(unsigned stringId) {
    if (PromptFunction prompt = GetPromptFunction()) {
        prompt(stringId);
        return;
    }
    char text[1024] = "";
    LoadStringA(GetModuleHandleA(nullptr), stringId, text, sizeof text);
    std::string caption = ProgramName();
    MessageBoxA(GetActiveWindow(), text, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

Platform& DefaultPlatform() {
    static Win32Platform platform;
    return platform;
}
