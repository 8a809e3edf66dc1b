#include "tray/Launching.h"

#include "tray/LauncherMenu.h"
#include "ui/EntryPath.h"
#include "ui/SystemCalls.h"

// Entry ids are unique, so the first match is the only one.
bool LaunchEntryOfCommand(std::span<const LaunchEntry> table, UINT command,
                          const std::string& programFolder) {
    for (const LaunchEntry& entry : table) {
        if (LaunchCommandBase + static_cast<UINT>(entry.id) != command)
            continue;
        if (entry.kind == KIND_FILE) {
            EntryCommand run = EntryCommandOf(entry.path, programFolder);
            System().shellExecute(nullptr, "open", run.file.c_str(),
                                  run.arguments.empty() ? nullptr : run.arguments.c_str(),
                                  run.workingFolder.empty() ? nullptr : run.workingFolder.c_str(),
                                  SW_SHOWNORMAL);
        } else if (entry.kind == KIND_URL) {
            System().shellExecute(nullptr, "open", entry.path, nullptr, nullptr, SW_SHOWNORMAL);
        }
        return true;
    }
    return false;
}

// No window, file, parameters or directory: only the item identifier list.
void OpenShellFolder(LPCITEMIDLIST pidl) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_IDLIST;
    info.lpVerb = "open";
    info.nShow = SW_SHOWNORMAL;
    info.lpIDList = const_cast<LPITEMIDLIST>(pidl);
    System().shellExecuteEx(&info);
}
