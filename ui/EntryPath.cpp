#include "ui/EntryPath.h"

#include <windows.h>

#include <shlwapi.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "ui/SystemCalls.h"

namespace {

// Longest expansion taken; ExpandEnvironmentStringsA allows no more.
constexpr DWORD kMaxExpanded = 32767;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A path without a '%' has nothing to expand; one with, is expanded into a
// buffer of its own size first and a larger one only when that is short.
std::string ExpandVariables(const char* path) {
    if (!std::strchr(path, '%'))
        return path;
    DWORD size = MAX_PATH;
    for (;;) {
        std::string expanded(size, '\0');
        DWORD length = ExpandEnvironmentStringsA(path, expanded.data(), size);
        if (length == 0 || length > kMaxExpanded + 1)
            return path;
        if (length <= size) {
            expanded.resize(std::strlen(expanded.c_str()));
            return expanded;
        }
        size = length;
    }
}

// Whether the path names a folder on its way (tools\x.exe, .\x.exe), as
// opposed to a bare file name; walked by characters, since a trail byte
// may be 0x5C.
bool HasFolderPart(const std::string& path) {
    for (const char* p = path.c_str(); *p; p = CharNextA(p)) {
        if (IsSeparator(*p))
            return true;
    }
    return false;
}

// "\Tools\x.exe": rooted, but on no drive of its own.
bool StartsAtDriveRoot(const std::string& path) {
    return path.size() >= 1 && IsSeparator(path[0]) && (path.size() < 2 || !IsSeparator(path[1]));
}

// The drive of a folder: "E:" of "E:\Brindleway", "\\server\share" of a
// network folder; empty when it has none. The separators and the drive
// letter's colon are never trail bytes; the server and share names are
// walked by characters.
std::string DriveOf(const std::string& folder) {
    if (folder.size() >= 2 && IsAsciiLetter(folder[0]) && folder[1] == ':')
        return folder.substr(0, 2);
    if (folder.size() < 3 || !IsSeparator(folder[0]) || !IsSeparator(folder[1]))
        return {};
    const char* start = folder.c_str();
    const char* p = start + 2;
    int separators = 0;
    for (; *p; p = CharNextA(p)) {
        if (IsSeparator(*p) && ++separators == 2)
            break;
    }
    return std::string(start, p);
}

// Whether the text's last character (not its last byte, which may be a
// trail byte 0x5C) is a separator.
bool EndsWithSeparator(const std::string& text) {
    if (text.empty())
        return false;
    const char* start = text.c_str();
    const char* last = CharPrevA(start, start + text.size());
    return last == start + text.size() - 1 && IsSeparator(*last);
}

// The folder and the relative path joined, with "." and ".." taken out.
std::string Resolve(const std::string& programFolder, const std::string& relative) {
    char combined[MAX_PATH];
    if (PathCombineA(combined, programFolder.c_str(), relative.c_str()))
        return combined;
    // Too long to tidy up: joined as it is, after the folder's last
    // character (not its last byte, which may be a trail byte 0x5C).
    return programFolder + (EndsWithSeparator(programFolder) ? "" : "\\") + relative;
}

// The file's path with the program's folder and drive put in, as text.
std::string ResolveText(const std::string& file, const std::string& programFolder) {
    if (file.empty() || programFolder.empty() || IsShellPath(file.c_str()))
        return file;
    if (StartsAtDriveRoot(file)) {
        std::string drive = DriveOf(programFolder);
        return drive.empty() ? file : drive + file;
    }
    if (!PathIsRelativeA(file.c_str()))
        return file;
    return Resolve(programFolder, file);
}

// A quoted program splits off its arguments; anything else is the file.
EntryCommand SplitCommand(const char* path) {
    EntryCommand command;
    if (IsShellPath(path)) {
        command.file = path;
        return command;
    }
    std::string expanded = ExpandVariables(path);
    command.file = expanded;
    // The double quote is never a trail byte, so a byte search finds it.
    if (!expanded.empty() && expanded[0] == '"') {
        size_t close = expanded.find('"', 1);
        command.file =
            expanded.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        if (close != std::string::npos) {
            size_t start = expanded.find_first_not_of(" \t", close + 1);
            if (start != std::string::npos)
                command.arguments = expanded.substr(start);
        }
    }
    return command;
}

// The folder that holds the file; empty for a folder and a bare name.
std::string WorkingFolderOf(const std::string& file) {
    if (!HasFolderPart(file) || IsShellPath(file.c_str()))
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

// Whether the registered program's file is there: the key's default value,
// its variables expanded and its quotes taken off.
bool RegisteredProgramExists(HKEY root, const std::string& key) {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    LONG read =
        RegQueryValueExA(opened, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || value[0] == '\0')
        return false;
    std::string file = SplitCommand(value).file;
    return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A case-insensitive comparison of the first length bytes of both texts,
// character by character in the ANSI code page.
bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(),
                                                  static_cast<int>(a.size()), b.data(),
                                                  static_cast<int>(b.size())) == CSTR_EQUAL;
}

} // namespace

