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
// An empty path stays empty.
std::string ExpandEntryPath(const char* path, const std::string& programFolder);
