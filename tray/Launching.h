// Opening what was chosen in a tray menu: an entry's path, or a shell
// folder by its item identifier list, through the shell with the verb
// "open". An entry the shell could not open is told to the user, once, with
// what was asked of the shell and why it failed.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <span>
#include <string>

#include "store/LaunchEntry.h"

// An entry the shell could not open: its name and kind, what the shell was
// given (the path as expanded, or the URL) and the system's error.
struct LaunchFailure {
    std::string name;
    int32_t kind = KIND_FILE;
    std::string file;
    DWORD error = ERROR_SUCCESS;
};

// What choosing an entry does, by the keys held with the click or Enter.
enum class LaunchAction {
    Open,               // no keys: the shell's "open"
    RunAsAdministrator, // Ctrl+Shift: "runas", as the Start menu does
    ShowInFolder,       // Shift: Explorer on its folder, the file selected
};

// The action of the keys held now (as of the input message being handled).
LaunchAction LaunchActionOfKeys();

// Opens the entry of the table whose launcher command this is. True when an
// entry has that command; a group's (that of its grayed placeholder) opens
// nothing, since a group has no path. A file entry's path is expanded and
// resolved against the program's folder first; a quoted program gets the
// arguments after it, and a file starts in its own folder. The shell shows
// no error boxes of its own; when it cannot open the entry, the failure is
// filled in (its error stays ERROR_SUCCESS otherwise).
// Run as administrator concerns files that are no folders; a URL has no
// folder to show: both are opened for those. Showing a file in its folder
// tells no failure.
bool LaunchEntryOfCommand(std::span<const LaunchEntry> table, UINT command,
                          const std::string& programFolder, LaunchFailure* failure = nullptr,
                          LaunchAction action = LaunchAction::Open);

// The message that tells which entry could not be opened, why and what was
// asked; empty when there is nothing to tell: the entry was opened, or the
// user said no in the elevation prompt (ERROR_CANCELLED), who knows why.
std::string LaunchFailureMessage(const LaunchFailure& failure);

void OpenShellFolder(LPCITEMIDLIST pidl);
