// The few operating-system services the launcher data layer needs, behind one
// interface: the Windows build calls the real Win32 functions, the native
// build a posix stand-in that behaves the same way. Tests wrap the build's
// platform (ForwardingPlatform) to inject failures.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// A file being written: created empty, filled in pieces, flushed to the disk
// and closed, each step reporting whether it worked. Destroying an open file
// closes it without a check; a caller that needs the result calls Close.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool Write(const void* bytes, size_t length) = 0; // all bytes or false
    virtual bool Flush() = 0;                                 // the bytes reach the disk
    virtual bool Close() = 0;                                 // once; later calls fail
};

enum class ReadResult {
    Ok,
    NotFound, // no such file (or folder on the way)
    InUse,    // another program holds the file open without sharing it for now
    Failed,   // there, but could not be opened or read
};

// Why a file operation failed, in the terms the user is told.
enum class FileError {
    None,
    InUse,        // another program holds the file open without sharing it
    AccessDenied, // read-only, or no right to write there
    NameTooLong,  // the file's full name is longer than the system takes
    DiskFull,
    Other,
};

class Platform {
public:
    virtual ~Platform() = default;

    // The folder of the program file, without a trailing separator.
    virtual std::string ProgramDirectory() = 0;
    // The program file's name without folder and extension ("Brindleway"):
    // the caption of the program's message boxes.
    virtual std::string ProgramName() = 0;

    // True when a file or folder of that name exists.
    virtual bool FileExists(const std::string& path) = 0;

    // Profile (INI) files, as GetPrivateProfileIntA / WritePrivateProfileStringA.
    virtual int ProfileReadInt(const std::string& path, const char* section, const char* key,
                               int defaultValue) = 0;
    virtual bool ProfileWriteString(const std::string& path, const char* section, const char* key,
                                    const char* value) = 0;
    // A key's text value, without blanks around it; false (and value
    // emptied) when the file, the section or the key is missing, so that a
    // key written empty is told apart from one not written at all.
    virtual bool ProfileReadString(const std::string& path, const char* section, const char* key,
                                   std::string* value) = 0;

    // Reads the file from its start, at most maxBytes bytes: a result of
    // exactly maxBytes bytes may come from a longer file.
    virtual ReadResult ReadFileBytes(const std::string& path, size_t maxBytes,
                                     std::vector<unsigned char>* bytes) = 0;
    // Creates the file, or empties it if it exists; null on failure.
    virtual std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) = 0;
    // Puts source in target's place in one step, replacing target if it
    // exists; a failure leaves target as it was. Fails, as on Windows, when
    // target is read-only.
    virtual bool ReplaceFileAtomically(const std::string& source, const std::string& target) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    // Copies source to a new file target; fails, touching nothing, when
    // target exists already. A failed copy leaves no partial target behind.
    // The copy is never read-only, whatever the source is.
    virtual bool CopyToNewFile(const std::string& source, const std::string& target) = 0;

    // Why the last of the operations above that failed on this thread
    // failed; asked right after the failure, before any other call.
    virtual FileError LastFileError() = 0;

    // Waits that long before an operation is tried again.
    virtual void Pause(unsigned milliseconds) = 0;

    // Shows the string-table prompt stringId (IDS_TABLE_FULL, 5002) to the
    // user with an OK button and the exclamation icon, and returns when the
    // user has closed it.
    virtual void ShowPrompt(unsigned stringId) = 0;
};

// The build's own platform: Win32 on Windows, the posix stand-in elsewhere.
Platform& DefaultPlatform();

// The GUI layer installs its own prompt (one that also sets the help context
// 0x30000 + stringId while the box is open); DefaultPlatform().ShowPrompt
// then calls it instead of its own message box. Null restores the default.
using PromptFunction = void (*)(unsigned stringId);
void SetPromptFunction(PromptFunction function);
PromptFunction GetPromptFunction();

// Passes every call on to another platform; a test double derives from it
// and overrides only what it changes.
class ForwardingPlatform : public Platform {
public:
    explicit ForwardingPlatform(Platform& inner) : inner_(inner) {}

    std::string ProgramDirectory() override { return inner_.ProgramDirectory(); }
    std::string ProgramName() override { return inner_.ProgramName(); }
    bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
    int ProfileReadInt(const std::string& path, const char* section, const char* key,
                       int defaultValue) override {
        return inner_.ProfileReadInt(path, section, key, defaultValue);
    }
    bool ProfileWriteString(const std::string& path, const char* section, const char* key,
                            const char* value) override {
        return inner_.ProfileWriteString(path, section, key, value);
    }
    bool ProfileReadString(const std::string& path, const char* section, const char* key,
                           std::string* value) override {
        return inner_.ProfileReadString(path, section, key, value);
    }
    ReadResult ReadFileBytes(const std::string& path, size_t maxBytes,
                             std::vector<unsigned char>* bytes) override {
        return inner_.ReadFileBytes(path, maxBytes, bytes);
    }
    std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) override {
        return inner_.CreateOutputFile(path);
    }
    bool ReplaceFileAtomically(const std::string& source, const std::string& target) override {
        return inner_.ReplaceFileAtomically(source, target);
    }
    bool RemoveFile(const std::string& path) override { return inner_.RemoveFile(path); }
    bool CopyToNewFile(const std::string& source, const std::string& target) override {
        return inner_.CopyToNewFile(source, target);
    }
    FileError LastFileError() override { return inner_.LastFileError(); }
    void Pause(unsigned milliseconds) override { inner_.Pause(milliseconds); }
    void ShowPrompt(unsigned stringId) override { inner_.ShowPrompt(stringId); }

protected:
    Platform& inner_;
};
