#include "dialogs/DroppedEntry.h"

#include <windows.h>

#include <string_view>

#include "dialogs/ShiftJisText.h"
#include "dialogs/UrlScheme.h"
#include "platform/AnsiText.h"
#include "ui/DroppedFiles.h"
#include "ui/EntryPath.h"

namespace {

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HasExtension(std::string_view fileName, std::string_view extension) {
    std::string_view stem = WithoutExtension(fileName);
    return stem.size() < fileName.size() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, fileName.data() + stem.size(),
                          static_cast<int>(fileName.size() - stem.size()), extension.data(),
                          static_cast<int>(extension.size())) == CSTR_EQUAL;
}

std::string_view EntryName(std::string_view path, bool folder) {
    std::string_view fileName = path.substr(FileNameStart(path));
    if (fileName.empty())
        return path; // a drive's root, "C:\"
    return folder ? fileName : WithoutExtension(fileName);
}

} // namespace

bool EntryForDroppedPath(const std::string& path, const std::string& programFolder,
                         bool programOnRemovableDrive, LaunchEntry* entry) {
    *entry = EmptyLaunchEntry();
    bool folder = IsFolder(path);
    std::string_view fileName = std::string_view(path).substr(FileNameStart(path));
    std::string target = PortablePathOf(path, programFolder, programOnRemovableDrive);
    entry->kind = KIND_FILE;
    if (!folder && HasExtension(fileName, ".url")) {
        std::string address = InternetShortcutAddress(path);
        if (!address.empty()) {
            target = StoredUrl(address);
            entry->kind = KIND_URL;
        }
    }
    if (!CopyFitting(entry->path, sizeof entry->path, target))
        return false;
    CopyFitting(entry->name, sizeof entry->name, EntryName(path, folder));
    return true;
}

std::string PathInLines(std::string_view path) {
    constexpr size_t kLineBytes = 64;
    std::string lines;
    while (!path.empty()) {
        size_t length = FittingLength(path, kLineBytes);
        if (length == 0)
            length = path.size(); // a lone lead byte at the end
        if (!lines.empty())
            lines += "\n";
        lines += path.substr(0, length);
        path.remove_prefix(length);
    }
    return lines;
}
