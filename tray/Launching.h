// Opening what was chosen in a tray menu: an entry's path, or a shell
// folder by its item identifier list, through the shell with the verb
// "open". What the shell makes of it is left to the shell.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <span>

#include "store/LaunchEntry.h"

// Opens the entry of the table whose launcher command this is. True when an
// entry has that command; a group's (that of its grayed placeholder) opens
// nothing, since a group has no path.
bool LaunchEntryOfCommand(std::span<const LaunchEntry> table, UINT command);

void OpenShellFolder(LPCITEMIDLIST pidl);
