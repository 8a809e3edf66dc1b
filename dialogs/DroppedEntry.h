// What a file or folder dropped onto the program becomes as a launch entry.
#pragma once

#include <string>
#include <string_view>

#include "store/LaunchEntry.h"

// The entry for the dropped path, parent and id left for the caller:
// - an Internet shortcut (.url) that holds an address: a URL entry with that
//   address, stored as the item editor stores a typed URL;
// - anything else (a file, a shortcut, a .url without an address): a file
//   entry with the path, which opens what the path names;
// - a folder: a file entry as well, which opens the folder.
// The name is the path's last element, without its extension for a file
// (a folder's name is kept whole: "v1.2" is no extension) and the whole path
// for a drive's root; a name longer than the field is cut at a character.
// A file's path is stored in its portable form (PortablePathOf: without
// the drive letter when the program runs from a removable drive and the
// file lies on it). Returns false, leaving the entry unspecified, when the
// path or the address does not fit the entry's path field.
bool EntryForDroppedPath(const std::string& path, const std::string& programFolder,
                         bool programOnRemovableDrive, LaunchEntry* entry);

// The path in lines short enough for a message box, which does not break a
// word wider than the screen: cut at characters, never inside one.
std::string PathInLines(std::string_view path);
