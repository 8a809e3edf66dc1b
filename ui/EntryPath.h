// What a file entry's path stands for when the program uses it: the path as
// the user wrote it may hold environment variables (%USERPROFILE%\...) and
// may be relative to the program's folder (tools\x.exe, .\x.exe), so that a
// launcher carried on a removable drive keeps working when the drive letter
// changes. The stored path always keeps what the user wrote.
#pragma once

#include <string>

// The path to use: environment variables expanded (an unknown one stays as
// written), then a relative path resolved against programFolder. A bare
// file name that is not beside the program stays bare, so the shell still
// looks for it where it always does (the search path, registered programs).
// An empty path stays empty. Of a quoted program with arguments (see
// EntryCommandOf), the program alone.
std::string ExpandEntryPath(const char* path, const std::string& programFolder);

// A file entry's path as the shell is asked to open it. A path that starts
// with a double quote is a quoted program followed by its arguments:
// "C:\Program Files\Tool\tool.exe" --flag x. Any other path is the file
// alone, blanks included, as it always was.
struct EntryCommand {
    std::string file;          // expanded and resolved as ExpandEntryPath does
    std::string arguments;     // after the closing quote, without leading blanks
    std::string workingFolder; // the folder holding the file, as a double-click in
                               // Explorer starts a program; empty for a folder
                               // and for a bare name the shell looks for itself
};
EntryCommand EntryCommandOf(const char* path, const std::string& programFolder);
