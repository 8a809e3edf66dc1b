#include "platform/posix/PosixPlatform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/ProfileText.h"

namespace {

std::string ProgramPath() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return std::string();
    return std::string(buffer, static_cast<size_t>(length));
}

bool WriteAll(int fd, const void* bytes, size_t length) {
    const char* p = static_cast<const char*>(bytes);
    while (length > 0) {
        ssize_t written = write(fd, p, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        p += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

class PosixOutputFile final : public OutputFile {
public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override {
        if (fd_ >= 0)
            close(fd_);
    }

    bool Write(const void* bytes, size_t length) override {
        return fd_ >= 0 && WriteAll(fd_, bytes, length);
    }
    bool Flush() override { return fd_ >= 0 && fsync(fd_) == 0; }
    bool Close() override {
        if (fd_ < 0)
            return false;
        int result = close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

// The whole file as text; false when it cannot be read (a missing file
// reads as empty text, like a missing profile).
bool ReadText(const std::string& path, std::string* text, bool* exists) {
    text->clear();
    *exists = false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR;
    *exists = true;
    char buffer[8192];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            close(fd);
            return false;
        }
        if (got == 0)
            break;
        text->append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

} // namespace

std::string PosixPlatform::ProgramDirectory() {
    std::string path = ProgramPath();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string PosixPlatform::ProgramName() {
    std::string path = ProgramPath();
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

bool PosixPlatform::FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

int PosixPlatform::ProfileReadInt(const std::string& path, const char* section, const char* key,
                                  int defaultValue) {
    std::string text;
    bool exists = false;
    if (!ReadText(path, &text, &exists) || !exists)
        return defaultValue;
    return profile_text::ReadInt(text, section, key, defaultValue);
}

bool PosixPlatform::ProfileReadString(const std::string& path, const char* section, const char* key,
                                      std::string* value) {
    value->clear();
    std::string text;
    bool exists = false;
    if (!ReadText(path, &text, &exists) || !exists)
        return false;
    return profile_text::ReadString(text, section, key, value);
}

bool PosixPlatform::ProfileWriteString(const std::string& path, const char* section,
                                       const char* key, const char* value) {
    if (!section || !key || !value)
        return false;
    std::string text;
    bool exists = false;
    if (!ReadText(path, &text, &exists))
        return false;
    std::string updated = profile_text::WriteString(text, section, key, value);

    // Rewritten in place, as the Windows profile writer does.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool written = WriteAll(fd, updated.data(), updated.size());
    bool closed = close(fd) == 0;
    return written && closed;
}

ReadResult PosixPlatform::ReadFileBytes(const std::string& path, size_t maxBytes,
                                        std::vector<unsigned char>* bytes) {
    bytes->clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::NotFound : ReadResult::Failed;
    bytes->resize(maxBytes);
    size_t total = 0;
    while (total < maxBytes) {
        ssize_t got = read(fd, bytes->data() + total, maxBytes - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            close(fd);
            bytes->clear();
            return ReadResult::Failed;
        }
        if (got == 0)
            break;
        total += static_cast<size_t>(got);
    }
    close(fd);
    bytes->resize(total);
    return ReadResult::Ok;
}

std::unique_ptr<OutputFile> PosixPlatform::CreateOutputFile(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    return std::make_unique<PosixOutputFile>(fd);
}

bool PosixPlatform::ReplaceFileAtomically(const std::string& source, const std::string& target) {
    // rename() would replace a read-only file; MoveFileEx refuses, and the
    // stand-in keeps to the Windows rule.
    struct stat info;
    if (stat(target.c_str(), &info) == 0 && (info.st_mode & S_IWUSR) == 0) {
        errno = EACCES;
        return false;
    }
    return rename(source.c_str(), target.c_str()) == 0;
}

bool PosixPlatform::RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

bool PosixPlatform::CopyToNewFile(const std::string& source, const std::string& target) {
    int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    int out = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = true;
    char buffer[8192];
    for (;;) {
        ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (!WriteAll(out, buffer, static_cast<size_t>(got))) {
            ok = false;
            break;
        }
    }
    close(in);
    if (fsync(out) != 0)
        ok = false;
    if (close(out) != 0)
        ok = false;
    if (!ok)
        unlink(target.c_str());
    return ok;
}

// The errno the failed call left. Posix files have no sharing modes: a
// read never finds a file in use, and a busy file is the nearest to one.
FileError PosixPlatform::LastFileError() {
    switch (errno) {
    case 0:
        return FileError::None;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileError::AccessDenied;
    case ENAMETOOLONG:
        return FileError::NameTooLong;
    case ENOSPC:
    case EDQUOT:
        return FileError::DiskFull;
    case EBUSY:
    case ETXTBSY:
        return FileError::InUse;
    default:
        return FileError::Other;
    }
}

void PosixPlatform::Pause(unsigned milliseconds) {
    // <chrono> cannot be compiled to code page 932; nanosleep needs no literal.
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

void PosixPlatform::ShowPrompt(unsigned stringId) {
    shownPrompts_.push_back(stringId);
    if (PromptFunction prompt = GetPromptFunction())
        prompt(stringId);
}

Platform& DefaultPlatform() {
    static PosixPlatform platform;
    return platform;
}
