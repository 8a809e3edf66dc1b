// The native build's platform: posix files, a profile reader and writer that
// behaves like the Windows one, and prompts that are recorded instead of
// shown (there is no user to see them).
#pragma once

#include <vector>

#include "platform/Platform.h"

class PosixPlatform final : public Platform {
public:
    std::string ProgramDirectory() override;
    std::string ProgramName() override;
    bool FileExists(const std::string& path) override;
    int ProfileReadInt(const std::string& path, const char* section, const char* key,
                       int defaultValue) override;
    bool ProfileWriteString(const std::string& path, const char* section, const char* key,
                            const char* value) override;
    bool ProfileReadString(const std::string& path, const char* section, const char* key,
                           std::string* value) override;
    ReadResult ReadFileBytes(const std::string& path, size_t maxBytes,
                             std::vector<unsigned char>* bytes) override;
    std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) override;
    bool ReplaceFileAtomically(const std::string& source, const std::string& target) override;
    bool RemoveFile(const std::string& path) override;
    bool CopyToNewFile(const std::string& source, const std::string& target) override;
    FileError LastFileError() override;
    void Pause(unsigned milliseconds) override;
    // Records stringId, then calls the installed prompt function, if any.
    void ShowPrompt(unsigned stringId) override;

    // Every prompt shown so far, oldest first.
    const std::vector<unsigned>& ShownPrompts() const { return shownPrompts_; }
    void ClearShownPrompts() { shownPrompts_.clear(); }

private:
    std::vector<unsigned> shownPrompts_;
};
