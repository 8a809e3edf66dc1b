// Opening what was chosen in a tray menu: an entry's path, or a shell
// folder by its item identifier list, through the shell with the verb
// "open". What the shell makes of it is left to the shell.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <span>

#include "store/LaunchEntry.h"

#include <string>

// Opens the entry of the table whose launcher command this is. True when an
// entry has that command; a group's (that of its grayed placeholder) opens
// nothing, since a group has no path. A file entry's path is expanded and
// resolved against the program's folder first; a quoted program gets the
// arguments after it, and a file starts in its own folder.
bool LaunchEntryOfCommand(std::span<const LaunchEntry> table, UINT command,
                          const std::string& programFolder);

void OpenShellFolder(LPCITEMIDLIST pidl);
