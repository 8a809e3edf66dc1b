#include "ui/EntryPath.h"

#include <windows.h>

#include <shlwapi.h>

#include <vector>

namespace {

// Longest expansion taken; ExpandEnvironmentStringsA allows no more.
constexpr DWORD kMaxExpanded = 32767;

std::string ExpandVariables(const char* path) {
    std::vector<char> expanded(kMaxExpanded + 1);
    DWORD length = ExpandEnvironmentStringsA(path, expanded.data(), kMaxExpanded + 1);
    if (length == 0 || length > kMaxExpanded + 1)
        return path;
    return expanded.data();
}

// Whether the path names a folder on its way (tools\x.exe, .\x.exe), as
// opposed to a bare file name; walked by characters, since a trail byte
// may be 0x5C.
bool HasFolderPart(const std::string& path) {
    for (const char* p = path.c_str(); *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            return true;
    }
    return false;
}

// The folder and the relative path joined, with "." and ".." taken out.
std::string Resolve(const std::string& programFolder, const std::string& relative) {
    char combined[MAX_PATH];
    if (PathCombineA(combined, programFolder.c_str(), relative.c_str()))
        return combined;
    // Too long to tidy up: joined as it is, after the folder's last
    // character (not its last byte, which may be a trail byte 0x5C).
    const char* folder = programFolder.c_str();
    const char* last = CharPrevA(folder, folder + programFolder.size());
    return programFolder + (*last == '\\' ? "" : "\\") + relative;
}

// A relative path resolved against the program's folder, but a bare name
// that is not there.
std::string ResolveFile(const std::string& file, const std::string& programFolder) {
    if (file.empty() || !PathIsRelativeA(file.c_str()) || programFolder.empty())
        return file;
    std::string resolved = Resolve(programFolder, file);
    if (HasFolderPart(file) || GetFileAttributesA(resolved.c_str()) != INVALID_FILE_ATTRIBUTES)
        return resolved;
    return file;
}

// The folder that holds the file; empty for a folder and a bare name.
std::string WorkingFolderOf(const std::string& file) {
    if (!HasFolderPart(file))
        return {};
    DWORD attributes = GetFileAttributesA(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    std::vector<char> folder(file.begin(), file.end());
    folder.push_back('\0');
    if (!PathRemoveFileSpecA(folder.data()))
        return {};
    return folder.data();
}

} // namespace

EntryCommand EntryCommandOf(const char* path, const std::string& programFolder) {
    std::string expanded = ExpandVariables(path);
    EntryCommand command;
    std::string file = expanded;
    // The double quote is never a trail byte, so a byte search finds it.
    if (!expanded.empty() && expanded[0] == '"') {
        size_t close = expanded.find('"', 1);
        file = expanded.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (close != std::string::npos) {
            size_t start = expanded.find_first_not_of(" \t", close + 1);
            if (start != std::string::npos)
                command.arguments = expanded.substr(start);
        }
    }
    command.file = ResolveFile(file, programFolder);
    command.workingFolder = WorkingFolderOf(command.file);
    return command;
}

std::string ExpandEntryPath(const char* path, const std::string& programFolder) {
    return EntryCommandOf(path, programFolder).file;
}
