// The Windows build's platform: the real Win32 calls.
#pragma once

#include "platform/Platform.h"

class Win32Platform final : public Platform {
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
    // The installed prompt function if there is one, else a message box with
    // the string resource's text and the program's name as caption.
    void ShowPrompt(unsigned stringId) override;
};
