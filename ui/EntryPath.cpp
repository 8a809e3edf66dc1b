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

} // namespace

std::string ExpandEntryPath(const char* path, const std::string& programFolder) {
    std::string expanded = ExpandVariables(path);
    if (expanded.empty() || !PathIsRelativeA(expanded.c_str()) || programFolder.empty())
        return expanded;
    std::string resolved = Resolve(programFolder, expanded);
    if (HasFolderPart(expanded) || GetFileAttributesA(resolved.c_str()) != INVALID_FILE_ATTRIBUTES)
        return resolved;
    return expanded;
}