bool IsShellPath(const char* path) {
    if (path[0] == ':' && path[1] == ':' && path[2] == '{')
        return true;
    if (!IsAsciiLetter(path[0]))
        return false;
    size_t length = 1;
    for (char c = path[length];
         IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
         c = path[++length]) {
    }
    return length >= 2 && path[length] == ':';
}

std::string ExpandEntryPath(const char* path, const std::string& programFolder) {
    return ResolveText(SplitCommand(path).file, programFolder);
}

EntryCommand EntryCommandOf(const char* path, const std::string& programFolder) {
    EntryCommand command = SplitCommand(path);
    std::string resolved = ResolveText(command.file, programFolder);
    // A bare name that is not beside the program goes to the shell bare.
    bool bare = !command.file.empty() && !HasFolderPart(command.file) &&
                !IsShellPath(command.file.c_str()) && PathIsRelativeA(command.file.c_str());
    if (!bare || GetFileAttributesA(resolved.c_str()) != INVALID_FILE_ATTRIBUTES)
        command.file = resolved;
    else
        command.searched = true;
    command.workingFolder = WorkingFolderOf(command.file);
    return command;
}

bool FoundBySystemSearch(const std::string& name) {
    if (name.empty() || HasFolderPart(name))
        return false;
    char found[MAX_PATH];
    char* filePart = nullptr;
    DWORD length = SearchPathA(nullptr, name.c_str(), ".exe", MAX_PATH, found, &filePart);
    if (length > 0 && length < MAX_PATH)
        return true;
    // The shell finds registered programs by the name with ".exe".
    std::string registered = name;
    if (PathFindExtensionA(name.c_str())[0] == '\0')
        registered += ".exe";
    std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + registered;
    return RegisteredProgramExists(HKEY_CURRENT_USER, key) ||
           RegisteredProgramExists(HKEY_LOCAL_MACHINE, key);
}

std::string PortablePathOf(const std::string& path, const std::string& programFolder,
                           bool programOnRemovableDrive) {
    std::string drive = DriveOf(programFolder);
    if (!programOnRemovableDrive || drive.size() != 2 || path.size() <= 3 ||
        !SameText(std::string_view(path).substr(0, 2), drive) || !IsSeparator(path[2])) {
        return path;
    }
    // Inside the program's folder: relative to it. The folder's text ends
    // at a character, so a match of its bytes ends at one in the path too.
    std::string folder = programFolder;
    if (EndsWithSeparator(folder))
        folder.pop_back();
    if (path.size() > folder.size() + 1 &&
        SameText(std::string_view(path).substr(0, folder.size()), folder) &&
        IsSeparator(path[folder.size()])) {
        return path.substr(folder.size() + 1);
    }
    return path.substr(2);
}

bool OnRemovableDrive(const std::string& folder) {
    std::string drive = DriveOf(folder);
    if (drive.empty())
        return false;
    return System().getDriveType((drive + "\\").c_str()) == DRIVE_REMOVABLE;
}
