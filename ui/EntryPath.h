// What a file entry's path stands for when the program uses it: the path as
// the user wrote it may hold environment variables (%USERPROFILE%\...), may
// be relative to the program's folder (tools\x.exe, .\x.exe) or to its drive
// (\Tools\x.exe), so that a launcher carried on a removable drive keeps
// working when the drive letter changes, and may be an address the shell
// opens itself (https://..., shell:Downloads, ::{CLSID}). The stored path
// always keeps what the user wrote.
#pragma once

#include <string>

// Whether the path goes to the shell as written: it starts with a scheme
// (https:, file:, shell:, mailto:; two letters at least, so that a drive
// letter is none) or names a shell object by its class id (::{...}).
bool IsShellPath(const char* path);

// The path that the views show the icon of, worked out from the text alone:
// the file system is not asked, so that building the launcher menu and the
// item list never waits for a disk or a network share. Environment
// variables expanded (an unknown one stays as written); a path that goes to
// the shell as written stays so; a path starting with a single backslash
// is taken on the program's drive; any other relative path, a bare name
// included, is resolved against programFolder. An empty path stays empty.
// Of a quoted program with arguments (see EntryCommandOf), the program
// alone.
std::string ExpandEntryPath(const char* path, const std::string& programFolder);

// A file entry's path as the shell is asked to open it, worked out when the
// entry is launched (the file system is asked then). A path that starts
// with a double quote is a quoted program followed by its arguments:
// "C:\Program Files\Tool\tool.exe" --flag x. Any other path is the file
// alone, blanks included, as it always was.
struct EntryCommand {
    std::string file;          // expanded and resolved as ExpandEntryPath does, but a
                               // bare name that is not beside the program stays bare,
                               // so the shell still looks for it where it always does
                               // (the search path, registered programs)
    std::string arguments;     // after the closing quote, without leading blanks
    std::string workingFolder; // the folder holding the file, as a double-click in
                               // Explorer starts a program; empty for a folder, for a
                               // bare name the shell looks for itself and for a path
                               // that goes to the shell as written
    bool searched = false;     // file is a bare name the shell looks for itself
};
EntryCommand EntryCommandOf(const char* path, const std::string& programFolder);

// Whether a bare name (no folder on its way) that is not beside the program
// is found by the system's own search for programs: the search path, then
// the programs registered under App Paths. Asks the file system.
bool FoundBySystemSearch(const std::string& name);

// The form in which a path the user picked (Browse, a drop) is stored. When
// the program runs from a removable drive, a path on that same drive loses
// the drive letter: relative to the program's folder when it lies inside it
// (tools\x.exe), otherwise from the drive's root (\Tools\x.exe). Any other
// path is stored as given.
std::string PortablePathOf(const std::string& path, const std::string& programFolder,
                           bool programOnRemovableDrive);

// Whether the folder lies on a removable drive (the system's drive type of
// its root). Asks the system.
bool OnRemovableDrive(const std::string& folder);
